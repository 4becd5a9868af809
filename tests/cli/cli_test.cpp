// inseltool through the real binary: JSON contract, exit codes, messages, written files.
#include <gtest/gtest.h>

#include <map>
#include <nlohmann/json.hpp>
#include <sstream>

#include "city_fixture.h"
#include "island_fixture.h"
#include "tool_run.h"

using namespace insel::fixture;
using Json = nlohmann::json;

namespace {

// The values at the space-separated JSON pointers as one compact array; "#/a" is a's size.
std::string Pick(const Json& json, const std::string& pointers) {
    Json values = Json::array();
    std::istringstream words(pointers);
    for (std::string p; words >> p;) {
        const Json& value = json.at(Json::json_pointer(p[0] == '#' ? p.substr(1) : p));
        values.push_back(p[0] == '#' ? Json(value.size()) : value);
    }
    return values.dump();
}

// clang-format off
IslandSpec RichIsland() {
    return {.width = 40, .height = 40, .world_first = 120, .world_second = 300, .number = 7,
            .climate = 3, .heights = [](int x, int y) { return std::uint8_t(x + 2 * y); },
            .fertility = [](int x, int) { return std::uint8_t(x % 11); },
            .gfx = [](int x, int y) { return std::uint16_t(0x0D00 + x % 3 * 4 + y % 3 * 32); },
            .terrain = [](int x, int y) {
                return x == 5 && y == 6 ? Element{0xC005, 0x3401} : Element{}; },
            .rivers = [](int x, int y) {
                return x == 13 && y == 20 ? Element{2705, 0x0201} : Element{}; },
            .quarry_spots = {{.x = 300, .y = 513, .orientation = 2}},
            .mines = {{.building_id = 1562u * 16384u, .x = 10, .y = 11,
                       .symbol_value = 0x401E0000, .visible = 1}},
            .animals = {{11, 22, 33, 44}},
            .objects = {{.id_word = 821 + 16384, .parameter = 0x2A00, .x = 3, .y = 4}},
            .name = "Gr\xFCninsel"};  // Windows-1252 umlaut
}

// Two islands and three cities: a harbour town and a town without warehouse on the first
// island, a native village on the second.
GameFileWithCities CitySavegame() {
    IslandSpec first = RichIsland(), second = RichIsland();
    first.number = 1;
    second.number = 2;
    first.world_first = 100;
    second.world_first = 300;
    first.world_second = second.world_second = 50;
    first.objects = {{.id_word = 2001, .x = 10, .y = 10}, {.id_word = 1200, .x = 12, .y = 12},
                     {.id_word = 1200, .x = 30, .y = 30}};
    second.objects = {{.id_word = 3000, .x = 5, .y = 5}};
    const PlayerSpec mongols{.type = 14, .number = 2, .volk = "MONGOLEN", .alias = "MONGOLEN"};
    return SavegameWithCities({first, second}, {
        {.player = PlayerSpec{.type = 8, .number = 1}, .name = "Hafenstadt", .abs_first = 110,
         .abs_second = 60, .buildings = {WarehouseEntry(10, 10, 7), PlainEntry(12, 12)}},
        {.player = mongols, .name = "Steppendorf", .abs_first = 310, .abs_second = 60,
         .buildings = {WarehouseEntry(5, 5, 9)}},
        {.name = "Leer", .abs_first = 120, .abs_second = 70, .buildings = {PlainEntry(30, 30)}}});
}
// clang-format on

// Every test works in a scratch folder of its own, with files named relative to it.
class Cli : public ::testing::Test {
  protected:
    TempDir dir_;

    void Put(const std::string& name, const Bytes& bytes) { WriteFileBytes(dir_ / name, bytes); }

    // Runs inseltool in the scratch folder; leading NAME=value words set its environment.
    ToolRun Run(std::string arguments) {
        std::string environment;
        while (arguments.find('=') < arguments.find(' ')) {
            environment += arguments.substr(0, arguments.find(' ') + 1);
            arguments.erase(0, arguments.find(' ') + 1);
        }
        return RunTool(dir_.path(), arguments, environment);
    }

    // `info --json` of a file that must load; a failure shows its message and yields null.
    Json Info(const std::string& file, const std::string& flags = "") {
        const ToolRun run = Run("info '" + file + "' --json " + flags);
        EXPECT_EQ(run.status, 0) << file << ": " << run.err;
        return run.status == 0 ? Json::parse(run.out) : Json();
    }
};

}  // namespace

TEST_F(Cli, InfoCarriesTheContractKeysWithDecodedValues) {
    Put("rich.scp", IslandFileBytes(RichIsland()));
    const Json json = Info("rich.scp", "--cells 5,6 --cells 13,20");
    EXPECT_EQ(json["file"]["size"], std::filesystem::file_size(dir_ / "rich.scp"));
    // Island files keep the file name; 0x41280000 is 10.5f; series code 0x0D is series 2.
    EXPECT_EQ(Pick(json,
                   "/file/kind /island/climate /island/world /island/cell_block_count /island/name "
                   "/panels/TierePanel #/mines /mines/0/y /mines/0/x_raw /mines/0/symbol_elevation "
                   "/quarry_spots/0/y /animals/0 /objects/0/graphic_id /objects/0/orientation "
                   "/series_usage/147 /series_usage/2 /cells/0/terrain /cells/0/terrain_param "
                   "/cells/0/height /cells/1/river /cells/1/fertility"),
              R"([1,3,[120,300],4,"rich.scp","1",1,11,1093140480,30,513,[22,11,33,44],821,1,)"
              R"(1600,1600,49157,13313,17,2705,2])");

    // A scenario is handled as a savegame; a click on an island names it; "VENE" in the name
    // sets the climate.
    IslandSpec second = RichIsland();
    second.number = 9;
    second.world_first = 500;
    second.name = "VENEDIG";
    Put("game.sze", SavegameBytes({RichIsland(), second}));
    EXPECT_EQ(Pick(Info("game.sze", "--island 2"),
                   "/file/kind #/island_list /island_list/0/0 /island_list/1/8 /island/number "
                   "/island/city_id /island/climate"),
              "[2,2,\"Gr\u00FCninsel\",\"9\",9,9,6]");
}

// Refused commands exit with 1 (a file) or 2 (the command line), name what was wrong, print
// nothing on stdout, and neither write a file nor change one.
TEST_F(Cli, RefusedCommandsNameWhatWasWrongAndWriteNothing) {
    Bytes island = IslandFileBytes(RichIsland());
    Put("v.scp", island);
    IslandSpec many_mines = RichIsland();
    many_mines.mines.assign(256, MineSpec{.x = 3, .y = 3});  // INFO keeps the count in one byte
    Put("mines.scp", IslandFileBytes(many_mines));
    island.resize(island.size() / 2);
    Put("half.scp", island);
    Put("empty.sav", {});
    Put("target.scp", {1, 2, 3});
    std::filesystem::create_symlink("v.scp", dir_ / "link.scp");
    std::filesystem::create_symlink("v.scp", dir_ / "link.txt");
    TempDir partial;  // a program folder without the terrain definitions
    for (const char* name : {"MainIStrings.txt", "GFXBasis.txt", "GFXItems.txt", "Buildings.txt",
                             "MinenListe.txt", "TargetList.txt"})
        std::filesystem::copy_file(std::filesystem::path(PROGRAM_FOLDER) / name, partial / name);
    auto files = [this] {
        std::map<std::string, Bytes> contents;
        for (const auto& entry : std::filesystem::directory_iterator(dir_.path()))
            contents[entry.path().filename().string()] = ReadFileBytes(entry.path());
        return contents;
    };
    const auto before = files();
    const std::tuple<std::string, int, std::string> cases[] = {
        {"", 2, "A subcommand is required"},
        {"frobnicate", 2, "unknown subcommand \"frobnicate\"; the subcommands are: info, "},
        {"help", 2, "unknown subcommand \"help\""},
        {"info", 2, "FILE is required"},
        {"info /tmp/island.txt", 2, "the extension must be .scp, .sav, .cty or .sze"},
        {"info half.scp --json", 1, "half.scp"},
        {"info empty.sav --json", 1, "empty.sav"},
        {"info missing.scp --json", 1, "missing.scp"},
        {"info v.scp --cells 3", 2, "error: --cells 3: expected two numbers"},
        {"info v.scp --json --cells 1025,3", 1, "cell (1025, 3) lies outside"},
        {"info v.scp --island 0", 2, "error: --island 0: the island list has rows 1 to 1"},
        {"info v.scp --city 1", 1, "v.scp has no cities"},
        {"info v.scp --catchment", 2, "--json"},
        {"--program-folder '" + partial.path().string() + "' info v.scp", 1,
         "error: Not all necessary textfiles are present: Gelaende.txt is missing"},
        {"INSELTOOL_INJECT_FAILURE=bad_alloc info v.scp", 1, "error: out of memory"},
        {"INSELTOOL_INJECT_FAILURE=filesystem_error info v.scp", 1, "injected"},
        {"INSELTOOL_INJECT_FAILURE=logic_error info v.scp", 1, "error: injected"},
        {"INSELTOOL_INJECT_FAILURE=other info v.scp", 1, "unknown failure"},
        {"convert v.scp -o x.scp --shift height:1", 2, "error: --shift height:1:"},
        {"convert v.scp -o x.scp --shift trees:1,1", 2, "KIND must be height"},
        {"convert half.scp -o target.scp", 1, "half.scp"},
        {"convert mines.scp -o target.scp", 1, "error: Fehler beim Schreiben"},
        {"convert v.scp -o ./v.scp", 1, "./v.scp is the input file; nothing was written"},
        {"convert v.scp -o link.scp", 1, "link.scp is the input file"},
        {"export v.scp -o link.txt", 1, "link.txt is the input file"},
        {"export v.scp -o v.scp", 2, "v.scp: a text file is written as *.txt"},
        {"stats v.scp --save-gfx v.scp", 2, "v.scp: a statistics file is written as *.txt"},
        {"stats v.scp --save-gfx g.txt --save-terrain g.txt", 1, "g.txt is named for two outputs"},
        {"render v.scp -o v.scp", 2, "v.scp: a picture is written as *.png"},
        {"render v.scp -o a.png --overview v.scp", 2, "v.scp: a picture is written as *.png"},
        {"render v.scp -o other.scp", 2, "other.scp: a picture is written as *.png"},
        {"render v.scp -o a.png --overview nodir/y.png", 1, "the folder \"nodir\" does not exist"},
        {"render v.scp -o x.png --part 1,2,3", 2, "error: --part 1,2,3:"},
        {"render v.scp -o x.png --part abc", 2, "error: --part abc:"},
        {"render v.scp -o x.png --zoom 12", 2, "--zoom: 12 not in"},
        {"render v.scp -o x.png --layer 4", 2, "--layer: Value 4"},
        {"render v.scp -o x.png --catchment 2", 1, "v.scp has no cities"},
        {"new --size 64 --climate 9 -o n.scp", 2, "--climate"},
        {"new --size abc -o n.scp", 2, "error: --size abc"},
        {"new --size 64 -o x.txt", 2, "x.txt: the output must end in .scp"},
        {"dummy --size 64 --climate 7", 2, "--climate"},
        {"dummy --size 300", 2, "--size: Value 300"},
        {"dummy --size 64 -o d.cty", 2, "d.cty: a dummy island is written as an island file"},
        {"objects v.scp -o list.txt", 1, "the list needs a chosen city"},
    };
    for (const auto& [arguments, status, says] : cases) {
        const ToolRun run = Run(arguments);
        // Status, the "error: " start, the message, nothing on stdout, no file written.
        EXPECT_EQ(std::tuple(run.status, run.err.rfind("error: ", 0),
                             run.err.find(says) == run.err.npos, run.out, files() == before),
                  std::tuple(status, 0u, false, "", true))
            << arguments << ": " << run.err;
    }
    EXPECT_NE(Run("--version").out.find("inseltool "), std::string::npos);
}

// A new island takes the dialog's sizes; a dummy island takes its proposed name.
TEST_F(Cli, NewAndDummyIslands) {
    for (const auto& [typed, width] : {std::pair{"100", 96}, {"2000", 1024}, {"64", 64}}) {
        ASSERT_EQ(Run("new --size " + std::string(typed) + " --climate 4 -o n.scp").status, 0);
        EXPECT_EQ(Pick(Info("n.scp"), "/island/width /island/climate"),
                  "[" + std::to_string(width) + ",4]");
    }
    const ToolRun run = Run("dummy --size 64 --climate 2");
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(ReadFileBytes(dir_ / "N_064x064_DUMMY.scp"), DummyIslandBytes(64, 2));
    EXPECT_EQ(Pick(Info("N_064x064_DUMMY.scp", "--cells 7,2"), "/cells/0/gfx /cells/0/height"),
              "[2884,96]");
}

TEST_F(Cli, ConvertTakesOneIslandAndShiftsItsLayers) {
    IslandSpec second = RichIsland();
    second.number = 4;
    second.world_first = 900;
    second.heights = [](int, int) { return std::uint8_t{77}; };
    Put("game.sav", SavegameBytes({RichIsland(), second}));
    ASSERT_EQ(Run("convert game.sav -o one.scp --island 2").status, 0);
    EXPECT_EQ(Pick(Info("one.scp", "--cells 39,39"),
                   "/cells/0/height /island/width #/animals #/island_list"),
              "[77,40,1,1]");

    Put("rich.scp", IslandFileBytes(RichIsland()));
    ASSERT_EQ(Run("convert rich.scp -o shifted.scp --shift height:-1,0 --shift plants:0,2").status,
              0);
    // The height and the element of (5, 6).
    EXPECT_EQ(Pick(Info("shifted.scp", "--cells 4,6 --cells 5,8"),
                   "/cells/0/height /cells/1/terrain /quarry_spots/0/y"),
              "[17,49157,515]");
}

// A savegame lists its cities and a click decodes their island; tidying renumbers the
// warehouses and claims the catchment; a city on no island is a message on stderr and the
// command goes on; a chosen city is extracted with the towns that have a warehouse.
TEST_F(Cli, SavegameListsTidiesAndExtractsItsCities) {
    const GameFileWithCities game = CitySavegame();
    Put("cities.sav", game.bytes);
    // MONGOLEN are people 3; savegames keep no warehouse list until tidied.
    EXPECT_EQ(Pick(Info("cities.sav", "--city 2"),
                   "#/city_list #/cities /city_list/1/0 /city_list/1/6 /cities/1/people "
                   "/cities/1/abs /cities/1/buildings/0/warehouse "
                   "/cities/1/buildings/0/graphic_id /cities/1/buildings/0/radius /current_city "
                   "/island/number /island/city_id /warehouses"),
              R"([3,3,"Steppendorf","2",3,[310,60],9,3000,15,2,2,2,[]])");

    const Json tidied = Info("cities.sav", "--aufraum --catchment");
    const std::string row = tidied["catchment"][10];
    // 7 and 9 become 1 and 3; x = 0 belongs to no city.
    EXPECT_EQ(Pick(tidied,
                   "#/warehouses /warehouses/0/number /warehouses/1/number "
                   "/objects/0/owner #/catchment"),
              "[2,1,3,1,512]");
    EXPECT_EQ(std::to_string(row.size()) + row[10] + tidied["catchment"][0].get<std::string>()[10],
              "5121.");

    Bytes moved = game.bytes;  // the third city's position far from every island
    moved[game.cities[2].stadt2 + 10] = 0xFF;
    moved[game.cities[2].stadt2 + 11] = 0x7F;
    Put("lost.sav", moved);
    const ToolRun run = Run("info lost.sav --city 3");
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_NE(run.err.find("message: Stadt nicht gefunden"), std::string::npos) << run.err;
    EXPECT_FALSE(run.out.empty());

    // The extracted city file leaves out the town without warehouse; that town owns nothing
    // in a savegame, so its object stays, outside the harbour's catchment.
    const ToolRun save = Run("convert cities.sav --city 1 -o harbour.cty");
    ASSERT_EQ(save.status, 0) << save.err;
    EXPECT_EQ(Pick(Info("harbour.cty"),
                   "/file/kind #/cities /cities/0/name #/warehouses /warehouses/0/number "
                   "/objects/0/owner /objects/1/owner /objects/2/owner #/objects"),
              R"([3,1,"Hafenstadt",1,7,1,1,0,3])");
    const std::string bytes = Slurp(dir_ / "harbour.cty");
    EXPECT_TRUE(bytes.starts_with("CTYFORMAT-ADDONLEVEL") &&
                bytes.find("Generated ") != std::string::npos);
}

TEST_F(Cli, ExportStatisticsSeriesAndObjectReports) {
    IslandSpec island = RichIsland();
    island.heights = [](int x, int y) { return std::uint8_t(x == 5 && y == 7 ? 96 : 0); };
    island.gfx = [](int x, int y) { return std::uint16_t(x == 5 && y == 7 ? 0x0B44 : 0x0D00); };
    island.terrain = [](int x, int y) { return x == 5 && y == 7 ? Element{0x4105, 0} : Element{}; };
    island.fertility = [](int, int) { return std::uint8_t{3}; };
    Put("one.scp", IslandFileBytes(island));
    ASSERT_EQ(Run("export one.scp -o raw.txt").status, 0);
    const std::string raw = Slurp(dir_ / "raw.txt");
    EXPECT_NE(raw.find("\r\n    [5,7] :   96,  0B 44,  05 41,   3\r\n"), std::string::npos) << raw;
    EXPECT_EQ(raw.rfind("x, y, H\xF6he", 0), 0u);  // Windows-1252, as the game's texts

    const ToolRun stats = Run("stats one.scp --json --save-gfx GFX.txt");
    ASSERT_EQ(stats.status, 0) << stats.err;
    // A heading, series 0B, series 0D.
    EXPECT_EQ(Pick(Json::parse(stats.out), "#/gfx /gfx/1/3"), R"([3,"1"])");
    EXPECT_NE(Slurp(dir_ / "GFX.txt").find("* 0B,*,11,1,\r\n"), std::string::npos);
    EXPECT_EQ(Pick(Json::parse(Run("series one.scp --rows 2 --json").out),
                   "/ranks/0/code /ranks/1/code /total"),
              R"(["0D","0B",1600])");

    Put("cities.sav", CitySavegame().bytes);
    ASSERT_EQ(Run("objects cities.sav --city 1 -o list.txt").status, 0);
    EXPECT_EQ(Slurp(dir_ / "list.txt").rfind("$ Ofsety,", 0), 0u);
}

// The canvas and overview are pictures; tile pictures are the same from resident and from
// cut series.
TEST_F(Cli, RenderWritesCanvasOverviewAndTilePictures) {
    Put("rich.scp", IslandFileBytes(RichIsland()));
    const ToolRun run =
        Run("render rich.scp -o map.png --overview mini.png --layer 3 --zoom 16 --part 10,10");
    ASSERT_EQ(run.status, 0) << run.err;
    for (const char* name : {"map.png", "mini.png"})
        EXPECT_EQ(Slurp(dir_ / name).substr(1, 3), "PNG") << name;
    const std::string sample = std::string(PROGRAM_FOLDER) + "/samples/sample_island.scp";
    EXPECT_GT(Info(sample)["mines"].size(), 0u);
    for (const char* extra : {"cut.png --tiles", "resident.png --tiles --preload 5", "plain.png"})
        ASSERT_EQ(
            Run("render '" + sample + "' --layer 1 --zoom 32 --part 60,60 -o " + extra).status, 0)
            << extra;
    EXPECT_EQ(ReadFileBytes(dir_ / "cut.png"), ReadFileBytes(dir_ / "resident.png"));
    EXPECT_NE(ReadFileBytes(dir_ / "cut.png"), ReadFileBytes(dir_ / "plain.png"));
}
