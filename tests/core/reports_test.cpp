// Text export, statistics grids, object list and texture series ranking.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <tuple>
#include <vector>

#include "core/app/editor.h"
#include "core/reports/export.h"
#include "core/reports/statistics.h"
#include "temp_file.h"

namespace insel {
namespace {

using Lines = std::vector<std::string>;

std::unique_ptr<Editor> SmallIsland(int side) {
    auto editor = std::make_unique<Editor>();
    editor->doc.island.record.width = static_cast<std::uint16_t>(side);
    editor->doc.island.record.height = static_cast<std::uint16_t>(side);
    editor->doc.loaded = true;
    return editor;
}

const Lines kLegend = {"",
                       "GFX-ID: Feldorientierung steht in Einerstelle:",
                       "0/C = Norden, 1/D = Osten, 2/E = S\xFC"
                       "den, 3/F = Westen",
                       "Basiseinheit der GFX-Felder sind 3*3 Arrays:",
                       "[0,0]: id   00  id +$04  id +$08",
                       "[0,1]: id +$20  id +$24  id +$28",
                       "[0,2]: id +$40  id +$44  id +$48"};

TEST(RawExport, LineColumnsAlignForSmallAndLargeCoordinates) {
    EXPECT_EQ(RawExportLine(5, 7, 96, 0x0B44, 0x4105, 3), "    [5,7] :   96,  0B 44,  05 41,   3");
    EXPECT_EQ(RawExportLine(100, 10, 5, 0xFF01, 0x0002, 10),
              " [100,10] :    5,  FF 01,  02 00,  10");
    EXPECT_EQ(RawExportLine(512, 300, 200, 0, 0, 0), "[512,300] :  200,  00 00,  00 00,   0");
}

TEST(RawExport, OnlyLandCellsRowByRowThenLegend) {
    auto editor = SmallIsland(12);
    IslandMap& island = editor->doc.island;
    island.height.set(5, 7, 96);
    island.gfx.set(5, 7, 0x0B44);
    island.terrain.set(5, 7, 0x4105);
    island.fertility.set(5, 7, 3);
    island.height.set(9, 2, 1);
    island.gfx.set(3, 3, 0x0B00);  // height 0: no line however the other layers look

    Lines expected{"x, y, H\xF6he (>=40: Land), GFX-ID, Gel\xE4nde-ID, Fruchtbarkeit",
                   "    [9,2] :    1,  00 00,  00 00,  10",
                   "    [5,7] :   96,  0B 44,  05 41,   3"};
    expected.insert(expected.end(), kLegend.begin(), kLegend.end());
    EXPECT_EQ(RawExportLines(island), expected);
}

TEST(RawExport, IslandWithoutLandStillGetsLegendAsWindows1252File) {
    auto editor = SmallIsland(8);
    fixture::TempDir dir;
    WriteRawExport(dir / "raw.txt", editor->doc.island);
    const auto bytes = fixture::ReadFileBytes(dir / "raw.txt");
    std::string text(bytes.begin(), bytes.end());
    std::string expected = "x, y, H\xF6he (>=40: Land), GFX-ID, Gel\xE4nde-ID, Fruchtbarkeit\r\n";
    for (const auto& line : kLegend) expected += line + "\r\n";
    EXPECT_EQ(text, expected);

    // Bytes pass unchanged, also those Windows-1252 leaves undefined.
    WriteWindows1252Lines(dir / "m.txt", {"Gr\xF6\xDF"
                                          "e \x81\x80",
                                          ""});
    const auto written = fixture::ReadFileBytes(dir / "m.txt");
    EXPECT_EQ(std::string(written.begin(), written.end()),
              "Gr\xF6\xDF"
              "e \x81\x80\r\n\r\n");
}

TEST(ValueCountList, SortsByValueThenSecondAndCountsRepeats) {
    ValueCountList list;
    list.Add(5, 2);
    list.Add(3, 9, 4);
    list.Add(5, 1);
    list.Add(5, 2);
    const auto e = list.Entries();
    ASSERT_EQ(e.size(), 3u);
    EXPECT_EQ(
        (std::vector<std::int64_t>{e[0].value, e[0].count, e[1].second, e[2].second, e[2].count}),
        (std::vector<std::int64_t>{3, 4, 1, 2, 2}));
}

TEST(Statistics, GraphicValuesWithAndWithoutLowByte) {
    auto editor = SmallIsland(4);
    IslandMap& island = editor->doc.island;
    island.gfx.set(0, 0, 0x0B44);
    island.gfx.set(3, 3, 0x0B45);
    island.gfx.set(1, 2, 0x0C00);
    island.gfx.set(4, 4, 0x0D00);  // outside the 4 x 4 island

    const GridRows series = GfxStatisticsRows(island, true);
    const GridRows expected_series{{"ID", "ID lo", "ID hi", "Anzahl"},
                                   {"* 00", "*", "0", "13"},
                                   {"* 0B", "*", "11", "2"},
                                   {"* 0C", "*", "12", "1"}};
    EXPECT_EQ(series, expected_series);

    const GridRows tiles = GfxStatisticsRows(island, false);
    const GridRows expected_tiles{{"ID", "ID lo", "ID hi", "Anzahl"},
                                  {"00 00", "0", "0", "13"},
                                  {"44 0B", "68", "11", "1"},
                                  {"45 0B", "69", "11", "1"},
                                  {"00 0C", "0", "12", "1"}};
    EXPECT_EQ(tiles, expected_tiles);

    const Lines saved = StatisticsFileLines(series, StatisticsGrid::Gfx);
    EXPECT_EQ(saved, (Lines{"ID,ID-lobyte,ID-hibite,Orientierung,Anzahl", "* 00,*,0,13,",
                            "* 0B,*,11,2,", "* 0C,*,12,1,"}));
    EXPECT_STREQ(StatisticsFileName(StatisticsGrid::Gfx), "GFX.txt");
}

TEST(Statistics, TerrainOrientationsMergeOnlyWhenRotationIsDropped) {
    auto editor = SmallIsland(4);
    IslandMap& island = editor->doc.island;
    const std::uint16_t turns[] = {0x0105, 0x4105, 0x8105, 0xC105};
    for (int o = 0; o < 4; ++o) {
        island.terrain.set(o, 1, turns[o]);
        island.terrain_param.set(o, 1, 0x0203);
        island.height.set(o, 1, static_cast<std::uint8_t>(40 + o));
    }

    const GridRows merged = TerrainStatisticsRows(island, true);
    const GridRows expected_merged{{"ID", "ID lo", "ID hi", "Orient", "Anzahl", "Wachstum"},
                                   {"0", "0", "0", "0", "12", "00 00"},
                                   {"261", "5", "1", "0", "4", "03 02"}};
    EXPECT_EQ(merged, expected_merged);

    const GridRows apart = TerrainStatisticsRows(island, false);
    ASSERT_EQ(apart.size(), 6u);
    for (int o = 0; o < 4; ++o) {
        EXPECT_EQ(apart[2 + o], (std::vector<std::string>{std::to_string(turns[o]), "5", "1",
                                                          std::to_string(o), "1", "03 02"}));
    }

    const Lines saved = StatisticsFileLines(merged, StatisticsGrid::Terrain);
    EXPECT_EQ(saved.back(), "261,5,1,0,4,03 02");

    // Places: any turn, one chosen turn, and a typed key that carries turn bits itself.
    EXPECT_EQ(ElementPlaceRows(island, 0x0105, true, 0).size(), 5u);
    const GridRows south = ElementPlaceRows(island, 0x0105, false, 2);
    EXPECT_EQ(south, (GridRows{{"Growth", "x", "y", "Height"}, {"03 02", "2", "1", "42"}}));
    EXPECT_EQ(ElementPlaceRows(island, 0x4105, false, 3),
              ElementPlaceRows(island, 0x0105, false, 3));
}

ObjectEntry Object(std::uint16_t id, int x, int y, std::uint16_t width, std::uint16_t height,
                   std::uint8_t turn) {
    ObjectEntry object;
    object.graphic_id = id;
    object.x = x;
    object.y = y;
    object.width = width;
    object.height = height;
    object.orientation = turn;
    return object;
}

TEST(ObjectList, CityBuildingsFirstThenEveryOtherObject) {
    auto editor = SmallIsland(64);
    editor->doc.island.objects = {Object(42, 30, 12, 1, 1, 0), Object(1201, 10, 20, 2, 3, 1),
                                  Object(65000, 14, 25, 4, 4, 3)};
    CityRecord city;
    BuildingEntry on_object, without_object;
    on_object.x = 10;
    on_object.y = 20;
    without_object.x = 50;
    without_object.y = 50;
    city.buildings = {without_object, on_object};
    editor->doc.cities.cities.push_back(city);
    editor->doc.cities.current = 0;

    EXPECT_EQ(
        ObjectListLines(editor->doc.island, editor->doc.cities.Current()),
        (Lines{"$ Ofsety,12, Ofsetx,10", "$ Nr,    ID,  y,  x, dy, dx, Orientation,  - mit Entry",
               "  1,  1201, 20, 10,  3,  2,   1",
               "$       ID,  y,  x, dy, dx, Orientation   - ohne Entry",
               "  1,    42, 12, 30,  1,  1,   0", "  2, 65000, 25, 14,  4,  4,   3"}));

    EXPECT_TRUE(ObjectListLines(editor->doc.island, nullptr).empty());
    editor->doc.island.objects.clear();
    EXPECT_TRUE(ObjectListLines(editor->doc.island, editor->doc.cities.Current()).empty());
}

TEST(ObjectList, FileNameTakesTxtExtensionWithinEightyCharactersAndMemoNeedsFiveLines) {
    EXPECT_EQ(ObjectListFileName("Sued07.scp"), "Sued07.txt");
    EXPECT_EQ(ObjectListFileName("dir.v2/Insel"), "dir.v2/Insel.txt");
    const std::string name = ObjectListFileName(std::string(90, 'a') + ".scp");
    EXPECT_EQ(name, std::string(76, 'a') + ".txt");
    // A memo is saved from five lines on.
    EXPECT_EQ(std::pair(MemoWorthSaving(Lines(4, "x")), MemoWorthSaving(Lines(5, ""))),
              std::pair(false, true));
}

TEST(SeriesRanking, EqualCountsRankByIndexWithRoundedShares) {
    std::array<std::int32_t, kSeriesCount> usage{};
    usage[3] = 50;
    usage[1] = 50;
    usage[7] = 20;
    usage[kSeriesCount - 1] = 120;

    const SeriesRanking ranking = RankSeries(usage, 4);
    ASSERT_EQ(ranking.ranks.size(), 4u);
    // The unused ones follow by index; shares 41.67 and 16.67 round.
    std::vector<std::tuple<int, int, int>> ranks;  // series, count, share
    for (const auto& r : ranking.ranks)
        ranks.emplace_back(r.series, r.count, r.share_percent.value_or(-1));
    EXPECT_EQ(ranks, (std::vector<std::tuple<int, int, int>>{
                         {1, 50, 42}, {3, 50, 42}, {7, 20, 17}, {0, 0, 0}}));
    EXPECT_EQ(ranking.total_percent, 100);

    ASSERT_EQ(ranking.memo.size(), 149u);
    EXPECT_EQ(Lines(ranking.memo.begin(), ranking.memo.begin() + 2), (Lines{"0B   0", "0C   50"}));
    EXPECT_EQ(Lines(ranking.memo.end() - 2, ranking.memo.end()), (Lines{"Anzahl: 3", "Total 120"}));

    std::array<std::int32_t, kSeriesCount> halves{};
    halves[5] = 1;
    halves[kSeriesCount - 1] = 8;
    EXPECT_EQ(RankSeries(halves, 1).ranks[0].share_percent, 13);  // 12.5 rounds up

    const SeriesRanking unused = RankSeries({}, 2);
    EXPECT_FALSE(unused.ranks.at(0).share_percent.has_value());
    EXPECT_FALSE(unused.total_percent.has_value());
}

}  // namespace
}  // namespace insel
