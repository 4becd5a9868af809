// The island map (clearing, cell bounds, CellFloat coordinates, GetValue, the column backups
// and the memory of large arrays), the empty island
// the new-island dialog sets up, and the per-layer shifts applied when an island is saved.
#include "core/document/island_map.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <climits>
#include <memory>
#include <numeric>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "core/app/editor.h"
#include "core/dialogs/new_island.h"
#include "core/display/legend.h"
#include "core/display/view.h"
#include "core/island/save_options.h"
#include "core/tools/rotation.h"
#include "island_fixture.h"
#include "test_helpers.h"

namespace insel {
namespace {

template <class T>
std::int64_t CountCellsNot(const Layer<T>& layer, int value) {
    std::int64_t count = 0;
    for (int x = 0; x < kLayerSide; ++x)
        for (int y = 0; y < kLayerSide; ++y) count += layer.get(x, y) != value;
    return count;
}

template <class Counts>
std::int64_t Sum(const Counts& counts) {
    return std::accumulate(counts.begin(), counts.end(), std::int64_t{0});
}

TEST(ClearIsland, EmptiesEveryLayerListAndCountUpToTheLayersFarEdge) {
    auto ed = std::make_unique<Editor>();
    IslandMap& island = ed->doc.island;
    for (auto [x, y] : {std::pair{0, 0}, {99, 3}, {1024, 1024}, {1024, 0}, {0, 1024}}) {
        island.height.set(x, y, 5), island.mark.set(x, y, 1);
        for (auto* words :
             {&island.gfx, &island.fertility, &island.terrain, &island.river, &island.river_param})
            words->set(x, y, 3);
    }
    island.mines.resize(1), island.quarry_spots.resize(2), island.objects.resize(3);
    island.animals = {{1, 2, 3, 4}};
    island.block_height_counts[15][7] = island.block_fertility_counts[0][3] = 1;
    island.block_counts_used = 16;  // as a load leaves them

    ed->ClearIsland();
    std::int64_t counted = 0;
    for (int block = 0; block < 16; ++block)
        counted +=
            Sum(island.block_height_counts[block]) + Sum(island.block_fertility_counts[block]);
    EXPECT_EQ(std::vector({CountCellsNot(island.height, 0), CountCellsNot(island.gfx, 0),
                           CountCellsNot(island.fertility, 10), CountCellsNot(island.terrain, 0),
                           CountCellsNot(island.river, 0), CountCellsNot(island.river_param, 0),
                           CountCellsNot(island.mark, 0), counted}),
              std::vector<std::int64_t>(8, 0));
    EXPECT_TRUE(island.mines.empty() && island.quarry_spots.empty() && island.animals.empty() &&
                island.objects.empty());
}

// A 96 x 32 island has three cell blocks, numbered along x: a recount must put every cell
// where the loader counted it.
TEST(ColumnBackup, KeepsEachColumnAsFirstWrittenThroughGrowthAndForgetsThemAll) {
    Layer<std::uint16_t> layer(0, "test layer");
    ColumnBackup<std::uint16_t> backup;
    layer.Attach(&backup);
    // Past a quarter of the layer the backup takes room for all of it at once.
    for (int x = kLayerSide - 1; x >= 0; x -= 2) {
        layer.column(x)[7] = static_cast<std::uint16_t>(x);
        layer.set(x, 7, 1);  // a second write keeps the first saved values
    }
    layer.Attach(nullptr);
    ASSERT_EQ(backup.columns.size(), static_cast<std::size_t>(kLayerSide / 2 + 1));
    for (int x = kLayerSide - 1; x >= 0; x -= 2) {
        EXPECT_EQ(backup.Saved(x)[7], 0);
        EXPECT_EQ(layer.get(x, 7), 1);
    }
    backup.Forget();
    EXPECT_TRUE(backup.columns.empty());
    EXPECT_TRUE(std::all_of(backup.slot.begin(), backup.slot.end(), [](int s) { return s < 0; }));
}

#if defined(__linux__)
TEST(BulkMemory, FreedLargeArraysServeTheNextOfTheirSize) {
    const std::size_t cells = std::size_t{3} << 20;
    const void* first = nullptr;
    {
        BulkArray<std::uint16_t> values(cells, 7);
        first = values.data();
    }
    BulkArray<std::uint16_t> again(cells, 9);
    EXPECT_EQ(again.data(), first);
    EXPECT_EQ(again[cells - 1], 9);
    // Small arrays are plain heap memory, and many large ones at once all work.
    std::vector<BulkArray<std::uint8_t>> many;
    for (int i = 0; i < 40; ++i) many.emplace_back((std::size_t{2} << 20) + i, std::uint8_t(i));
    for (int i = 0; i < 40; ++i) EXPECT_EQ(many[static_cast<std::size_t>(i)].back(), i);
    many.clear();
    BulkArray<std::uint8_t> small(100, 1);
    EXPECT_EQ(small[99], 1);
}
#endif

TEST(BlockCounts, RecountAgreesWithTheLoadOnANarrowIsland) {
    auto ed = std::make_unique<Editor>();
    fixture::IslandSpec plan;
    plan.width = 96, plan.height = 32;
    plan.heights = [](int x, int) { return static_cast<std::uint8_t>(10 + x / 32); };
    test::Load(*ed, fixture::IslandFileBytes(plan), FileKind::Island);
    IslandMap& island = ed->doc.island;
    ASSERT_EQ(island.cell_block_count, 3);
    const auto loaded = island.block_height_counts;
    island.RecountBlockCounts();
    for (int block = 0; block < 3; ++block) {
        EXPECT_EQ(island.block_height_counts[block], loaded[block]) << "block " << block;
        EXPECT_EQ(std::pair(island.block_height_counts[block][10 + block],
                            Sum(island.block_fertility_counts[block])),
                  std::pair(32 * 32, std::int64_t{32 * 32}))
            << "block " << block;
    }
    EXPECT_EQ(island.block_counts_used, 3);
}

TEST(GetValue, CellsOutside0To1024AreBoundsErrorsNamingTheCellOtherwiseCellsAndFieldsAreRead) {
    auto island = std::make_unique<IslandMap>();
    IslandMap& i = *island;
    for (auto [x, y] : {std::pair{1025, 0}, {0, 1025}, {-1, 3}, {7, -1}}) {
        const std::string cell = std::to_string(x) + ", " + std::to_string(y);
        try {
            island->gfx.set(x, y, 1);
            ADD_FAILURE() << "no error for " << cell;
        } catch (const BoundsError& e) {
            EXPECT_NE(std::string(e.what()).find(cell), std::string::npos) << e.what();
        }
        EXPECT_THROW(island->height.get(x, y), BoundsError) << cell;
    }
    i.height.set(3, 4, 50), i.gfx.set(3, 4, 0x1234), i.fertility.set(3, 4, 7);
    i.terrain.set(3, 4, 0xC005), i.terrain_param.set(3, 4, 0x2A01);  // element 5, orientation 3
    i.river.set(3, 4, 0x0A9D), i.river_param.set(3, 4, 0x0102);
    i.record.width = 80, i.record.height = 72, i.record.climate = 4, i.record.city_byte = 5;
    i.record.info_b = 77, i.kontorid_first = 9, i.kontorid_second = 3;
    i.mines.resize(3), i.quarry_spots.resize(2);
    i.mines[1].deleted = i.quarry_spots[0].deleted = 1;
    const std::vector<std::pair<int, std::int64_t>> kinds = {
        {0, 50},  {1, 0x1234}, {2, 7},  {3, 0xC005}, {4, 0x2A01},  {16, 80},
        {17, 72}, {18, 4},     {20, 4}, {19, 2},     {21, 1},      {25, 9},
        {26, 3},  {27, 5},     {29, 0}, {31, 77},    {32, 0x0A9D}, {33, 0x0102}};
    for (const auto& [kind, expected] : kinds) EXPECT_EQ(GetValue(i, 3, 4, kind), expected) << kind;
    EXPECT_THROW(GetValue(i, 1025, 0, 0), BoundsError);
    EXPECT_THROW(GetValue(i, 0, -1, 32), BoundsError);
}

TEST(CellFloat, StoresTheCellCentreAndDecodingTruncatesAndRejectsNonNumbers) {
    EXPECT_EQ(std::pair(EncodeCellFloat(10), EncodeCellFloat(1024)),
              std::pair(0x41280000u, std::bit_cast<std::uint32_t>(1024.5f)));  // 10.5f, 1024.5f
    for (int cell = 0; cell <= 1024; ++cell)
        ASSERT_EQ(DecodeCellFloat(EncodeCellFloat(cell)), cell);
    // 20.99f, NaN, infinity.
    EXPECT_EQ(std::tuple(DecodeCellFloat(std::bit_cast<std::uint32_t>(20.99f)),
                         DecodeCellFloat(0x7FC00000u), DecodeCellFloat(0x7F800000u)),
              std::tuple(20, -1, -1));
}

TEST(NewIsland, OwnSizeRoundsDownToEightsAndStopsAt1024) {
    EXPECT_EQ(LimitOwnSizeText("1025") + LimitOwnSizeText("1024"), "4001024");
    // clang-format off
    for (const auto& [radio, own_text, size] : {std::tuple{0, "100", 96}, {0, "7", 0},
             {0, "2000", 400}, {0, "1024", 1024}, {0, "-5", 64}, {0, "abc", 64}, {0, "", 64},
             {64, "2000", 64}, {256, "100", 256}})
        // clang-format on
        EXPECT_EQ(ChooseNewIslandSize(radio, LimitOwnSizeText(own_text)), size) << own_text;
}

TEST(NewIsland, EmptySquareIslandWithItsCellBlocksAndCountsReplacingTheLoadedOne) {
    for (int size : {1024, 96, 512, 80, 32}) {
        auto ed = std::make_unique<Editor>();
        Document& d = ed->doc;
        // What a loaded island leaves behind.
        d.island.block_counts_used = 40, d.island.block_height_counts[39][120] = 7;
        d.island_list.emplace_back(),
            d.city_list.push_back({"Stadt", "1", "2", "3", "4", "5", "6"});
        d.cities.cities.emplace_back(), d.cities.current = 0;
        ed->ClearIsland();
        NewIsland(d, ed->status, size, 3);
        ed->view.island_shown = true;
        const auto& r = d.island.record;
        const int blocks = ((size - 1) / 32 + 1) * ((size - 1) / 32 + 1);
        EXPECT_EQ(std::tuple(r.width, r.height, r.climate, r.buffer, d.island.cell_block_count,
                             d.island.block_counts_used, d.island.block_height_counts[39][120]),
                  std::tuple(size, size, 3, -1, blocks, blocks, 0));
        EXPECT_EQ(std::tuple(d.loaded, d.island_list.size(), d.city_list.size(),
                             d.cities.cities.size(), d.cities.current.has_value()),
                  std::tuple(true, 0u, 0u, 0u, false));
        EXPECT_EQ(std::tuple(ed->status.cell_blocks, ed->status.width, ed->status.water,
                             d.island.fertility.get(size - 1, size - 1)),
                  std::tuple(std::to_string(blocks), std::to_string(size), "100", 10));
        if (size != 80) continue;
        // The counts describe an all-water island of 3 x 3 blocks, the last ones 16 wide: x block
        // 0, y block 2 holds 32 x 16 cells.
        ASSERT_TRUE(ResetView(ed->view, ed->doc.island, ed->status));
        const IslandMap& island = d.island;
        EXPECT_EQ(std::tuple(ed->status.water, island.block_height_counts[0][0],
                             island.block_height_counts[2][0], island.block_height_counts[8][0],
                             island.block_fertility_counts[5][10]),
                  std::tuple("100 %", 32 * 32, 32 * 16, 16 * 16, 32 * 16));
        EXPECT_EQ(FullIslandLegend(island, DisplayLayer(0))[LegendPanelOfHeight(0)].count + "/" +
                      FullIslandLegend(island, DisplayLayer(3))[10].count,
                  "6400/6400");
    }
}

constexpr int kWidth = 8, kHeight = 6;  // not square, so that width and height cannot be swapped

// Each layer of the kind moves by (dx, dy) inside the island. Where no source cell lands, the
// kind's first layer is cleared and its second layer (fertility for heights, parameters for
// plants) keeps its old value. Other layers and the cells beyond the island stay as they were.
// Shifts of a side or more, up to the largest offsets an int holds, move every cell off.
TEST(Shift, MovesTheKindsLayersInsideTheIsland) {
    // Values that tell the cell they came from: height, fertility, tile, plant (no rock) and its
    // parameter.
    auto value = [](int layer, int x, int y) {
        const int values[] = {1 + 10 * x + y, (x + 3 * y) % 11, 0x0C00 + 10 * x + y,
                              1001 + 10 * x + y, 200 + x + 10 * y};
        return values[layer];
    };
    auto island = std::make_unique<IslandMap>();
    island->record.width = kWidth, island->record.height = kHeight;
    Layer<std::uint16_t>* const words[] = {nullptr, &island->fertility, &island->gfx,
                                           &island->terrain, &island->terrain_param};
    auto inside = [](std::int64_t x, std::int64_t y) {
        return x >= 0 && y >= 0 && x < kWidth && y < kHeight;
    };
    // clang-format off
    const std::pair<int, int> offsets[] = {{-1, 0}, {1, 1}, {0, -2}, {2, -1}, {1, -1}, {INT_MIN, 0},
        {0, INT_MIN}, {INT_MAX, INT_MAX}, {INT_MIN, INT_MAX}, {-1025, 0}, {0, 1025}, {kWidth, 0}};
    // clang-format on
    for (int kind : {kShiftHeights, kShiftGraphics, kShiftPlants}) {
        // Per layer: 'c' moved and cleared, 'k' moved and kept, 'u' untouched.
        const std::string roles = kind == kShiftHeights    ? "ckuuu"
                                  : kind == kShiftGraphics ? "uucuu"
                                                           : "uuuck";
        for (const auto& [dx, dy] : offsets) {
            for (int x = 0; x < 10; ++x)
                for (int y = 0; y < 10; ++y) {
                    island->height.set(x, y, static_cast<std::uint8_t>(value(0, x, y)));
                    for (int layer = 1; layer < 5; ++layer)
                        words[layer]->set(x, y, static_cast<std::uint16_t>(value(layer, x, y)));
                }
            island->quarry_spots = {{.y = 4, .x = 3}};
            ShiftLayer(*island, kind, {true, dx, dy});
            for (int layer = 0; layer < 5; ++layer)
                for (int x = 0; x < 10; ++x)
                    for (int y = 0; y < 10; ++y) {
                        const std::int64_t sx = std::int64_t{x} - dx, sy = std::int64_t{y} - dy;
                        int want = value(layer, x, y);
                        if (roles[layer] != 'u' && inside(x, y))
                            want = inside(sx, sy)        ? value(layer, int(sx), int(sy))
                                   : roles[layer] == 'c' ? 0
                                                         : want;
                        ASSERT_EQ(layer ? words[layer]->get(x, y) : island->height.get(x, y), want)
                            << "layer " << layer << " at (" << x << ", " << y << ") shifted " << dx
                            << ", " << dy << " as kind " << kind;
                    }
            if (std::max(std::abs(std::int64_t{dx}), std::abs(std::int64_t{dy})) < kWidth) {
                EXPECT_EQ(std::pair(island->quarry_spots[0].x, island->quarry_spots[0].y),
                          kind == kShiftPlants ? std::pair(3u + dx, 4u + dy) : std::pair(3u, 4u));
            }
        }
    }
}

TEST(Shift, RocksMoveAloneAndTakeTheirParametersAlongAndMoveAgainWithThePlants) {
    auto island = std::make_unique<IslandMap>();
    island->record.width = island->record.height = 8;
    // x, y, element, parameter
    // clang-format off
    const std::tuple<int, int, int, int> cells[] = {{5, 3, 0x4000 | 1600, 0x2801},
        {4, 3, 1200, 0x1111}, {2, 2, 1200, 0x2222}, {1, 2, 0, 0x7777}, {0, 6, 1501, 0x3333},
        {7, 7, 0xC000 | 1999, 0x4444}, {3, 5, 0x4000 | 2000, 0x5555}, {6, 5, 1500, 0x6666}};
    // clang-format on
    for (const auto& [x, y, element, parameter] : cells)
        island->terrain.set(x, y, element), island->terrain_param.set(x, y, parameter);
    island->quarry_spots = {{.y = 2, .x = 5}};
    ShiftLayer(*island, kShiftRocks, {true, -1, 0});

    auto at = [&](int x, int y) {
        return std::pair<int, int>(island->terrain.get(x, y), island->terrain_param.get(x, y));
    };
    // The rock covers the plant and leaves a cleared cell; plants and their parameters stay;
    // a rock in column 0 is dropped; 1500 and 2000 are no rocks.
    // clang-format off
    EXPECT_EQ((std::vector{at(4, 3), at(2, 2), at(1, 2), at(6, 7), at(3, 5), at(6, 5)}),
              (std::vector<std::pair<int, int>>{{0x4000 | 1600, 0x2801}, {1200, 0x2222},
                  {0, 0x7777}, {0xC000 | 1999, 0x4444}, {0x4000 | 2000, 0x5555}, {1500, 0x6666}}));
    // clang-format on
    EXPECT_EQ(std::tuple(at(5, 3).first, at(7, 7).first, at(0, 6).first, island->quarry_spots[0].x),
              std::tuple(0, 0, 0, 4u));

    // Ticked plant and rock boxes both shift before the island is written: rocks move with the
    // plants and once more.
    SaveOptions save;
    save.shifts[kShiftPlants] = save.shifts[kShiftRocks] = {true, -1, 0};
    ApplySaveShifts(*island, save);
    EXPECT_EQ(std::tuple(at(2, 3).first, at(1, 2).first, island->quarry_spots[0].x),
              std::tuple(0x4000 | 1600, 1200, 2u));

    // Beyond the side every rock leaves the island and nothing beyond it is written.
    for (auto [dx, dy] : {std::pair{INT_MIN, 0}, {INT_MAX, INT_MAX}, {0, 8}}) {
        for (int x = 0; x < 10; ++x)
            for (int y = 0; y < 10; ++y) island->terrain.set(x, y, 1600);
        ShiftLayer(*island, kShiftRocks, {true, dx, dy});
        for (int x = 0; x < 10; ++x)
            for (int y = 0; y < 10; ++y)
                ASSERT_EQ(island->terrain.get(x, y), x < 8 && y < 8 ? 0 : 1600)
                    << dx << ", " << dy << " at " << x << ", " << y;
    }
}

}  // namespace
}  // namespace insel
