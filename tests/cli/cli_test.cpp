// inseltool through the real binary: JSON contract, exit codes, messages, written files.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <nlohmann/json.hpp>
#include <sstream>

#include "city_fixture.h"
#include "island_fixture.h"
#include "temp_file.h"

using namespace insel::fixture;
using Json = nlohmann::json;

namespace {

struct ToolRun {
    int status = -1;
    std::string out, err;
};

std::string Slurp(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

std::string Quote(const std::string& s) { return "'" + s + "'"; }

// Runs inseltool in `cwd` (a scratch folder by default) with the definition files of
// `program` (the bundled ones by default).
ToolRun Tool(const std::string& arguments, const std::filesystem::path& cwd = {},
             const std::string& program = PROGRAM_FOLDER) {
    TempDir scratch;
    const auto folder = cwd.empty() ? scratch.path() : cwd;
    const std::string command = "cd " + Quote(folder.string()) + " && " + Quote(INSELTOOL) +
                                " --program-folder " + Quote(program) + " " + arguments + " > " +
                                Quote((scratch / "out").string()) + " 2> " +
                                Quote((scratch / "err").string());
    ToolRun run;
    const int raw = std::system(command.c_str());
    run.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    run.out = Slurp(scratch / "out");
    run.err = Slurp(scratch / "err");
    return run;
}

// `info --json` of a file that must load; a failure shows its message and yields null.
Json Info(const std::filesystem::path& file, const std::string& flags = "") {
    const ToolRun run = Tool("info " + Quote(file.string()) + " --json " + flags);
    EXPECT_EQ(run.status, 0) << file << ": " << run.err;
    return run.status == 0 ? Json::parse(run.out) : Json();
}

IslandSpec RichIsland() {
    IslandSpec island;
    island.width = island.height = 40;
    island.number = 7;
    island.world_first = 120;
    island.world_second = 300;
    island.climate = 3;
    island.heights = [](int x, int y) { return static_cast<std::uint8_t>(x + 2 * y); };
    island.gfx = [](int x, int y) {
        return static_cast<std::uint16_t>(0x0D00 + x % 3 * 4 + y % 3 * 32);
    };
    island.fertility = [](int x, int) { return static_cast<std::uint8_t>(x % 11); };
    island.terrain = [](int x, int y) {
        return x == 5 && y == 6 ? Element{0xC005, 0x3401} : Element{};
    };
    island.rivers = [](int x, int y) {
        return x == 13 && y == 20 ? Element{2705, 0x0201} : Element{};
    };
    island.quarry_spots.push_back({.x = 300, .y = 513, .orientation = 2});
    island.mines.push_back({.building_id = 1562u * 16384u,
                            .x = 10,
                            .y = 11,
                            .symbol_value = 0x401E0000,
                            .treasure = 400,
                            .visible = 1});
    island.animals.push_back({11, 22, 33, 44});
    island.objects.push_back({.id_word = 821 + 16384, .parameter = 0x2A00, .x = 3, .y = 4});
    island.name = "Gr\xFCninsel";  // Windows-1252 umlaut
    return island;
}

}  // namespace

TEST(InfoJson, CarriesTheContractKeysWithDecodedValues) {
    TempFile file(IslandFileBytes(RichIsland()), "rich.scp");
    const Json json = Info(file.path(), "--cells 5,6 --cells 13,20");
    const Json& island = json["island"];
    const Json& mine = json["mines"][0];
    const Json& cell = json["cells"][0];
    EXPECT_EQ(json["file"]["size"], std::filesystem::file_size(file.path()));
    // Island files keep the file name; 0x41280000 is 10.5f; series code 0x0D is series 2.
    EXPECT_EQ(Json::array({json["file"]["kind"],
                           island["climate"],
                           island["world"],
                           island["cell_block_count"],
                           island["name"],
                           json["panels"]["TierePanel"],
                           json["mines"].size(),
                           mine["y"],
                           mine["x_raw"],
                           mine["symbol_elevation"],
                           json["quarry_spots"][0]["y"],
                           json["animals"][0],
                           json["objects"][0]["graphic_id"],
                           json["objects"][0]["orientation"],
                           json["series_usage"][147],
                           json["series_usage"][2],
                           cell["terrain"],
                           cell["terrain_param"],
                           cell["height"],
                           json["cells"][1]["river"],
                           json["cells"][1]["fertility"]})
                  .dump(),
              R"([1,3,[120,300],4,"rich.scp","1",1,11,1093140480,30,513,[22,11,33,44],)"
              R"(821,1,1600,1600,49157,13313,17,2705,2])");
}

TEST(InfoJson, SavegameNamesAndListsItsIslands) {
    IslandSpec first = RichIsland();
    IslandSpec second = RichIsland();
    second.number = 9;
    second.world_first = 500;
    second.name = "VENEDIG";
    TempFile file(SavegameBytes({first, second}), "game.sze");
    const Json json = Info(file.path(), "--island 2");
    // A scenario is handled as a savegame; a click on an island names it; "VENE" in the name
    // sets the climate.
    ASSERT_EQ(json["island_list"].size(), 2u);
    EXPECT_EQ(Json::array({json["file"]["kind"], json["island_list"][0][0],
                           json["island_list"][1][8], json["island"]["number"],
                           json["island"]["city_id"], json["island"]["climate"]}),
              Json::array({2, "Gr\u00FCninsel", "9", 9, 9, 6}));
}

TEST(InfoErrors, BadFilesFailWithStatusOneAndNothingOnStdout) {
    TempDir dir;
    Bytes truncated = IslandFileBytes(RichIsland());
    truncated.resize(truncated.size() / 2);
    WriteFileBytes(dir / "half.scp", truncated);
    WriteFileBytes(dir / "empty.sav", {});
    for (const std::string name : {"half.scp", "empty.sav", "missing.scp"}) {
        const ToolRun run = Tool("info " + Quote((dir / name).string()) + " --json");
        EXPECT_EQ(run.status, 1) << name;
        EXPECT_TRUE(run.out.empty()) << name << ": " << run.out;
        EXPECT_EQ(run.err.rfind("error: ", 0), 0u) << run.err;
        EXPECT_NE(run.err.find(name), std::string::npos) << run.err;
    }
}

// Refused commands exit with 1 (a file) or 2 (the command line), name what was wrong, print
// nothing on stdout and write no file.
TEST(CommandLine, RefusedCommandsNameWhatWasWrong) {
    TempFile file(IslandFileBytes(RichIsland()), "v.scp");
    TempDir dir;
    const std::string in = Quote(file.path().string());
    const std::string out = Quote((dir / "x.png").string());
    const std::string scp = Quote((dir / "x.scp").string());
    struct Case {
        std::string arguments;
        int status;
        std::string says;
    };
    const std::vector<Case> cases = {
        {"", 2, "A subcommand is required"},
        {"frobnicate", 2, "unknown subcommand \"frobnicate\"; the subcommands are: info, "},
        {"help", 2, "unknown subcommand \"help\""},
        {"info", 2, "FILE is required"},
        {"info /tmp/island.txt", 2, "the extension must be .scp, .sav, .cty or .sze"},
        {"info " + in + " --cells 3", 2, "error: --cells 3: expected two numbers"},
        {"info " + in + " --json --cells 1025,3", 1, "cell (1025, 3) lies outside"},
        {"info " + in + " --island 0", 2, "error: --island 0: the island list has rows 1 to 1"},
        {"info " + in + " --city 1", 1, "v.scp has no cities"},
        {"info " + in + " --catchment", 2, "--json"},
        {"convert " + in + " -o " + scp + " --shift height:1", 2, "error: --shift height:1:"},
        {"convert " + in + " -o " + scp + " --shift trees:1,1", 2, "KIND must be height"},
        {"render " + in + " -o " + out + " --part 1,2,3", 2, "error: --part 1,2,3:"},
        {"render " + in + " -o " + out + " --part abc", 2, "error: --part abc:"},
        {"render " + in + " -o " + out + " --zoom 12", 2, "--zoom: 12 not in"},
        {"render " + in + " -o " + out + " --layer 4", 2, "--layer: Value 4"},
        {"render " + in + " -o " + out + " --catchment 2", 1, "v.scp has no cities"},
        {"new --size 64 --climate 9 -o " + Quote((dir / "n.scp").string()), 2, "--climate"},
        {"new --size abc -o " + Quote((dir / "n.scp").string()), 2, "error: --size abc"},
        {"new --size 64 -o x.txt", 2, "x.txt: the output must end in .scp"},
        {"dummy --size 64 --climate 7", 2, "--climate"},
        {"dummy --size 300", 2, "--size: Value 300"},
    };
    for (const Case& c : cases) {
        const ToolRun run = Tool(c.arguments, dir.path());
        EXPECT_EQ(run.status, c.status) << c.arguments << ": " << run.err;
        EXPECT_EQ(run.err.rfind("error: ", 0), 0u) << c.arguments << ": " << run.err;
        EXPECT_NE(run.err.find(c.says), std::string::npos) << c.arguments << ": " << run.err;
        EXPECT_TRUE(run.out.empty()) << c.arguments << ": " << run.out;
    }
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 0)
        << "a refused command wrote a file";
    EXPECT_NE(Tool("--version").out.find("inseltool "), std::string::npos);
}

TEST(CommandLine, MissingDefinitionFilesStopTheToolNamingTheFile) {
    TempDir folder;
    for (const char* name : {"MainIStrings.txt", "GFXBasis.txt", "GFXItems.txt", "Buildings.txt",
                             "MinenListe.txt", "TargetList.txt"})
        std::filesystem::copy_file(std::filesystem::path(PROGRAM_FOLDER) / name, folder / name);
    TempFile file(IslandFileBytes(RichIsland()));
    const ToolRun run = Tool("info " + Quote(file.path().string()), {}, folder.path().string());
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(
        run.err.rfind("error: Not all necessary textfiles are present: Gelaende.txt is missing", 0),
        0u)
        << run.err;
}

TEST(CommandLine, EveryFailureAtTheBoundaryIsAnErrorMessage) {
    TempFile file(IslandFileBytes(RichIsland()));
    const std::pair<const char*, const char*> failures[] = {{"bad_alloc", "error: out of memory"},
                                                            {"filesystem_error", "injected"},
                                                            {"logic_error", "error: injected"},
                                                            {"other", "unknown failure"}};
    for (const auto& [failure, says] : failures) {
        ::setenv("INSELTOOL_INJECT_FAILURE", failure, 1);
        const ToolRun run = Tool("info " + Quote(file.path().string()));
        ::unsetenv("INSELTOOL_INJECT_FAILURE");
        EXPECT_EQ(run.status, 1) << failure << ": " << run.err;
        EXPECT_EQ(run.err.rfind("error: ", 0), 0u) << failure << ": " << run.err;
        EXPECT_NE(run.err.find(says), std::string::npos) << failure << ": " << run.err;
        EXPECT_TRUE(run.out.empty()) << failure;
    }
}

TEST(CommandLine, OutputsNeverReplaceTheInputOrEachOther) {
    TempDir dir;
    const Bytes island = IslandFileBytes(RichIsland());
    WriteFileBytes(dir / "v.scp", island);
    std::filesystem::create_symlink("v.scp", dir / "link.scp");
    std::filesystem::create_symlink("v.scp", dir / "link.txt");
    const std::string in = Quote((dir / "v.scp").string());
    auto at = [&](const char* name) { return Quote((dir / name).string()); };
    const std::vector<std::pair<std::string, int>> cases = {
        {"export " + in + " -o " + in, 2},
        {"render " + in + " -o " + in, 2},
        {"stats " + in + " --save-gfx " + in, 2},
        {"render " + in + " -o " + at("a.png") + " --overview " + in, 2},
        {"render " + in + " -o " + at("other.scp"), 2},
        {"dummy --size 64 -o " + at("d.cty"), 2},
        {"render " + in + " -o " + at("a.png") + " --overview " + at("nodir/y.png"), 1},
        {"convert " + in + " -o " + Quote((dir / "." / "v.scp").string()), 1},
        {"convert " + in + " -o " + at("link.scp"), 1},
        {"export " + in + " -o " + at("link.txt"), 1},
        {"stats " + in + " --save-gfx " + at("g.txt") + " --save-terrain " + at("g.txt"), 1},
    };
    for (const auto& [arguments, status] : cases) {
        const ToolRun run = Tool(arguments);
        EXPECT_EQ(run.status, status) << arguments << ": " << run.err;
        EXPECT_EQ(run.err.rfind("error: ", 0), 0u) << arguments << ": " << run.err;
        EXPECT_EQ(ReadFileBytes(dir / "v.scp"), island) << arguments;
        EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 3)
            << arguments << " left an output behind";
    }
}

TEST(Convert, TakesOneIslandOutOfASavegame) {
    IslandSpec second = RichIsland();
    second.number = 4;
    second.world_first = 900;
    second.heights = [](int, int) { return std::uint8_t{77}; };
    TempFile save(SavegameBytes({RichIsland(), second}), "game.sav");
    TempDir out;
    const ToolRun run = Tool("convert " + Quote(save.path().string()) + " -o " +
                             Quote((out / "one.scp").string()) + " --island 2");
    ASSERT_EQ(run.status, 0) << run.err;
    const Json json = Info(out / "one.scp", "--cells 39,39");
    EXPECT_EQ(Json::array({json["cells"][0]["height"], json["island"]["width"],
                           json["animals"].size(), json["island_list"].size()}),
              Json::array({77, 40, 1, 1}));
}

// A load or a write that fails keeps the existing target as it was.
TEST(Convert, FailureLeavesAnExistingTargetIntact) {
    TempDir dir;
    Bytes bad = IslandFileBytes(RichIsland());
    bad.resize(200);
    WriteFileBytes(dir / "bad.scp", bad);
    IslandSpec many_mines = RichIsland();
    many_mines.mines.assign(256, MineSpec{.x = 3, .y = 3});  // INFO keeps the count in one byte
    WriteFileBytes(dir / "mines.scp", IslandFileBytes(many_mines));
    for (const auto& [input, says] : {std::pair{"bad.scp", "bad.scp"},
                                      std::pair{"mines.scp", "error: Fehler beim Schreiben"}}) {
        WriteFileBytes(dir / "target.scp", Bytes{1, 2, 3});
        const ToolRun run = Tool("convert " + Quote((dir / input).string()) + " -o " +
                                 Quote((dir / "target.scp").string()));
        EXPECT_EQ(run.status, 1) << input;
        EXPECT_NE(run.err.find(says), std::string::npos) << run.err;
        EXPECT_EQ(ReadFileBytes(dir / "target.scp"), (Bytes{1, 2, 3})) << input;
    }
}

TEST(NewAndDummy, SizesFollowTheDialogRulesAndDummyTakesItsProposedName) {
    TempDir dir;
    for (const auto& [typed, expected] :
         std::vector<std::pair<std::string, int>>{{"100", 96}, {"2000", 1024}, {"64", 64}}) {
        const auto path = dir / ("n" + typed + ".scp");
        ASSERT_EQ(Tool("new --size " + typed + " --climate 4 -o " + Quote(path.string())).status,
                  0);
        const Json json = Info(path);
        EXPECT_EQ(json["island"]["width"], expected) << typed;
        EXPECT_EQ(json["island"]["climate"], 4);
    }
    const ToolRun run = Tool("dummy --size 64 --climate 2", dir.path());
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(ReadFileBytes(dir / "N_064x064_DUMMY.scp"), DummyIslandBytes(64, 2));
    const Json json = Info(dir / "N_064x064_DUMMY.scp", "--cells 7,2");
    EXPECT_EQ(Json::array({json["cells"][0]["gfx"], json["cells"][0]["height"]}),
              Json::array({0x0B44, 0x60}));
}

namespace {

// Two islands and three cities: a harbour town and a town without warehouse on the first
// island, a native village on the second.
GameFileWithCities CitySavegame() {
    IslandSpec first = RichIsland(), second = RichIsland();
    first.number = 1;
    first.world_first = 100;
    first.objects = {{.id_word = 2001, .x = 10, .y = 10},
                     {.id_word = 1200, .x = 12, .y = 12},
                     {.id_word = 1200, .x = 30, .y = 30}};
    second.number = 2;
    second.world_first = 300;
    second.objects = {{.id_word = 3000, .x = 5, .y = 5}};
    first.world_second = second.world_second = 50;
    const PlayerSpec mongols{
        .type = 14, .number = 2, .volk = "MONGOLEN", .alias = "MONGOLEN", .forsch = {}};
    return SavegameWithCities(
        {first, second},
        {{.player = PlayerSpec{.type = 8, .number = 1, .forsch = {}},
          .name = "Hafenstadt",
          .abs_first = 110,
          .abs_second = 60,
          .buildings = {WarehouseEntry(10, 10, 7), PlainEntry(12, 12)}},
         {.player = mongols,
          .name = "Steppendorf",
          .abs_first = 310,
          .abs_second = 60,
          .buildings = {WarehouseEntry(5, 5, 9)}},
         {.name = "Leer", .abs_first = 120, .abs_second = 70, .buildings = {PlainEntry(30, 30)}}});
}

}  // namespace

// A savegame lists its cities and a click decodes their island; tidying renumbers the
// warehouses and claims the catchment.
TEST(Cities, SavegameListsAndTidiesItsCities) {
    TempFile file(CitySavegame().bytes, "cities.sav");
    const Json json = Info(file.path(), "--city 2");
    ASSERT_EQ(json["city_list"].size(), 3u);
    ASSERT_EQ(json["cities"].size(), 3u);
    const Json& village = json["cities"][1];
    const Json& building = village["buildings"][0];
    // MONGOLEN are people 3; savegames keep no warehouse list until tidied.
    EXPECT_EQ(Json::array({json["city_list"][1][0], json["city_list"][1][6], village["people"],
                           village["abs"], building["warehouse"], building["graphic_id"],
                           building["radius"], json["current_city"], json["island"]["number"],
                           json["island"]["city_id"], json["warehouses"]}),
              Json::array({"Steppendorf", "2", 3, {310, 60}, 9, 3000, 15, 2, 2, 2, Json::array()}));

    const Json tidied = Info(file.path(), "--aufraum --catchment");
    ASSERT_EQ(tidied["warehouses"].size(), 2u);
    ASSERT_EQ(tidied["catchment"].size(), 512u);
    const std::string row = tidied["catchment"][10];
    // 7 and 9 become 1 and 3; x = 0 belongs to no city.
    EXPECT_EQ(Json::array({tidied["warehouses"][0]["number"], tidied["warehouses"][1]["number"],
                           tidied["objects"][0]["owner"], row.size(),
                           std::string{row[10]} + tidied["catchment"][0].get<std::string>()[10]}),
              Json::array({1, 3, 1, 512, "1."}));
}

TEST(Cities, ExtractedCityFileCarriesTheTownsWithWarehouses) {
    TempFile file(CitySavegame().bytes, "cities.sav");
    TempDir out;
    const auto target = out / "harbour.cty";
    const ToolRun save =
        Tool("convert " + Quote(file.path().string()) + " --city 1 -o " + Quote(target.string()));
    ASSERT_EQ(save.status, 0) << save.err;
    const Json json = Info(target);
    // The town without warehouse is not written.
    EXPECT_EQ(Json::array({json["file"]["kind"], json["cities"].size(), json["cities"][0]["name"],
                           json["warehouses"].size(), json["warehouses"][0]["number"]}),
              Json::array({3, 1, "Hafenstadt", 1, 7}));
    std::vector<int> owners;
    for (const Json& object : json["objects"]) owners.push_back(object["owner"]);
    // The town without warehouse owns nothing in a savegame, so its object stays, outside
    // the harbour's catchment.
    EXPECT_EQ(owners, (std::vector<int>{1, 1, 0}));
    const std::string bytes = Slurp(target);
    EXPECT_EQ(bytes.rfind("CTYFORMAT-ADDONLEVEL", 0), 0u);
    EXPECT_NE(bytes.find("Generated "), std::string::npos);
}

TEST(Cities, ForeseenMessagesGoToStderrAndTheCommandGoesOn) {
    GameFileWithCities game = CitySavegame();
    TempFile file(game.bytes, "cities.sav");
    // A city whose position lies on no island: its abs position is moved far away.
    Bytes moved = game.bytes;
    moved[game.cities[2].stadt2 + 10] = 0xFF;
    moved[game.cities[2].stadt2 + 11] = 0x7F;
    TempFile lost(moved, "lost.sav");
    const ToolRun run = Tool("info " + Quote(lost.path().string()) + " --city 3");
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_NE(run.err.find("message: Stadt nicht gefunden"), std::string::npos) << run.err;
    EXPECT_FALSE(run.out.empty());
}

TEST(Cities, ShiftsMoveTheLayersBeforeTheyAreWritten) {
    TempFile file(IslandFileBytes(RichIsland()), "rich.scp");
    TempDir out;
    const auto target = out / "shifted.scp";
    ASSERT_EQ(Tool("convert " + Quote(file.path().string()) + " -o " + Quote(target.string()) +
                   " --shift height:-1,0 --shift plants:0,2")
                  .status,
              0);
    const Json json = Info(target, "--cells 4,6 --cells 5,8");
    EXPECT_EQ(json["cells"][0]["height"], 5 + 2 * 6);  // the height of (5, 6)
    EXPECT_EQ(json["cells"][1]["terrain"], 0xC005);    // the element of (5, 6)
    EXPECT_EQ(json["quarry_spots"][0]["y"], 515);
}

TEST(Reports, ExportStatisticsObjectsAndSeries) {
    IslandSpec island = RichIsland();
    island.heights = [](int x, int y) {
        return static_cast<std::uint8_t>(x == 5 && y == 7 ? 96 : 0);
    };
    island.gfx = [](int x, int y) {
        return static_cast<std::uint16_t>(x == 5 && y == 7 ? 0x0B44 : 0x0D00);
    };
    island.terrain = [](int x, int y) { return x == 5 && y == 7 ? Element{0x4105, 0} : Element{}; };
    island.fertility = [](int, int) { return std::uint8_t{3}; };
    TempFile file(IslandFileBytes(island), "one.scp");
    TempDir out;
    const std::string in = Quote(file.path().string());
    ASSERT_EQ(Tool("export " + in + " -o " + Quote((out / "raw.txt").string())).status, 0);
    const std::string raw = Slurp(out / "raw.txt");
    EXPECT_NE(raw.find("\r\n    [5,7] :   96,  0B 44,  05 41,   3\r\n"), std::string::npos) << raw;
    EXPECT_EQ(raw.rfind("x, y, H\xF6he", 0), 0u);  // Windows-1252, as the game's texts

    const ToolRun stats =
        Tool("stats " + in + " --json --save-gfx " + Quote((out / "GFX.txt").string()));
    ASSERT_EQ(stats.status, 0) << stats.err;
    const Json grids = Json::parse(stats.out);
    ASSERT_EQ(grids["gfx"].size(), 3u);  // heading, series 0B, series 0D
    EXPECT_EQ(grids["gfx"][1][3], "1");
    EXPECT_NE(Slurp(out / "GFX.txt").find("* 0B,*,11,1,\r\n"), std::string::npos);

    const Json series = Json::parse(Tool("series " + in + " --rows 2 --json").out);
    EXPECT_EQ(
        Json::array({series["ranks"][0]["code"], series["ranks"][1]["code"], series["total"]}),
        Json::array({"0D", "0B", 1600}));

    // The object list needs a chosen city.
    EXPECT_EQ(Tool("objects " + in + " -o " + Quote((out / "list.txt").string())).status, 1);
    TempFile game(CitySavegame().bytes, "cities.sav");
    ASSERT_EQ(Tool("objects " + Quote(game.path().string()) + " --city 1 -o " +
                   Quote((out / "list.txt").string()))
                  .status,
              0);
    EXPECT_EQ(Slurp(out / "list.txt").rfind("$ Ofsety,", 0), 0u);
}

// The canvas and overview are pictures; tile pictures are the same from resident and from
// cut series.
TEST(Render, CanvasOverviewAndTilePictures) {
    TempFile file(IslandFileBytes(RichIsland()), "rich.scp");
    TempDir out;
    const ToolRun run = Tool(
        "render " + Quote(file.path().string()) + " -o " + Quote((out / "map.png").string()) +
        " --overview " + Quote((out / "mini.png").string()) + " --layer 3 --zoom 16 --part 10,10");
    ASSERT_EQ(run.status, 0) << run.err;
    for (const char* name : {"map.png", "mini.png"}) {
        const Bytes png = ReadFileBytes(out / name);
        ASSERT_GT(png.size(), 8u) << name;
        EXPECT_EQ(std::string(png.begin() + 1, png.begin() + 4), "PNG") << name;
    }
    const std::string sample = std::string(PROGRAM_FOLDER) + "/samples/sample_island.scp";
    EXPECT_GT(Info(sample)["mines"].size(), 0u);
    const std::string view = " --layer 1 --zoom 32 --part 60,60 -o ";
    for (const char* extra : {"cut.png --tiles", "resident.png --tiles --preload 5", "plain.png"})
        ASSERT_EQ(Tool("render " + Quote(sample) + view + Quote(out.path().string()) + "/" + extra)
                      .status,
                  0)
            << extra;
    EXPECT_EQ(ReadFileBytes(out / "cut.png"), ReadFileBytes(out / "resident.png"));
    EXPECT_NE(ReadFileBytes(out / "cut.png"), ReadFileBytes(out / "plain.png"));
}
