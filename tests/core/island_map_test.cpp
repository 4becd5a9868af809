// The island map: clearing, cell bounds, CellFloat coordinates and GetValue.
#include "core/document/island_map.h"

#include <gtest/gtest.h>

#include <bit>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "core/app/editor.h"
#include "island_fixture.h"
#include "test_helpers.h"

namespace insel {
namespace {

template <class T>
std::int64_t CountCellsNot(const Layer<T>& layer, T value) {
    std::int64_t count = 0;
    for (int x = 0; x < kLayerSide; ++x)
        for (int y = 0; y < kLayerSide; ++y) count += layer.get(x, y) != value;
    return count;
}

TEST(ClearIsland, EmptiesEveryLayerListAndCountUpToTheLayersFarEdge) {
    auto editor = std::make_unique<Editor>();
    IslandMap& island = editor->doc.island;
    for (auto [x, y] : {std::pair{0, 0}, {99, 3}, {1024, 1024}, {1024, 0}, {0, 1024}}) {
        island.height.set(x, y, 5);
        island.gfx.set(x, y, 0x0B01);
        island.fertility.set(x, y, 3);
        island.terrain.set(x, y, 700);
        island.river.set(x, y, 2701);
        island.river_param.set(x, y, 9);
        island.mark.set(x, y, 1);
    }
    island.mines.resize(1), island.quarry_spots.resize(2), island.objects.resize(3);
    island.animals = {{1, 2, 3, 4}};
    island.block_height_counts[15][7] = island.block_fertility_counts[0][3] = 1;
    island.block_counts_used = 16;  // as a load leaves them

    editor->ClearIsland();
    EXPECT_EQ(std::vector({CountCellsNot<std::uint8_t>(island.height, 0),
                           CountCellsNot<std::uint16_t>(island.gfx, 0),
                           CountCellsNot<std::uint16_t>(island.fertility, 10),
                           CountCellsNot<std::uint16_t>(island.terrain, 0),
                           CountCellsNot<std::uint16_t>(island.river, 0),
                           CountCellsNot<std::uint16_t>(island.river_param, 0),
                           CountCellsNot<std::uint8_t>(island.mark, 0)}),
              std::vector<std::int64_t>(7, 0));
    EXPECT_TRUE(island.mines.empty() && island.quarry_spots.empty() && island.animals.empty() &&
                island.objects.empty());
    std::int64_t counted = 0;
    for (int block = 0; block < 16; ++block) {
        for (auto n : island.block_height_counts[block]) counted += n;
        for (auto n : island.block_fertility_counts[block]) counted += n;
    }
    EXPECT_EQ(counted, 0);
}

// A 96 x 32 island has three cell blocks, numbered along x: a recount must put every cell
// where the loader counted it.
TEST(BlockCounts, RecountAgreesWithTheLoadOnANarrowIsland) {
    auto editor = std::make_unique<Editor>();
    fixture::IslandSpec plan;
    plan.width = 96;
    plan.height = 32;
    plan.heights = [](int x, int) { return static_cast<std::uint8_t>(10 + x / 32); };
    test::Load(*editor, fixture::IslandFileBytes(plan), FileKind::Island);
    IslandMap& island = editor->doc.island;
    ASSERT_EQ(island.cell_block_count, 3);
    const auto loaded = island.block_height_counts;
    island.RecountBlockCounts();
    for (int block = 0; block < 3; ++block) {
        EXPECT_EQ(island.block_height_counts[block], loaded[block]) << "block " << block;
        EXPECT_EQ(island.block_height_counts[block][10 + block], 32 * 32) << "block " << block;
        std::int64_t fertile = 0;
        for (auto n : island.block_fertility_counts[block]) fertile += n;
        EXPECT_EQ(fertile, 32 * 32) << "block " << block;
    }
    EXPECT_EQ(island.block_counts_used, 3);
}

TEST(LayerBounds, CellsOutside0To1024AreBoundsErrorsNamingTheCell) {
    auto island = std::make_unique<IslandMap>();
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
}

TEST(CellFloat, StoresTheCellCentreAndDecodingTruncatesAndRejectsNonNumbers) {
    EXPECT_EQ(EncodeCellFloat(10), 0x41280000u);  // 10.5f
    EXPECT_EQ(EncodeCellFloat(1024), std::bit_cast<std::uint32_t>(1024.5f));
    for (int cell = 0; cell <= 1024; ++cell)
        ASSERT_EQ(DecodeCellFloat(EncodeCellFloat(cell)), cell);
    EXPECT_EQ(DecodeCellFloat(std::bit_cast<std::uint32_t>(20.99f)), 20);
    EXPECT_EQ(DecodeCellFloat(0x7FC00000u), -1);  // NaN
    EXPECT_EQ(DecodeCellFloat(0x7F800000u), -1);  // infinity
}

TEST(GetValue, ReadsCellsAndRecordFieldsAndLayerKindsCheckBounds) {
    auto island = std::make_unique<IslandMap>();
    IslandMap& i = *island;
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

}  // namespace
}  // namespace insel
