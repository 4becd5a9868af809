// The ground-tile and block-buffer operations of inseltool edit: each operation and its undo,
// the tool state in the JSON, the block file, and the refusals.
#include <gtest/gtest.h>

#include <fstream>
#include <nlohmann/json.hpp>

#include "island_fixture.h"
#include "tool_run.h"

using namespace insel::fixture;
using Json = nlohmann::json;

namespace {

// clang-format off
// 40 x 40, heights x + y, tiles of series 0C (tile byte 6D at (7, 8)), a plant at (2, 1) and a
// mine at (2, 2).
Bytes Island() {
    return IslandFileBytes({.width = 40, .height = 40,
        .heights = [](int x, int y) { return static_cast<std::uint8_t>(x + y); },
        .gfx = [](int x, int y) { return static_cast<std::uint16_t>(x == 7 && y == 8 ? 0x0C6D : 0x0C00); },
        .terrain = [](int x, int y) { return x == 2 && y == 1 ? Element{700, 5} : Element{}; },
        .mines = {{.x = 2, .y = 2, .treasure = 77}}});
}
// clang-format on

Json Cell(const Json& state, std::size_t k, const char* key) { return state["cells"][k][key]; }

}  // namespace

TEST(EditTiles, EachOperationAndItsUndo) {
    TempFile island(Island(), "tiles.scp");
    const std::string compose =
        R"({"op": "compose_field", "series": "0D", "offset": "20", "rotation": "D"})";
    struct Case {
        std::string script, cells;
        std::vector<std::tuple<std::size_t, const char*, int>> expected;
    };
    const Case cases[] = {
        // Turned field: top-left key 6D, so (10, 10) gets 0D6D.
        {"[" + compose + R"(, {"op": "stamp", "left": 10, "top": 10}])",
         "--cells 10,10 --cells 12,10",
         {{0, "gfx", 0x0D6D}, {1, "gfx", 0x0D2D}}},
        {"[" + compose + R"(, {"op": "stamp", "left": 10, "top": 10}, {"op": "undo"}])",
         "--cells 10,10",
         {{0, "gfx", 0x0C00}}},
        {"[" + compose + R"(, {"op": "stamp", "left": 10, "top": 10, "shape": "row", "edit": 2}])",
         "--cells 10,10 --cells 11,10",
         {{0, "gfx", 0x0D2D}, {1, "gfx", 0x0C00}}},
        {"[" + compose + R"(, {"op": "flood", "left": 0, "top": 0, "right": 2, "down": 2}])",
         "--cells 5,5 --cells 6,6",
         {{0, "gfx", 0x0D35}, {1, "gfx", 0x0C00}}},
        {"[" + compose + R"(, {"op": "flood", "left": 0, "top": 0}, {"op": "undo"}])",
         "--cells 5,5",
         {{0, "gfx", 0x0C00}}},
        {R"([{"op": "replace_series", "old": "0C", "new": "0E"}])",
         "--cells 7,8 --cells 0,0",
         {{0, "gfx", 0x0E6D}, {1, "gfx", 0x0E00}}},
        {R"([{"op": "replace_series", "old": "0C", "new": "0E"}, {"op": "undo"}])",
         "--cells 7,8",
         {{0, "gfx", 0x0C6D}}},
        // Line 4 of the bundled list: "Hibyte 15 top 00 04 08 middle 32 36 40 ...".
        {R"([{"op": "fill_base", "pattern": 4, "where": "above", "threshold": 10}])",
         "--cells 10,1 --cells 2,2",
         {{0, "gfx", 15 * 256 + 36}, {1, "gfx", 0x0C00}}},
        {R"([{"op": "fill_base", "pattern": 4}, {"op": "undo"}])",
         "--cells 0,0",
         {{0, "gfx", 0x0C00}}},
        // Picking 0C6D gives the bottom-right field turned once (row 60, rotation D): its
        // top-left key is row 2 of the field, AD.
        {R"([{"op": "pick_field", "x": 7, "y": 8}, {"op": "stamp", "left": 20, "top": 20, "shape": "single"}])",
         "--cells 20,20",
         {{0, "gfx", 0x0CAD}}},
        {R"([{"op": "block_copy", "left": 1, "top": 1, "width": 3, "height": 2},
             {"op": "block_paste", "left": 30, "top": 30, "n": 2, "m": 1}])",
         "--cells 31,30 --cells 34,30 --cells 31,31",
         {{0, "terrain", 700}, {1, "terrain", 700}, {2, "height", 4}}},
        {R"([{"op": "block_copy", "left": 1, "top": 1, "width": 3, "height": 2},
             {"op": "block_paste", "left": 30, "top": 30, "heights": false}, {"op": "undo"}])",
         "--cells 31,30",
         {{0, "terrain", 0}}},
    };
    for (const Case& c : cases) {
        const ToolRun run = EditScript(island.path(), c.script, "--json " + c.cells);
        ASSERT_EQ(run.status, 0) << c.script << "\n" << run.err;
        const Json state = Json::parse(run.out);
        for (const auto& [k, key, value] : c.expected)
            EXPECT_EQ(Cell(state, k, key), value) << c.script << " cell " << k << " " << key;
    }
}

TEST(EditTiles, ToolStateInTheJson) {
    TempFile island(Island(), "tiles.scp");
    const ToolRun run = EditScript(island.path(), R"([
        {"op": "compose_field", "series": "0d", "offset": "20", "rotation": "D"},
        {"op": "list_series", "series": "0C"},
        {"op": "block_copy", "left": 1, "top": 1, "width": 3, "height": 2, "quarries": false},
        {"op": "block_paste", "left": 10, "top": 10, "n": 3, "m": 2}])",
                                   "--json");
    ASSERT_EQ(run.status, 0) << run.err;
    const Json state = Json::parse(run.out);
    EXPECT_EQ(state["field"]["series"], "0D");
    EXPECT_EQ(state["field"]["rotation"], "0D");
    EXPECT_EQ(state["field"]["bytes"][0], 0x6D);
    EXPECT_EQ(state["field"]["bytes"][2], 0x2D);
    EXPECT_EQ(state["block"]["width"], 3);
    EXPECT_EQ(state["block"]["height"], 2);
    ASSERT_EQ(state["block"]["mines"].size(), 1u);
    EXPECT_EQ(state["block"]["mines"][0]["treasure"], 77);
    EXPECT_EQ(state["block"]["mines"][0]["x"], 1);
    EXPECT_EQ(state["mines"].size(), 1u + 6);
    // Every cell of the island is of series 0C; (7, 8) is the 7 * 40 + 8 + 1-th row.
    ASSERT_EQ(state["listing"].size(), 1600u);
    EXPECT_EQ(state["listing"][7 * 40 + 8], Json::array({"6D", "7", "8", "15"}));
}

TEST(EditTiles, BlockFilesRoundTripAndFaultyOnesAreRefused) {
    TempFile island(Island(), "tiles.scp");
    TempDir dir;
    const auto block = dir / "Inselblock.txt";
    const ToolRun saved =
        EditScript(island.path(),
                   R"([{"op": "block_copy", "left": 1, "top": 1, "width": 3, "height": 2},
        {"op": "block_save", "path": ")" +
                       block.string() + R"(", "comment": "Ecke"}])",
                   "--json");
    ASSERT_EQ(saved.status, 0) << saved.err;
    const std::string text = Slurp(block);
    EXPECT_EQ(text.rfind("Rechteckblock\r\nEcke\r\n3\r\n2\r\n2\r\n3072\r\n10\r\n", 0), 0u) << text;
    const ToolRun loaded = EditScript(island.path(),
                                      R"([{"op": "block_load", "path": ")" + block.string() +
                                          R"("}, {"op": "block_paste", "left": 20, "top": 20}])",
                                      "--json --cells 21,20");
    ASSERT_EQ(loaded.status, 0) << loaded.err;
    const Json state = Json::parse(loaded.out);
    EXPECT_EQ(state["block"], Json::parse(saved.out)["block"]);
    EXPECT_EQ(Cell(state, 0, "terrain"), 700);

    std::ofstream(dir / "bad.txt", std::ios::binary)
        << "Rechteckblock\r\n\r\n1\r\n1\r\n4\r\nzwei\r\n";
    std::ofstream(dir / "other.txt", std::ios::binary) << "Hallo\r\n";
    const std::tuple<std::string, int, std::string> cases[] = {
        {R"([{"op": "block_load", "path": ")" + (dir / "bad.txt").string() + R"("}])", 1,
         R"(line 6: "zwei" is not a number)"},
        {R"([{"op": "block_load", "path": ")" + (dir / "other.txt").string() + R"("}])", 1,
         "Fehler: Kein Insel-Blockformat"},
        {R"([{"op": "block_load", "path": ")" + (dir / "none.txt").string() + R"("}])", 1,
         "cannot be opened"},
        {R"([{"op": "block_paste", "left": 0, "top": 0}])", 1, "the block buffer is empty"},
        {R"([{"op": "compose_field", "series": "0C", "rotation": "7"}])", 1, "Rotation"},
        {R"([{"op": "replace_series", "old": "0G", "new": "0D"}])", 1, R"("old": "0G")"},
        {R"([{"op": "fill_base", "pattern": 99}])", 1, "the base-pattern list has lines 0 to"},
        {R"([{"op": "flood", "left": 1020, "top": 0, "right": 3, "down": 1}])", 1,
         "reaches outside"},
        {R"([{"op": "stamp", "left": 0, "top": 1025}])", 2, R"("top" must be 0 to 1024)"},
        {R"([{"op": "stamp", "left": 0, "top": 0, "shape": "diagonal"}])", 2, R"("shape" must be)"},
        {R"([{"op": "block_paste", "left": 0, "top": 0, "n": 0}])", 2, R"("n" must be 1 to 999)"},
        {R"([{"op": "block_paste", "left": 0, "top": 0, "mines": 1}])", 2,
         R"("mines" must be true or false)"},
        {R"([{"op": "block_copy", "left": 0, "top": 0, "width": 2}])", 2, R"("height" is missing)"},
    };
    for (const auto& [script, status, says] : cases) {
        const ToolRun run = EditScript(island.path(), script, "--json -o " + Quote(dir / "x.scp"));
        EXPECT_EQ(std::tuple(run.status, run.err.find(says) == std::string::npos, run.out,
                             std::filesystem::exists(dir / "x.scp")),
                  std::tuple(status, false, "", false))
            << script << "\n"
            << run.err;
    }
    // A faulty pattern line is said, and the script goes on.
    const ToolRun faulty =
        EditScript(island.path(), R"([{"op": "fill_base", "pattern": 10}])", "--json --cells 0,0");
    ASSERT_EQ(faulty.status, 0) << faulty.err;
    EXPECT_NE(faulty.err.find("message: Faulty GFX.txt structure"), std::string::npos)
        << faulty.err;
}
