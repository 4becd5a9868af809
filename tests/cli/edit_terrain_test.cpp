// The vegetation and river operations of inseltool edit through the real binary: each with
// its undo, the listing in --json, and the keys it refuses.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <nlohmann/json.hpp>

#include "island_fixture.h"
#include "tool_run.h"

using namespace insel::fixture;
using Json = nlohmann::json;

namespace {

// 40 x 40, height 40 + x mod 10; a wreck turned twice at (5, 6), a useful plant at (7, 6), a
// river cell at (9, 9).
Bytes Island() {
    IslandSpec layout;
    layout.width = layout.height = 40;
    layout.heights = [](int x, int) { return static_cast<std::uint8_t>(40 + x % 10); };
    layout.terrain = [](int x, int y) {
        if (x == 5 && y == 6) return Element{1601 + 2 * 16384, 0x3401};
        if (x == 7 && y == 6) return Element{720, 0x3000};
        return Element{};
    };
    layout.rivers = [](int x, int y) { return x == 9 && y == 9 ? Element{2702, 0x3000} : Element{}; };
    return IslandFileBytes(layout);
}

// The cell's four terrain and river words.
Json Cell(const Json& state, int index) {
    const Json& c = state["cells"][static_cast<std::size_t>(index)];
    return Json::array({c["terrain"], c["terrain_param"], c["river"], c["river_param"]});
}

}  // namespace

TEST(EditTerrain, EachOperationAndItsUndo) {
    TempFile island(Island(), "gruen.scp");
    const std::string cells = "--json --cells 12,3 --cells 5,6 --cells 7,6 --cells 9,9";
    struct Case {
        std::string op;
        int cell;      // index into the --cells above
        Json changed;  // terrain, its parameter, river, its parameter
    };
    const Json wreck = Json::array({1601 + 2 * 16384, 0x3401, 0, 0});
    const Json useful = Json::array({720, 0x3000, 0, 0});
    const Case cases[] = {
        // Plant 102 at (12, 3) stands at that cell's height 42, growth y5 = 5.
        {R"({"op": "terrain_insert", "left": 12, "top": 3, "id": 102, "orientation": 1})", 0,
         Json::array({102 + 16384, 0x2A05, 0, 0})},
        {R"({"op": "terrain_insert", "left": 12, "top": 3, "width": 2, "id": 1001,
             "growth": "07", "elevation": "x4", "growth_adjust": true})",
         0, Json::array({1001, 0x3407, 0, 0})},
        {R"({"op": "terrain_delete", "id": 1601})", 1, Json::array({0, 0x3401, 0, 0})},
        {R"({"op": "terrain_clear", "keep_useful": true})", 1, Json::array({0, 0x3401, 0, 0})},
        {R"({"op": "terrain_clear", "useful_only": true})", 2, Json::array({0, 0x3000, 0, 0})},
        {R"({"op": "terrain_replace", "old": 1601, "new": 1594})", 1,
         Json::array({1594, 0x3401, 0, 0})},
        {R"({"op": "clear_plants", "height": 47, "band": [0, 0, 10, 10]})", 2,
         Json::array({0, 0, 0, 0})},
        {R"({"op": "clear_shipwrecks"})", 1, Json::array({0, 0, 0, 0})},
        // 2701 with direction 2 is the word 35469; "0030" the size 0x3000.
        {R"({"op": "river_place", "x": 12, "y": 3, "id": 2701, "direction": 2})", 0,
         Json::array({0, 0, 35469, 0x3000})},
        {R"({"op": "river_remove", "x": 9, "y": 9})", 3, Json::array({0, 0, 0, 0})},
        {R"({"op": "rivers_remove_visible"})", 3, Json::array({0, 0, 0, 0})},
        {R"({"op": "distribute", "id": 1001, "count": 2, "min_height": 42,
             "max_height": 42, "band": [12, 3, 13, 4], "orientation": 3, "seed": 4})",
         0, Json::array({1001 + 3 * 16384, 0x2A00, 0, 0})},
    };
    const Json before =
        Json::array({Json::array({0, 0, 0, 0}), wreck, useful, Json::array({0, 0, 2702, 0x3000})});
    for (const Case& c : cases) {
        const ToolRun done = EditScript(island.path(), "[" + c.op + "]", cells);
        ASSERT_EQ(done.status, 0) << c.op << "\n" << done.err;
        EXPECT_EQ(Cell(Json::parse(done.out), c.cell), c.changed) << c.op;
        const ToolRun undone =
            EditScript(island.path(), "[" + c.op + R"(, {"op": "undo"}])", cells);
        ASSERT_EQ(undone.status, 0) << undone.err;
        const Json state = Json::parse(undone.out);
        for (int i = 0; i < 4; ++i) EXPECT_EQ(Cell(state, i), before[i]) << c.op << " cell " << i;
    }
}

TEST(EditTerrain, ListingAndDistributionAreReproducible) {
    TempFile island(Island(), "gruen.scp");
    const std::string script = R"([{"op": "distribute", "id": 1001, "count": 30,
        "min_height": 40, "max_height": 49, "seed": 11},
        {"op": "terrain_list", "id": 1001}])";
    const ToolRun first = EditScript(island.path(), script, "--json");
    const ToolRun second = EditScript(island.path(), script, "--json");
    ASSERT_EQ(first.status, 0) << first.err;
    const Json listing = Json::parse(first.out)["listing"];
    EXPECT_EQ(listing.size(), 30u);
    EXPECT_EQ(listing, Json::parse(second.out)["listing"]);
    // Each row: growth and height bytes, x, y, the ground height (which the element took).
    for (const Json& row : listing) {
        const int x = std::stoi(row[1].get<std::string>());
        char height[3];
        std::snprintf(height, sizeof height, "%02X", 40 + x % 10);
        EXPECT_EQ(row[0], std::string("00 ") + height) << row;
    }
    const ToolRun turned = EditScript(island.path(), R"([{"op": "terrain_list", "id": 1601,
        "orientation": 2, "any_orientation": false}])",
                                      "--json");
    EXPECT_EQ(Json::parse(turned.out)["listing"],
              Json::array({Json::array({"01 34", "5", "6", "45"})}));
    // A new island has nothing listed.
    const ToolRun fresh = EditScript(island.path(), R"([{"op": "terrain_list", "id": 1601},
        {"op": "new_island", "size": 64}])",
                                     "--json");
    EXPECT_EQ(Json::parse(fresh.out)["listing"], Json::array());
}

TEST(EditTerrain, RefusedKeysAndFailedOperationsChangeNothing) {
    TempFile island(Island(), "gruen.scp");
    const std::tuple<std::string, int, std::string> cases[] = {
        {R"([{"op": "terrain_insert", "left": 0, "top": 0, "id": 16384}])", 2, R"("id")"},
        {R"([{"op": "terrain_insert", "left": 0, "top": 0, "id": 5, "orientation": 4}])", 2,
         R"("orientation")"},
        {R"([{"op": "terrain_insert", "left": 0, "top": 0, "id": 5, "growth": "zz"}])", 1,
         "Wachstum"},
        {R"([{"op": "terrain_insert", "left": 1020, "top": 0, "width": 6, "id": 5}])", 1, "1025"},
        {R"([{"op": "distribute", "id": 5, "band": [0, 0, 2000, 3]}])", 1, R"("band")"},
        {R"([{"op": "distribute", "id": 5, "orientation": "left"}])", 1, R"("orientation")"},
        {R"([{"op": "clear_plants", "height": 40}])", 2, R"("band" is missing)"},
        {R"([{"op": "river_place", "x": 1, "y": 1, "id": 102}])", 1, "river list"},
        {R"([{"op": "river_place", "x": 1, "y": 1, "id": 2701, "size": "30"}])", 1, "Size"},
        {R"([{"op": "rivers_remove_visible", "zoom": 12}])", 1, R"("zoom")"},
    };
    for (const auto& [script, status, text] : cases) {
        TempDir out;
        const ToolRun run = EditScript(island.path(), script, "-o " + Quote(out / "x.scp"));
        EXPECT_EQ(run.status, status) << script << "\n" << run.err;
        EXPECT_NE(run.err.find(text), std::string::npos) << script << "\n" << run.err;
        EXPECT_FALSE(std::filesystem::exists(out / "x.scp")) << script;
    }
}

TEST(EditTerrain, RemovingVisibleRiversFollowsTheZoomedPart) {
    IslandSpec layout;
    layout.width = layout.height = 200;
    layout.rivers = [](int x, int y) {
        return (x == 10 && y == 10) || (x == 190 && y == 190) ? Element{2701, 0x3000} : Element{};
    };
    TempFile island(IslandFileBytes(layout), "fluss.scp");
    // At zoom 42 the top-left page of the overview shows cells 0..23 x 0..11 only.
    const ToolRun run = EditScript(
        island.path(), R"([{"op": "rivers_remove_visible", "zoom": 42, "part": [0, 0]}])",
        "--json --cells 10,10 --cells 190,190");
    ASSERT_EQ(run.status, 0) << run.err;
    const Json state = Json::parse(run.out);
    EXPECT_EQ(state["cells"][0]["river"], 0);
    EXPECT_EQ(state["cells"][1]["river"], 2701);
}
