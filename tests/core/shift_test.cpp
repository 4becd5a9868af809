// The per-layer shifts applied when an island is saved.
#include <gtest/gtest.h>

#include <climits>
#include <memory>
#include <tuple>
#include <utility>

#include "core/app/editor.h"
#include "core/dialogs/new_island.h"
#include "core/island/writer.h"
#include "core/tools/rotation.h"

namespace insel {
namespace {

constexpr int kWidth = 8, kHeight = 6;  // not square, so that width and height cannot be swapped

struct ShiftCase {
    int kind, dx, dy;
};

class Shift : public ::testing::TestWithParam<ShiftCase> {};

// Each layer of the kind moves by (dx, dy) inside the island. Where no source cell lands, the
// kind's first layer is cleared and its second layer (fertility for heights, parameters for
// plants) keeps its old value. Other layers and the cells beyond the island stay as they were.
TEST_P(Shift, MovesTheKindsLayersInsideTheIsland) {
    const ShiftCase& c = GetParam();
    auto editor = std::make_unique<Editor>();
    IslandMap& island = editor->doc.island;
    island.record.width = kWidth;
    island.record.height = kHeight;
    for (int x = 0; x < 10; ++x) {
        for (int y = 0; y < 10; ++y) {
            island.height.set(x, y, static_cast<std::uint8_t>(1 + 10 * x + y));
            island.fertility.set(x, y, static_cast<std::uint16_t>((x + 3 * y) % 11));
            island.gfx.set(x, y, static_cast<std::uint16_t>(0x0C00 + 10 * x + y));
            island.terrain.set(x, y,
                               static_cast<std::uint16_t>(1001 + 10 * x + y));  // plants, no rocks
            island.terrain_param.set(x, y, static_cast<std::uint16_t>(200 + x + 10 * y));
        }
    }
    MineRecord spot;
    spot.x = 3;
    spot.y = 4;
    island.quarry_spots = {spot};
    const auto before = std::make_unique<IslandMap>(island);

    editor->save.shifts[c.kind] = {true, c.dx, c.dy};
    ShiftLayer(editor->doc.island, c.kind, editor->save.shifts[c.kind]);

    auto inside = [](int x, int y) { return x >= 0 && y >= 0 && x < kWidth && y < kHeight; };
    // role: 'c' moved and cleared, 'k' moved and kept, 'u' untouched
    auto check = [&](const auto& now, const auto& old, char role, const char* layer) {
        for (int x = 0; x < 10; ++x) {
            for (int y = 0; y < 10; ++y) {
                const int sx = x - c.dx, sy = y - c.dy;
                int want = old.get(x, y);
                if (role != 'u' && inside(x, y))
                    want = inside(sx, sy) ? old.get(sx, sy) : role == 'c' ? 0 : want;
                ASSERT_EQ(now.get(x, y), want) << layer << " at (" << x << ", " << y << ")";
            }
        }
    };
    const char* roles = c.kind == kShiftHeights    ? "ckuuu"
                        : c.kind == kShiftGraphics ? "uucuu"
                                                   : "uuuck";
    check(island.height, before->height, roles[0], "height");
    check(island.fertility, before->fertility, roles[1], "fertility");
    check(island.gfx, before->gfx, roles[2], "gfx");
    check(island.terrain, before->terrain, roles[3], "terrain");
    check(island.terrain_param, before->terrain_param, roles[4], "terrain parameter");
    const bool spots_move = c.kind == kShiftPlants;
    EXPECT_EQ(std::pair(island.quarry_spots[0].x, island.quarry_spots[0].y),
              spots_move ? std::pair(3u + c.dx, 4u + c.dy) : std::pair(3u, 4u));
}

INSTANTIATE_TEST_SUITE_P(
    Kinds, Shift,
    ::testing::Values(ShiftCase{kShiftHeights, -1, 0}, ShiftCase{kShiftHeights, 1, 1},
                      ShiftCase{kShiftHeights, 0, -2}, ShiftCase{kShiftGraphics, -1, 0},
                      ShiftCase{kShiftGraphics, 2, -1}, ShiftCase{kShiftPlants, -1, 0},
                      ShiftCase{kShiftPlants, 1, -1}));

TEST(Shift, RocksMoveAloneAndTakeTheirParametersAlong) {
    auto editor = std::make_unique<Editor>();
    IslandMap& island = editor->doc.island;
    island.record.width = island.record.height = 8;
    struct Cell {
        int x, y;
        std::uint16_t element, parameter;
    };
    for (const Cell& c :
         {Cell{5, 3, 0x4000 | 1600, 0x2801}, Cell{4, 3, 1200, 0x1111}, Cell{2, 2, 1200, 0x2222},
          Cell{1, 2, 0, 0x7777}, Cell{0, 6, 1501, 0x3333}, Cell{7, 7, 0xC000 | 1999, 0x4444},
          Cell{3, 5, 0x4000 | 2000, 0x5555}, Cell{6, 5, 1500, 0x6666}}) {
        island.terrain.set(c.x, c.y, c.element);
        island.terrain_param.set(c.x, c.y, c.parameter);
    }
    MineRecord spot;
    spot.x = 5;
    spot.y = 2;
    island.quarry_spots = {spot};

    editor->save.shifts[kShiftRocks] = {true, -1, 0};
    ShiftLayer(editor->doc.island, kShiftRocks, editor->save.shifts[kShiftRocks]);

    auto at = [&](int x, int y) {
        return std::pair<int, int>(island.terrain.get(x, y), island.terrain_param.get(x, y));
    };
    EXPECT_EQ(at(4, 3), std::pair(0x4000 | 1600, 0x2801)) << "the rock covers the plant";
    EXPECT_EQ(at(2, 2), std::pair(1200, 0x2222)) << "plants stay";
    EXPECT_EQ(at(1, 2), std::pair(0, 0x7777)) << "a plant's parameter does not move";
    EXPECT_EQ(island.terrain.get(0, 6), 0) << "a rock in column 0 is dropped";
    EXPECT_EQ(at(6, 7), std::pair(0xC000 | 1999, 0x4444));
    EXPECT_EQ(at(3, 5), std::pair(0x4000 | 2000, 0x5555)) << "2000 is no rock";
    EXPECT_EQ(at(6, 5), std::pair(1500, 0x6666)) << "1500 is no rock";
    // The rocks' old cells are cleared.
    EXPECT_EQ(std::tuple(island.terrain.get(5, 3), island.terrain.get(7, 7),
                         island.terrain.get(5, 5), island.quarry_spots[0].x),
              std::tuple(0, 0, 0, 4u));
}

// A shift of a side or more, up to the largest offsets an int holds, moves every cell off the
// island: the kind's layer is cleared on the island and nothing beyond it is written.
TEST(Shift, ShiftsBeyondTheSideClearTheLayer) {
    constexpr int kSide = 8;
    const std::pair<int, int> offsets[] = {{INT_MIN, 0},       {0, INT_MIN}, {INT_MAX, INT_MAX},
                                           {INT_MIN, INT_MAX}, {-1025, 0},   {0, 1025},
                                           {kSide, 0}};
    for (const auto& [dx, dy] : offsets) {
        for (int kind : {kShiftHeights, kShiftGraphics, kShiftPlants, kShiftRocks}) {
            auto editor = std::make_unique<Editor>();
            IslandMap& island = editor->doc.island;
            island.record.width = island.record.height = kSide;
            for (int x = 0; x < kSide + 2; ++x) {
                for (int y = 0; y < kSide + 2; ++y) {
                    island.height.set(x, y, 7);
                    island.gfx.set(x, y, 0x0C01);
                    island.terrain.set(x, y, 1600);  // rocks, so that both element kinds move
                }
            }
            editor->save.shifts[kind] = {true, dx, dy};
            ShiftLayer(editor->doc.island, kind, editor->save.shifts[kind]);
            auto layer = [&](int x, int y) -> int {
                if (kind == kShiftHeights) return island.height.get(x, y);
                if (kind == kShiftGraphics) return island.gfx.get(x, y);
                return island.terrain.get(x, y);
            };
            const int outside = kind == kShiftHeights ? 7 : kind == kShiftGraphics ? 0x0C01 : 1600;
            for (int x = 0; x < kSide + 2; ++x) {
                for (int y = 0; y < kSide + 2; ++y) {
                    ASSERT_EQ(layer(x, y), x < kSide && y < kSide ? 0 : outside)
                        << "kind " << kind << " shift (" << dx << ", " << dy << ") at (" << x
                        << ", " << y << ")";
                }
            }
        }
    }
}

TEST(Shift, TickedPlantAndRockBoxesBothShiftBeforeTheIslandIsWritten) {
    auto editor = std::make_unique<Editor>();
    NewIsland(editor->doc, editor->status, 32, 0);
    IslandMap& island = editor->doc.island;
    island.terrain.set(5, 3, 1600);
    island.terrain.set(10, 10, 1200);
    MineRecord spot;
    spot.x = 5;
    spot.y = 2;
    island.quarry_spots = {spot};
    editor->save.shifts[kShiftPlants] = {true, -1, 0};
    editor->save.shifts[kShiftRocks] = {true, -1, 0};

    ApplySaveShifts(editor->doc.island, editor->save);
    EXPECT_EQ(island.terrain.get(3, 3), 1600) << "rocks move with the plants and once more";
    EXPECT_EQ(
        std::tuple(island.terrain.get(9, 10), island.quarry_spots[0].x, island.quarry_spots[0].y),
        std::tuple(1200, 3u, 2u));
}

}  // namespace
}  // namespace insel
