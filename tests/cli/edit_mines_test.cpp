// inseltool edit: the quarter turn, mines and quarry spots, each with undo, and the refusals.
#include <gtest/gtest.h>

#include <fstream>
#include <nlohmann/json.hpp>

#include "island_fixture.h"
#include "tool_run.h"

using namespace insel::fixture;
using Json = nlohmann::json;

namespace {

// Height x + 2y: water in the top left corner, land further down.
Bytes Island(int width, int height) {
    return IslandFileBytes({.width = width, .height = height, .heights = [](int x, int y) {
                                return std::uint8_t(x + 2 * y);
                            }});
}

std::string Script(std::initializer_list<std::string> ops) {
    std::string script = "[";
    for (const std::string& op : ops) script += (script.size() > 1 ? ", " : "") + op;
    return script + "]";
}

const std::string kUndo = R"({"op": "undo"})";
const std::string kPlace = R"({"op": "mine_place", "x": 20, "y": 20, "kind": 2})";
const std::string kSelect = R"({"op": "mine_select", "x": 20, "y": 20})";
const std::string kQuarry = R"({"op": "quarry_place", "x": 30, "y": 10, "orientation": 1})";
const std::string kQuarrySelect = R"({"op": "quarry_select", "x": 30, "y": 10})";

}  // namespace

TEST(EditMines, OperationsAndTheirUndoShowInTheJson) {
    TempFile island(Island(48, 48), "berg.scp");
    const std::string rotate = R"({"op": "rotate"})";
    const Json none = Json::array();
    const std::tuple<std::string, std::string, Json> cases[] = {
        // (5, 6) has height 17 and turns to (48 - 1 - 6, 5).
        {Script({rotate}), "/cells/0/height", 17},
        {Script({rotate}), "/rotation_angle", 1},
        {Script({rotate, kUndo}), "/cells/0/height", 41 + 10},
        {Script({rotate, kUndo}), "/rotation_angle", 0},
        {Script({R"({"op": "rotate", "turns": 4})"}), "/cells/0/height", 41 + 10},
        {Script({kPlace}), "/mines/0/building_id", 1562 * 16384},
        {Script({kPlace, kUndo}), "/mines", none},
        {Script({R"({"op": "mine_place", "x": 3, "y": 4, "kind": 7})"}), "/mines/0/whale", 1},
        {Script({kQuarry}), "/quarry_spots/0/orientation", 1},
        {Script({kQuarry, kUndo}), "/quarry_spots", none},
        {Script({kPlace, kSelect}), "/selected_mine/kind", 2},
        {Script({kPlace, kSelect, R"({"op": "mine_set", "kind": 6, "visible": false})"}),
         "/mines/0/visible", 0},
        {Script({kPlace, kSelect, R"({"op": "mine_set", "treasure": 77, "elevation": -3})"}),
         "/mines/0/symbol_elevation", -3},
        // The undo changes the record behind the selection: the selection ends.
        {Script({kPlace, kSelect, R"({"op": "mine_set", "kind": 6})", kUndo}), "/mines/0/treasure",
         400},
        {Script({kPlace, kSelect, R"({"op": "mine_set", "kind": 6})", kUndo}), "/selected_mine",
         nullptr},
        {Script({kPlace, kSelect, R"({"op": "mine_move", "x": 25, "y": 21})"}), "/mines/0/x", 25},
        {Script({kPlace, kSelect, R"({"op": "mine_move", "x": 25, "y": 21})", kUndo}), "/mines/0/x",
         20},
        {Script({kPlace, kSelect, R"({"op": "mine_remove"})"}), "/selected_mine", nullptr},
        {Script({kPlace, kSelect, R"({"op": "mine_remove"})", kUndo}), "/mines/0/x", 20},
        {Script({kPlace, kPlace, R"({"op": "mines_remove_all"})"}), "/mines", none},
        {Script({kPlace, kPlace, R"({"op": "mines_remove_all"})", kUndo}), "/mines/1/x", 20},
        {Script({kQuarry, kQuarrySelect}), "/selected_quarry/orientation", 1},
        {Script({kQuarry, kQuarrySelect, R"({"op": "quarry_remove"})"}), "/quarry_spots", none},
        {Script({kQuarry, kQuarrySelect, R"({"op": "quarry_remove"})", kUndo}), "/quarry_spots/0/x",
         30},
        {Script({kQuarry, R"({"op": "quarries_remove_all"})"}), "/quarry_spots", none},
        {Script({kQuarry, R"({"op": "quarries_remove_all"})", kUndo}), "/quarry_spots/0/y", 10},
        {Script({kPlace, kQuarry, R"({"op": "mine_report"})"}), "/mine_report/0",
         "Total Minen: 1 davon aktiv: 1"},
        {Script({kPlace, kQuarry, R"({"op": "mine_report"})"}), "/mine_report/4",
         "Abbauplatz at local x/y 30, 10 Orientierung 1 nach Süden   "},
        {Script({}), "/mine_report", none},
    };
    for (const auto& [script, pointer, expected] : cases) {
        const ToolRun run = EditScript(island.path(), script, "--json --cells 41,5");
        ASSERT_EQ(run.status, 0) << script << "\n" << run.err;
        EXPECT_EQ(Json::parse(run.out).at(Json::json_pointer(pointer)), expected) << script;
    }
}

TEST(EditMines, RefusalsAreNamedAndNothingIsWritten) {
    TempFile island(Island(48, 48), "berg.scp");
    TempFile oblong(Island(48, 40), "lang.scp");
    const std::tuple<const TempFile&, std::string, int, std::string> cases[] = {
        {island, R"([{"op": "mine_place", "x": 3, "y": 4, "kind": 0}])", 1,
         "No mines in water allowed"},
        {island, R"([{"op": "quarry_place", "x": 1, "y": 1}])", 1, "Not allowed in water"},
        {island, R"([{"op": "mine_place", "x": 48, "y": 0, "kind": 0}])", 1,
         "is outside the island of 48 x 48 cells"},
        {island, Script({kPlace, kSelect, R"({"op": "mine_set", "kind": 7})"}), 1,
         "Not enough water for whale"},
        {island, Script({kPlace, R"({"op": "mine_set", "kind": 3})"}), 1, "No mine selected"},
        {island, Script({kPlace, kSelect, R"({"op": "mine_remove"})", R"({"op": "mine_remove"})"}),
         1, "No mine selected"},
        {island, R"([{"op": "quarry_remove"}])", 1, "No quarry spot selected"},
        {island, Script({kPlace, R"({"op": "mine_select", "x": 1, "y": 20})"}), 1,
         "no mine at 1, 20"},
        {oblong, R"([{"op": "rotate"}])", 1, "Only square islands can be turned"},
        {island, R"([{"op": "mine_place", "x": 20, "y": 20, "kind": 10}])", 2,
         R"("kind" must be 0 to 9)"},
        {island, R"([{"op": "quarry_place", "x": 20, "y": 20, "orientation": 4}])", 2,
         R"("orientation" must be 0 to 3)"},
        {island, R"([{"op": "mine_set", "elevation": 49152}])", 2, R"("elevation" must be)"},
        {island, R"([{"op": "rotate", "turns": 0}])", 2, R"("turns" must be 1 to 4)"},
    };
    TempDir out;
    for (const auto& [file, script, status, says] : cases) {
        const ToolRun run = EditScript(file.path(), script, "--json -o " + Quote(out / "x.scp"));
        EXPECT_EQ(std::tuple(run.status, run.err.find(says) == run.err.npos, run.out,
                             std::filesystem::exists(out / "x.scp")),
                  std::tuple(status, false, "", false))
            << script << "\n"
            << run.err;
    }
}

TEST(EditMines, PlacedRecordsAreSavedAndReadBack) {
    TempFile island(Island(48, 48), "berg.scp");
    TempDir out;
    const std::string script =
        Script({kPlace, kQuarry, R"({"op": "mine_place", "x": 2, "y": 3, "kind": 7})",
                R"({"op": "rotate"})"});
    ASSERT_EQ(EditScript(island.path(), script, "-o " + Quote(out / "neu.scp")).status, 0);
    const ToolRun info = RunTool({}, "info " + Quote(out / "neu.scp") + " --json");
    ASSERT_EQ(info.status, 0) << info.err;
    const Json json = Json::parse(info.out);
    // Turned: (x, y) to (47 - y, x); the spot by its footprint, to (45 - y, x) and one further.
    EXPECT_EQ(json["mines"][0]["x"], 27);
    EXPECT_EQ(json["mines"][0]["y"], 20);
    EXPECT_EQ(json["mines"][1]["x"], 44);
    EXPECT_EQ(json["mines"][1]["whale"], 1);
    EXPECT_EQ(json["quarry_spots"][0]["x"], 34);
    EXPECT_EQ(json["quarry_spots"][0]["y"], 30);
    EXPECT_EQ(json["quarry_spots"][0]["orientation"], 2);
}
