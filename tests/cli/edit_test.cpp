// inseltool edit through the real binary: each operation with undo and redo, the written file,
// and the script faults that must leave everything unwritten.
#include <gtest/gtest.h>

#include <fstream>
#include <nlohmann/json.hpp>

#include "city_fixture.h"
#include "island_fixture.h"
#include "tool_run.h"

using namespace insel::fixture;
using Json = nlohmann::json;

namespace {

ToolRun Tool(const std::string& arguments) { return RunTool({}, arguments); }

// clang-format off
// Climate 3, height x + 2y, one terrain element at (5, 6).
Bytes Island() {
    return IslandFileBytes({.width = 40, .height = 40, .climate = 3,
        .heights = [](int x, int y) { return static_cast<std::uint8_t>(x + 2 * y); },
        .terrain = [](int x, int y) {
            return x == 5 && y == 6 ? Element{0xC005, 0x3401} : Element{}; }});
}

// Two islands (numbers 1 and 9) and a town whose warehouse is number 7.
Bytes Savegame() {
    return SavegameWithCities(
        {{.width = 40, .height = 40, .world_first = 100, .world_second = 50, .number = 1,
          .objects = {{.id_word = 2001, .x = 10, .y = 10}}},
         {.width = 40, .height = 40, .world_first = 300, .number = 9}},
        {{.player = PlayerSpec{.type = 8, .number = 1}, .name = "Hafenstadt", .abs_first = 110,
          .abs_second = 60, .buildings = {WarehouseEntry(10, 10, 7)}}}).bytes;
}
// clang-format on

}  // namespace

TEST(Edit, OperationsAndTheirUndoShowInTheJson) {
    TempFile island(Island(), "rich.scp");
    TempFile game(Savegame(), "game.sav");
    const std::string climate5 = R"({"op": "climate", "climate": 5})";
    const std::string climate1 = R"({"op": "climate", "climate": 1})";
    const std::string tidy = R"({"op": "aufraum"})";
    const std::string shift = R"({"op": "shift", "kind": "height", "dx": 1, "dy": 0})";
    const std::string warehouse = "/cities/0/buildings/0/warehouse";
    const std::tuple<const TempFile&, std::string, std::string, Json> cases[] = {
        {island, "[" + climate5 + R"(, {"op": "undo"}])", "/island/climate", 3},
        {island, R"([{"op": "climate", "climate": 200}])", "/island/climate", 200},
        // Too many undoes take back all; one redo brings the first step back.
        {island,
         "[" + climate5 + "," + climate1 + R"(, {"op": "undo", "steps": 9}, {"op": "redo"}])",
         "/island/climate", 5},
        {island, "[" + climate5 + "," + climate1 + R"(, {"op": "undo", "steps": 2},
                  {"op": "redo", "steps": 2}])",
         "/island/climate", 1},
        // A new step after an undo drops what could have been redone.
        {island, "[" + climate5 + R"(, {"op": "undo"}, )" + climate1 + R"(, {"op": "redo"}])",
         "/island/climate", 1},
        {island, "[" + shift + "]", "/cells/0/height", 5 + 2 * 6},  // (6,6) gets (5,6)'s height
        {island, "[" + shift + R"(, {"op": "undo"}])", "/cells/0/height", 6 + 2 * 6},
        {island, R"([{"op": "shift", "kind": "plants", "dx": 1, "dy": 0}])", "/cells/0/terrain",
         0xC005},
        // A new island starts an empty history: the undo has nothing to take back.
        {island, R"([{"op": "new_island", "size": 100, "climate": 4}, {"op": "undo"}])",
         "/island/width", 96},
        {island, R"([{"op": "new_island", "size": 70}])", "/island/climate", 0},
        {game, R"([{"op": "island", "row": 2}])", "/island/number", 9},
        {game, R"([{"op": "city", "row": 1}])", "/current_city", 1},
        {game, "[" + tidy + "]", warehouse, 1},
        {game, "[" + tidy + R"(, {"op": "undo"}])", warehouse, 7},
        {game, "[" + tidy + R"(, {"op": "undo"}, {"op": "redo"}])", warehouse, 1},
    };
    for (const auto& [file, script, pointer, expected] : cases) {
        const ToolRun run = EditScript(file.path(), script, "--json --cells 6,6");
        ASSERT_EQ(run.status, 0) << script << "\n" << run.err;
        EXPECT_EQ(Json::parse(run.out).at(Json::json_pointer(pointer)), expected) << script;
    }
}

TEST(Edit, WritesWhatConvertWritesForTheSameChange) {
    TempFile island(Island(), "rich.scp");
    TempFile game(Savegame(), "game.sav");
    const std::tuple<const TempFile&, std::string, std::string, std::string, std::string> cases[] =
        {
            {island, R"([{"op": "shift", "kind": "height", "dx": -1, "dy": 2}])", "",
             "--shift height:-1,2", "out.scp"},
            {game, R"([{"op": "climate", "climate": 2}, {"op": "undo"}, {"op": "aufraum"}])",
             "--city 1", "--aufraum", "out.cty"},
        };
    for (const auto& [file, script, after_load, convert_options, output] : cases) {
        TempDir edited, converted;
        const ToolRun edit =
            EditScript(file.path(), script, after_load + " -o " + Quote(edited / output));
        ASSERT_EQ(edit.status, 0) << edit.err;
        EXPECT_EQ(edit.out.rfind("wrote ", 0), 0u) << edit.out;
        const ToolRun convert = Tool("convert " + Quote(file.path()) + " " + after_load + " " +
                                     convert_options + " -o " + Quote(converted / output));
        ASSERT_EQ(convert.status, 0) << convert.err;
        EXPECT_EQ(ReadFileBytes(edited / output), ReadFileBytes(converted / output)) << script;
    }
}

TEST(Edit, ScriptFromStandardInputAndNothingPrintedWithoutOutputs) {
    TempFile island(Island(), "rich.scp");
    const auto script = island.path().parent_path() / "s.json";
    std::ofstream(script) << R"([{"op": "climate", "climate": 4}])";
    const ToolRun piped =
        Tool("edit " + Quote(island.path()) + " --script - --json < " + Quote(script));
    ASSERT_EQ(piped.status, 0) << piped.err;
    EXPECT_EQ(Json::parse(piped.out)["island"]["climate"], 4);
    const ToolRun quiet = EditScript(island.path(), R"([{"op": "climate", "climate": 4}])", "");
    EXPECT_EQ(Json::array({quiet.status, quiet.out, quiet.err}), Json::array({0, "", ""}));
}

TEST(Edit, FaultsAreNamedAndNothingIsWritten) {
    TempFile island(Island(), "rich.scp");
    TempFile game(Savegame(), "game.sav");
    const std::tuple<const TempFile&, std::string, int, std::string> cases[] = {
        {island, R"([{"op": "undo"}, {"op": "paint"}])", 2,
         R"(script operation 2 ("paint"): unknown operation)"},
        {island, R"([{"op": "shift", "kind": "height", "dx": "1", "dy": 0}])", 2,
         R"(script operation 1 ("shift"): "dx" must be a whole number)"},
        {island, R"([{"op": "shift", "kind": "trees", "dx": 1, "dy": 0}])", 2,
         R"("kind" must be "height", "gfx", "plants" or "rocks")"},
        {island, R"([{"op": "shift", "kind": "gfx", "dx": 1}])", 2, R"("dy" is missing)"},
        {island, R"([{"op": "climate", "climate": 256}])", 2, R"("climate" must be 0 to 255)"},
        {island, R"([{"op": "new_island", "size": 64, "climate": 6}])", 2,
         R"("climate" must be 0 to 5)"},
        {island, R"([{"op": "undo", "steps": 18446744073709551615}])", 2, R"("steps")"},
        {island, R"([{"op": "island", "row": 0}])", 2, R"("row" must be 1 or more)"},
        {island, R"([{"op": "aufraum", "all": true}])", 2, R"(unknown key "all"; it takes no)"},
        {island, R"([{"climate": 2}])", 2, R"(script operation 1: "op" must name)"},
        {island, R"({"op": "undo"})", 2, "must be a JSON array"},
        {island, "[{\"op\": \"undo\"},\n {op}]", 2, "is not JSON: parse error at line 2, column 3"},
        {game, R"([{"op": "aufraum"}, {"op": "island", "row": 3}])", 1,
         R"(script operation 2 ("island"): row 3: the island list has rows 1 to 2)"},
        {island, R"([{"op": "city", "row": 1}])", 1, "the city list is empty"},
    };
    TempDir out;
    for (const auto& [file, script, status, says] : cases) {
        const ToolRun run = EditScript(file.path(), script, "--json -o " + Quote(out / "x.scp"));
        const std::string error = status == 2 ? "error: script" : "error: ";
        EXPECT_EQ(std::tuple(run.status, run.err.find(error) == run.err.npos,
                             run.err.find(says) == run.err.npos, run.out,
                             std::filesystem::exists(out / "x.scp")),
                  std::tuple(status, false, false, "", false))
            << script << "\n"
            << run.err;
    }
    const ToolRun missing =
        Tool("edit " + Quote(island.path()) + " --script " + Quote(out / "no.json"));
    EXPECT_EQ(missing.status, 2);
    EXPECT_NE(missing.err.find("no.json: cannot be read"), std::string::npos) << missing.err;
    // The script is not replaced by the island it describes.
    std::ofstream(out / "s.scp") << "[]";
    const ToolRun onto = Tool("edit " + Quote(island.path()) + " --script " + Quote(out / "s.scp") +
                              " -o " + Quote(out / "s.scp"));
    EXPECT_EQ(onto.status, 1);
    EXPECT_EQ(Slurp(out / "s.scp"), "[]");
}

TEST(Recover, AJournalGivesWhatTheEditWroteAndACutOrForeignOneIsRefusedAndKept) {
    TempFile game(Savegame(), "game.sav");
    const std::string script =
        R"([{"op": "city", "row": 1}, {"op": "aufraum"}, {"op": "climate", "climate": 2},
            {"op": "climate", "climate": 5}, {"op": "undo"}])";
    TempDir edited, recovered;
    ASSERT_EQ(EditScript(game.path(), script, "-o " + Quote(edited / "out.cty")).status, 0);
    const auto journal = game.path().parent_path() / "work.journal";
    const ToolRun recorded = EditScript(game.path(), script, "--journal " + Quote(journal));
    ASSERT_EQ(recorded.status, 0) << recorded.err;
    const ToolRun recover =
        Tool("recover " + Quote(journal) + " -o " + Quote(recovered / "out.cty"));
    ASSERT_EQ(recover.status, 0) << recover.err;
    EXPECT_EQ(ReadFileBytes(recovered / "out.cty"), ReadFileBytes(edited / "out.cty"));
    EXPECT_EQ(Json::parse(Tool("recover " + Quote(journal) + " --json").out)["island"]["climate"],
              2);

    // Cut inside its last record: the steps before it; cut inside the document: refused.
    const Bytes whole = ReadFileBytes(journal);
    const auto cut = journal.parent_path() / "cut.journal";
    WriteFileBytes(cut, std::span(whole).first(whole.size() - 3));
    const ToolRun shorter = Tool("recover " + Quote(cut) + " --json");
    ASSERT_EQ(shorter.status, 0) << shorter.err;
    EXPECT_EQ(Json::parse(shorter.out)["island"]["climate"], 5);
    WriteFileBytes(cut, std::span(whole).first(400));  // the head, and part of the document
    const ToolRun refused = Tool("recover " + Quote(cut) + " -o " + Quote(recovered / "x.scp"));
    EXPECT_EQ(std::tuple(refused.status, std::filesystem::exists(recovered / "x.scp")),
              std::tuple(1, false));
    EXPECT_NE(refused.err.find("holds no document; it is left as it is"), std::string::npos)
        << refused.err;
    EXPECT_EQ(ReadFileBytes(cut).size(), 400u);
    const ToolRun foreign = Tool("recover " + Quote(game.path()));
    EXPECT_EQ(foreign.status, 1);
    EXPECT_NE(foreign.err.find("this is no recovery journal"), std::string::npos) << foreign.err;
}
