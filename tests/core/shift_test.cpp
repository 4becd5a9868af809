// The per-layer shifts applied when an island is saved.
#include <gtest/gtest.h>

#include <climits>
#include <memory>
#include <tuple>
#include <utility>

#include "core/document/island_map.h"
#include "core/island/save_options.h"
#include "core/tools/rotation.h"

namespace insel {
namespace {

constexpr int kWidth = 8, kHeight = 6;  // not square, so that width and height cannot be swapped

// Each layer of the kind moves by (dx, dy) inside the island. Where no source cell lands, the
// kind's first layer is cleared and its second layer (fertility for heights, parameters for
// plants) keeps its old value. Other layers and the cells beyond the island stay as they were.
// Shifts of a side or more, up to the largest offsets an int holds, move every cell off.
TEST(Shift, MovesTheKindsLayersInsideTheIsland) {
    const std::pair<int, int> offsets[] = {{-1, 0},
                                           {1, 1},
                                           {0, -2},
                                           {2, -1},
                                           {1, -1},
                                           {INT_MIN, 0},
                                           {0, INT_MIN},
                                           {INT_MAX, INT_MAX},
                                           {INT_MIN, INT_MAX},
                                           {-1025, 0},
                                           {0, 1025},
                                           {kWidth, 0}};
    for (int kind : {kShiftHeights, kShiftGraphics, kShiftPlants}) {
        for (const auto& [dx, dy] : offsets) {
            auto island = std::make_unique<IslandMap>();
            island->record.width = kWidth;
            island->record.height = kHeight;
            for (int x = 0; x < 10; ++x) {
                for (int y = 0; y < 10; ++y) {
                    island->height.set(x, y, static_cast<std::uint8_t>(1 + 10 * x + y));
                    island->fertility.set(x, y, static_cast<std::uint16_t>((x + 3 * y) % 11));
                    island->gfx.set(x, y, static_cast<std::uint16_t>(0x0C00 + 10 * x + y));
                    // Plants, no rocks.
                    island->terrain.set(x, y, static_cast<std::uint16_t>(1001 + 10 * x + y));
                    island->terrain_param.set(x, y, static_cast<std::uint16_t>(200 + x + 10 * y));
                }
            }
            island->quarry_spots = {{.y = 4, .x = 3}};
            const auto before = std::make_unique<IslandMap>(*island);
            ShiftLayer(*island, kind, {true, dx, dy});

            auto inside = [](std::int64_t x, std::int64_t y) {
                return x >= 0 && y >= 0 && x < kWidth && y < kHeight;
            };
            // role: 'c' moved and cleared, 'k' moved and kept, 'u' untouched
            auto check = [&](const auto& now, const auto& old, char role, const char* layer) {
                for (int x = 0; x < 10; ++x) {
                    for (int y = 0; y < 10; ++y) {
                        const std::int64_t sx = std::int64_t{x} - dx, sy = std::int64_t{y} - dy;
                        int want = old.get(x, y);
                        if (role != 'u' && inside(x, y))
                            want = inside(sx, sy) ? old.get(int(sx), int(sy))
                                   : role == 'c'  ? 0
                                                  : want;
                        ASSERT_EQ(now.get(x, y), want) << layer << " at (" << x << ", " << y
                                                       << ") shifted " << dx << ", " << dy;
                    }
                }
            };
            const char* roles = kind == kShiftHeights    ? "ckuuu"
                                : kind == kShiftGraphics ? "uucuu"
                                                         : "uuuck";
            check(island->height, before->height, roles[0], "height");
            check(island->fertility, before->fertility, roles[1], "fertility");
            check(island->gfx, before->gfx, roles[2], "gfx");
            check(island->terrain, before->terrain, roles[3], "terrain");
            check(island->terrain_param, before->terrain_param, roles[4], "terrain parameter");
            if (std::max(std::abs(std::int64_t{dx}), std::abs(std::int64_t{dy})) < kWidth) {
                EXPECT_EQ(std::pair(island->quarry_spots[0].x, island->quarry_spots[0].y),
                          kind == kShiftPlants ? std::pair(3u + dx, 4u + dy) : std::pair(3u, 4u));
            }
        }
    }
}

TEST(Shift, RocksMoveAloneAndTakeTheirParametersAlong) {
    auto island = std::make_unique<IslandMap>();
    island->record.width = island->record.height = 8;
    const std::tuple<int, int, int, int> cells[] = {
        // x, y, element, parameter
        {5, 3, 0x4000 | 1600, 0x2801}, {4, 3, 1200, 0x1111},
        {2, 2, 1200, 0x2222},          {1, 2, 0, 0x7777},
        {0, 6, 1501, 0x3333},          {7, 7, 0xC000 | 1999, 0x4444},
        {3, 5, 0x4000 | 2000, 0x5555}, {6, 5, 1500, 0x6666}};
    for (const auto& [x, y, element, parameter] : cells) {
        island->terrain.set(x, y, static_cast<std::uint16_t>(element));
        island->terrain_param.set(x, y, static_cast<std::uint16_t>(parameter));
    }
    island->quarry_spots = {{.y = 2, .x = 5}};
    ShiftLayer(*island, kShiftRocks, {true, -1, 0});

    auto at = [&](int x, int y) {
        return std::pair<int, int>(island->terrain.get(x, y), island->terrain_param.get(x, y));
    };
    EXPECT_EQ(at(4, 3), std::pair(0x4000 | 1600, 0x2801)) << "the rock covers the plant";
    EXPECT_EQ(at(2, 2), std::pair(1200, 0x2222)) << "plants stay";
    EXPECT_EQ(at(1, 2), std::pair(0, 0x7777)) << "a plant's parameter does not move";
    EXPECT_EQ(island->terrain.get(0, 6), 0) << "a rock in column 0 is dropped";
    EXPECT_EQ(at(6, 7), std::pair(0xC000 | 1999, 0x4444));
    EXPECT_EQ(at(3, 5), std::pair(0x4000 | 2000, 0x5555)) << "2000 is no rock";
    EXPECT_EQ(at(6, 5), std::pair(1500, 0x6666)) << "1500 is no rock";
    // The rocks' old cells are cleared.
    EXPECT_EQ(std::tuple(island->terrain.get(5, 3), island->terrain.get(7, 7),
                         island->terrain.get(5, 5), island->quarry_spots[0].x),
              std::tuple(0, 0, 0, 4u));

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

TEST(Shift, TickedPlantAndRockBoxesBothShiftBeforeTheIslandIsWritten) {
    auto island = std::make_unique<IslandMap>();
    island->record.width = island->record.height = 32;
    island->terrain.set(5, 3, 1600);
    island->terrain.set(10, 10, 1200);
    island->quarry_spots = {{.y = 2, .x = 5}};
    SaveOptions save;
    save.shifts[kShiftPlants] = save.shifts[kShiftRocks] = {true, -1, 0};
    ApplySaveShifts(*island, save);
    EXPECT_EQ(island->terrain.get(3, 3), 1600) << "rocks move with the plants and once more";
    EXPECT_EQ(std::tuple(island->terrain.get(9, 10), island->quarry_spots[0].x,
                         island->quarry_spots[0].y),
              std::tuple(1200, 3u, 2u));
}

}  // namespace
}  // namespace insel
