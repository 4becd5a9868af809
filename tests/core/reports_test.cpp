// Text export, statistics grids, object list and texture series ranking.
#include <gtest/gtest.h>

#include <array>
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
    auto ed = std::make_unique<Editor>();
    ed->doc.island.record.width = static_cast<std::uint16_t>(side);
    ed->doc.island.record.height = static_cast<std::uint16_t>(side);
    ed->doc.loaded = true;
    return ed;
}

TEST(RawExport, LandCellsRowByRowAlignedThenTheLegendAsAWindows1252FileAndValueCountLists) {
    auto ed = SmallIsland(520);
    IslandMap& island = ed->doc.island;
    // Height, tile, element and fertility per cell; height 0 gets no line whatever else it has.
    // clang-format off
    for (auto [x, y, height, gfx, terrain, fertility] : {std::array{5, 7, 96, 0x0B44, 0x4105, 3},
             {9, 2, 1, 0, 0, 10}, {100, 10, 5, 0xFF01, 2, 10}, {512, 300, 200, 0, 0, 0},
             {3, 3, 0, 0x0B00, 0, 10}})
        // clang-format on
        island.height.set(x, y, height), island.gfx.set(x, y, gfx),
            island.terrain.set(x, y, terrain), island.fertility.set(x, y, fertility);

    const std::string head = "x, y, H\xF6he (>=40: Land), GFX-ID, Gel\xE4nde-ID, Fruchtbarkeit";
    const Lines lines = RawExportLines(island);
    ASSERT_EQ(lines.size(), 5u + 7u);  // and the legend's seven lines
    EXPECT_EQ(
        Lines(lines.begin(), lines.begin() + 6),
        (Lines{head, "    [9,2] :    1,  00 00,  00 00,  10",
               "    [5,7] :   96,  0B 44,  05 41,   3", " [100,10] :    5,  FF 01,  02 00,  10",
               "[512,300] :  200,  00 00,  00 00,   0", ""}));

    // An island without land still gets the head and the legend.
    fixture::TempDir dir;
    WriteRawExport(dir / "raw.txt", SmallIsland(8)->doc.island);
    const auto bytes = fixture::ReadFileBytes(dir / "raw.txt");
    std::string expected = head + "\r\n";
    for (std::size_t i = 5; i < lines.size(); ++i) expected += lines[i] + "\r\n";
    EXPECT_EQ(std::string(bytes.begin(), bytes.end()), expected);

    // Bytes pass unchanged, also those Windows-1252 leaves undefined.
    const std::string text = "Gr\xF6\xDF\x65 \x81\x80";  // \x65 is the e of Groesse
    WriteWindows1252Lines(dir / "m.txt", {text, ""});
    const auto written = fixture::ReadFileBytes(dir / "m.txt");
    EXPECT_EQ(std::string(written.begin(), written.end()), text + "\r\n\r\n");

    // Value count lists sort by value, then second value, and count repeats.
    ValueCountList list;
    for (auto [value, second, count] : {std::tuple{5, 2, 1}, {3, 9, 4}, {5, 1, 1}, {5, 2, 1}})
        list.Add(value, second, count);
    const auto e = list.Entries();
    ASSERT_EQ(e.size(), 3u);
    EXPECT_EQ(
        (std::vector<std::int64_t>{e[0].value, e[0].count, e[1].second, e[2].second, e[2].count}),
        (std::vector<std::int64_t>{3, 4, 1, 2, 2}));
}

// Rows below the captions.
GridRows Body(const GridRows& rows) { return GridRows(rows.begin() + 1, rows.end()); }

TEST(Statistics, GraphicValuesWithAndWithoutLowByteTerrainTurnsMergedOnlyWithoutRotation) {
    auto ed = SmallIsland(4);
    IslandMap& island = ed->doc.island;
    island.gfx.set(0, 0, 0x0B44), island.gfx.set(3, 3, 0x0B45), island.gfx.set(1, 2, 0x0C00);
    island.gfx.set(4, 4, 0x0D00);  // outside the 4 x 4 island
    const GridRows series = GfxStatisticsRows(island, true);
    EXPECT_EQ(
        Body(series),
        (GridRows{{"* 00", "*", "0", "13"}, {"* 0B", "*", "11", "2"}, {"* 0C", "*", "12", "1"}}));
    // clang-format off
    EXPECT_EQ(Body(GfxStatisticsRows(island, false)), (GridRows{{"00 00", "0", "0", "13"},
        {"44 0B", "68", "11", "1"}, {"45 0B", "69", "11", "1"}, {"00 0C", "0", "12", "1"}}));
    // clang-format on
    EXPECT_EQ(StatisticsFileLines(series, StatisticsGrid::Gfx),
              (Lines{"ID,ID-lobyte,ID-hibite,Orientierung,Anzahl", "* 00,*,0,13,", "* 0B,*,11,2,",
                     "* 0C,*,12,1,"}));

    const std::uint16_t turns[] = {0x0105, 0x4105, 0x8105, 0xC105};
    for (int o = 0; o < 4; ++o)
        island.terrain.set(o, 1, turns[o]), island.terrain_param.set(o, 1, 0x0203),
            island.height.set(o, 1, static_cast<std::uint8_t>(40 + o));
    const GridRows merged = TerrainStatisticsRows(island, true);
    EXPECT_EQ(Body(merged), (GridRows{{"0", "0", "0", "0", "12", "00 00"},
                                      {"261", "5", "1", "0", "4", "03 02"}}));
    const GridRows apart = TerrainStatisticsRows(island, false);
    ASSERT_EQ(apart.size(), 6u);
    for (int o = 0; o < 4; ++o)
        EXPECT_EQ(apart[2 + o], (std::vector<std::string>{std::to_string(turns[o]), "5", "1",
                                                          std::to_string(o), "1", "03 02"}));
    EXPECT_EQ(StatisticsFileLines(merged, StatisticsGrid::Terrain).back(), "261,5,1,0,4,03 02");

    // Places: any turn, one chosen turn, and a typed key that carries turn bits itself.
    EXPECT_EQ(ElementPlaceRows(island, 0x0105, true, 0).size(), 5u);
    EXPECT_EQ(Body(ElementPlaceRows(island, 0x0105, false, 2)),
              (GridRows{{"03 02", "2", "1", "42"}}));
    EXPECT_EQ(ElementPlaceRows(island, 0x4105, false, 3),
              ElementPlaceRows(island, 0x0105, false, 3));
}

TEST(ObjectList, CityBuildingsFirstThenEveryOtherObjectAndTheFileName) {
    auto ed = SmallIsland(64);
    ed->doc.island.objects = {
        {.graphic_id = 42, .x = 30, .y = 12},
        {.graphic_id = 1201, .orientation = 1, .x = 10, .y = 20, .width = 2, .height = 3},
        {.graphic_id = 65000, .orientation = 3, .x = 14, .y = 25, .width = 4, .height = 4}};
    ed->doc.cities.cities.emplace_back().buildings = {{.x = 50, .y = 50}, {.x = 10, .y = 20}};
    ed->doc.cities.current = 0;

    EXPECT_EQ(
        ObjectListLines(ed->doc.island, ed->doc.cities.Current()),
        (Lines{"$ Ofsety,12, Ofsetx,10", "$ Nr,    ID,  y,  x, dy, dx, Orientation,  - mit Entry",
               "  1,  1201, 20, 10,  3,  2,   1",
               "$       ID,  y,  x, dy, dx, Orientation   - ohne Entry",
               "  1,    42, 12, 30,  1,  1,   0", "  2, 65000, 25, 14,  4,  4,   3"}));

    EXPECT_TRUE(ObjectListLines(ed->doc.island, nullptr).empty());
    ed->doc.island.objects.clear();
    EXPECT_TRUE(ObjectListLines(ed->doc.island, ed->doc.cities.Current()).empty());

    // The file name takes a txt extension within eighty characters; a memo needs five lines.
    EXPECT_EQ(std::vector({ObjectListFileName("Sued07.scp"), ObjectListFileName("dir.v2/Insel"),
                           ObjectListFileName(std::string(90, 'a') + ".scp")}),
              std::vector<std::string>(
                  {"Sued07.txt", "dir.v2/Insel.txt", std::string(76, 'a') + ".txt"}));
    // A memo is saved from five lines on.
    EXPECT_EQ(std::pair(MemoWorthSaving(Lines(4, "x")), MemoWorthSaving(Lines(5, ""))),
              std::pair(false, true));
}

TEST(SeriesRanking, EqualCountsRankByIndexWithRoundedShares) {
    std::array<std::int32_t, kSeriesCount> usage{};
    usage[3] = usage[1] = 50, usage[7] = 20, usage[kSeriesCount - 1] = 120;

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
    const Lines& m = ranking.memo;
    EXPECT_EQ((Lines{m[0], m[1], m.end()[-2], m.back()}),
              (Lines{"0B   0", "0C   50", "Anzahl: 3", "Total 120"}));

    std::array<std::int32_t, kSeriesCount> halves{};
    halves[5] = 1, halves[kSeriesCount - 1] = 8;
    EXPECT_EQ(RankSeries(halves, 1).ranks[0].share_percent, 13);  // 12.5 rounds up

    const SeriesRanking unused = RankSeries({}, 2);
    EXPECT_FALSE(unused.ranks.at(0).share_percent || unused.total_percent);
}

}  // namespace
}  // namespace insel
