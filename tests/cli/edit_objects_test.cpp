// The building operations of inseltool edit through the real binary: each with its undo, the
// selection they leave, element lists, and the keys they refuse.
#include <gtest/gtest.h>

#include <fstream>
#include <nlohmann/json.hpp>

#include "island_fixture.h"
#include "tool_run.h"

using namespace insel::fixture;
using Json = nlohmann::json;

namespace {

// 64 x 64 with a monument (2601) at (30, 30) and plants everywhere.
Bytes Island() {
    // clang-format off
    return IslandFileBytes({.width = 64, .height = 64,
        .heights = [](int, int) { return std::uint8_t{20}; },
        .terrain = [](int, int) { return Element{1501, 0}; },
        .objects = {{.id_word = 2601, .x = 30, .y = 30}}});
    // clang-format on
}

Json Script(const TempFile& file, const std::string& script) {
    const ToolRun run = EditScript(file.path(), script, "--json --cells 21,11");
    EXPECT_EQ(run.status, 0) << script << "\n" << run.err;
    return run.status == 0 ? Json::parse(run.out) : Json();
}

TEST(EditObjects, EachOperationAndItsUndo) {
    TempFile island(Island(), "insel.scp");
    const std::string house =
        R"({"op": "object_insert", "x": 20, "y": 10, "id": 2215, "orientation": 1, "as": "free"})";
    const std::string town =
        R"({"op": "object_insert", "x": 40, "y": 40, "id": 3000, "as": "new_town",
            "warehouse_kind": 1, "town_name": "Oase"})";

    Json j = Script(island, "[" + house + "]");
    ASSERT_EQ(j["objects"].size(), 2u);
    // Size 23 turned once: three wide, two high.
    EXPECT_EQ(j["objects"][1]["width"], 3);
    EXPECT_EQ(j["objects"][1]["height"], 2);
    EXPECT_EQ(j["objects"][1]["id_word"], 2215 + 16384);
    EXPECT_EQ(j["selected_object"]["x"], 20);
    j = Script(island, "[" + house + R"(, {"op": "undo"}])");
    EXPECT_EQ(j["objects"].size(), 1u);
    EXPECT_TRUE(j["selected_object"].is_null());

    j = Script(island, "[" + town + "]");
    ASSERT_EQ(j["cities"].size(), 1u);
    EXPECT_EQ(j["cities"][0]["name"], "Oase");
    EXPECT_EQ(j["objects"][1]["owner"], j["cities"][0]["number"]);
    j = Script(island, "[" + town + R"(, {"op": "undo"}])");
    EXPECT_EQ(j["cities"].size(), 0u);

    // A house into the town just founded, then selected and removed with its building.
    const std::string into_town =
        town + R"(, {"op": "object_insert", "x": 45, "y": 40, "id": 2101})";
    j = Script(island, "[" + into_town + "]");
    EXPECT_EQ(j["cities"][0]["buildings"].size(), 2u);
    const std::string remove = R"({"op": "object_select", "x": 45, "y": 40},
                                  {"op": "object_remove"})";
    j = Script(island, "[" + into_town + ", " + remove + "]");
    EXPECT_EQ(j["cities"][0]["buildings"].size(), 1u);
    EXPECT_EQ(j["objects"].size(), 2u);
    EXPECT_TRUE(j["selected_object"].is_null());
    j = Script(island, "[" + into_town + ", " + remove + R"(, {"op": "undo"}])");
    EXPECT_EQ(j["cities"][0]["buildings"].size(), 2u);
    EXPECT_EQ(j["objects"].size(), 3u);

    j = Script(island, R"([{"op": "object_select", "x": 30, "y": 30}])");
    EXPECT_EQ(j["selected_object"]["graphic_id"], 2601);
    j = Script(island, R"([{"op": "objects_remove_id", "id": 2601}])");
    EXPECT_EQ(j["objects"].size(), 0u);
    j = Script(island, R"([{"op": "objects_remove_id", "id": 2601}, {"op": "undo"}])");
    EXPECT_EQ(j["objects"].size(), 1u);

    // A marketplace on the upper-left quarter: its square lies 4 cells up and left.
    j = Script(island, R"([{"op": "object_insert", "x": 10, "y": 40, "id": 821, "as": "free"}])");
    EXPECT_EQ(j["objects"][1]["market"], Json::array({6, 44}));
    EXPECT_EQ(j["objects"][0]["market"], Json::array({-10000, -10000}));
}

TEST(EditObjects, ElementListWithOffsetsAndItsUndo) {
    TempFile island(Island(), "insel.scp");
    const auto list = island.path().parent_path() / "liste.txt";
    std::ofstream(list) << "$Volk=9\r\nKontor,3000,5,5,0\r\nHaus,2101,1,1,0\r\nHaus,zwei,1,1\r\n";
    const std::string insert = R"({"op": "element_list", "path": ")" + list.string() +
                               R"(", "left": 16, "top": 6, "town": true})";
    Json j = Script(island, "[" + insert + "]");
    ASSERT_EQ(j["objects"].size(), 3u);
    EXPECT_EQ(j["objects"][2]["x"], 17);
    EXPECT_EQ(j["objects"][2]["y"], 7);
    EXPECT_EQ(j["cities"].size(), 1u);
    // The plants under the warehouse at (21, 11) are gone.
    EXPECT_EQ(j["cells"][0]["terrain"], 0);
    j = Script(island, "[" + insert + R"(, {"op": "undo"}])");
    EXPECT_EQ(j["objects"].size(), 1u);
    EXPECT_EQ(j["cities"].size(), 0u);
    EXPECT_EQ(j["cells"][0]["terrain"], 1501);
}

TEST(EditObjects, RefusalsAndMessages) {
    TempFile island(Island(), "insel.scp");
    struct Case {
        std::string script;
        int status;
        std::string says;
    };
    const Case cases[] = {
        {R"([{"op": "object_insert", "x": 5, "y": 5, "id": 2101, "orientation": 4}])", 2,
         "\"orientation\""},
        {R"([{"op": "object_insert", "x": 5, "y": 5, "id": 2101, "as": "town"}])", 2, "\"as\""},
        {R"([{"op": "object_insert", "x": 5, "y": 5, "id": 20000}])", 2, "\"id\""},
        {R"([{"op": "object_insert", "x": 5, "y": 5}])", 2, "\"id\""},
        {R"([{"op": "object_select", "x": 5}])", 2, "\"y\""},
        {R"([{"op": "element_list", "top": 5}])", 2, "\"path\""},
        // Outside the island: the operation fails and nothing is written.
        {R"([{"op": "object_insert", "x": 70, "y": 5, "id": 2101, "as": "free"}])", 1,
         "outside the island"},
        {R"([{"op": "element_list", "path": "/nonexistent/liste.txt"}])", 1, "liste.txt"},
    };
    for (const Case& c : cases) {
        const ToolRun run = EditScript(island.path(), c.script, "--json");
        EXPECT_EQ(run.status, c.status) << c.script << "\n" << run.err;
        EXPECT_NE(run.err.find(c.says), std::string::npos) << run.err;
        EXPECT_TRUE(run.out.empty()) << c.script;
    }
    // Messages the window would show are said, and the script goes on.
    const ToolRun run = EditScript(island.path(), R"([{"op": "object_remove"},
        {"op": "object_insert", "x": 5, "y": 5, "id": 2101},
        {"op": "object_insert", "x": 5, "y": 5, "id": 2101, "as": "new_town",
         "warehouse_kind": 2}])",
                                   "");
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_NE(run.err.find("message: Kein Objekt ausgewählt / No object selected"),
              std::string::npos)
        << run.err;
    EXPECT_NE(run.err.find("no city defined"), std::string::npos) << run.err;
    EXPECT_NE(run.err.find("kein Hafenkontor"), std::string::npos) << run.err;
}

}  // namespace
