// The height-profile tools and the right click on the frame, on fixture islands, against values
// worked out by hand; each change family once more through undo and redo.
#include "core/tools/heights.h"

#include <gtest/gtest.h>

#include <memory>
#include <random>
#include <utility>
#include <vector>

#include "core/tools/tool_frame.h"
#include "test_helpers.h"

namespace insel {
namespace {

using fixture::Element;

// 64 x 64: height 60 everywhere but a 4 x 3 patch of 30 at (20..23, 40..42); fertility 7;
// one object at (5, 6) and a terrain element at (8, 9) and (9, 9).
std::unique_ptr<Editor> Loaded(std::function<std::uint8_t(int, int)> heights = {}) {
    fixture::IslandSpec layout;
    layout.heights = heights ? heights : [](int x, int y) -> std::uint8_t {
        return x >= 20 && x <= 23 && y >= 40 && y <= 42 ? 30 : 60;
    };
    layout.fertility = [](int, int) -> std::uint8_t { return 7; };
    layout.terrain = [](int x, int y) {
        return y == 9 && (x == 8 || x == 9) ? Element{0x05DD, 0x4003} : Element{};
    };
    layout.objects = {{.id_word = 1000, .parameter = 0x1234, .x = 5, .y = 6},
                    {.id_word = 1001, .parameter = 0, .x = 5, .y = 6}};
    auto editor = std::make_unique<Editor>();
    test::Load(*editor, fixture::IslandFileBytes(layout), FileKind::Island);
    return editor;
}

int Height(const Editor& e, int x, int y) { return e.doc.island.height.get(x, y); }
int Fertility(const Editor& e, int x, int y) { return e.doc.island.fertility.get(x, y); }
int HeightCount(const Editor& e, int h) {
    return e.doc.island.block_height_counts[0][static_cast<std::size_t>(h)];
}

TEST(HeightPen, SquaresStopAtTheLastArrayIndexAndSmallPensMarkNothing) {
    IslandMap island;
    MarkPenSquare(island, 1023, 1024, 3);  // only (1023, 1024) and (1024, 1024) exist
    EXPECT_EQ(CountMarks(island), 2);
    EXPECT_EQ(island.mark.get(1024, 1024), 1);
    ClearMarks(island);
    MarkPenSquare(island, 5, 5, 0);
    MarkPenSquare(island, 1025, 3, 2);
    EXPECT_EQ(CountMarks(island), 0);
    MarkPenSquare(island, 4, 7, 2);
    EXPECT_EQ(CountMarks(island), 4);
    EXPECT_EQ(island.mark.get(5, 8), 1);
    EXPECT_EQ(island.mark.get(6, 7), 0);
}

struct FillCase {
    const char* what;
    std::vector<std::pair<int, int>> strokes;  // marked runs [from, to] on row 3
    int gap;
    std::vector<std::pair<int, int>> marked_after;
};

class FillOutlinesRow : public ::testing::TestWithParam<FillCase> {};

TEST_P(FillOutlinesRow, MarksWhatLiesBetweenTheStrokes) {
    const FillCase& c = GetParam();
    IslandMap island;
    island.record.width = island.record.height = 64;
    for (auto [from, to] : c.strokes)
        for (int x = from; x <= to; ++x) island.mark.set(x, 3, 1);
    std::vector<int> rows;
    FillOutlines(island, c.gap, [&](int row) { rows.push_back(row); });
    EXPECT_EQ(rows.size(), 64u);
    std::vector<std::pair<int, int>> runs;
    for (int x = 0; x < 64; ++x) {
        if (island.mark.get(x, 3) == 0) continue;
        if (!runs.empty() && runs.back().second == x - 1) {
            runs.back().second = x;
        } else {
            runs.push_back({x, x});
        }
    }
    EXPECT_EQ(runs, c.marked_after) << c.what;
    EXPECT_EQ(CountMarks(island), [&] {
        long long n = 0;
        for (auto [from, to] : c.marked_after) n += to - from + 1;
        return n;
    }());
}

INSTANTIATE_TEST_SUITE_P(
    Heights, FillOutlinesRow,
    ::testing::Values(FillCase{"one outline of pen 2", {{10, 11}, {20, 21}}, 4, {{10, 21}}},
                      FillCase{"two outlines leave the stretch between them",
                               {{10, 11}, {20, 21}, {30, 31}, {40, 41}},
                               4,
                               {{10, 21}, {30, 41}}},
                      FillCase{"a stroke wider than the gap opens nothing",
                               {{10, 17}, {30, 31}},
                               4,
                               {{10, 17}, {30, 31}}},
                      FillCase{"a single stroke has nothing to close", {{10, 11}}, 4, {{10, 11}}},
                      FillCase{
                          "the fill reaches the island's edge", {{0, 1}, {62, 63}}, 4, {{0, 63}}}));

TEST(HeightFill, AClosedRingIsFilledInsideOnly) {
    IslandMap island;
    island.record.width = island.record.height = 64;
    // A 20 x 20 ring drawn with the default pen of 2.
    for (int i = 10; i <= 28; ++i) {
        MarkPenSquare(island, i, 10, 2);
        MarkPenSquare(island, i, 28, 2);
        MarkPenSquare(island, 10, i, 2);
        MarkPenSquare(island, 28, i, 2);
    }
    FillOutlines(island, 4);
    for (int x = 10; x <= 29; ++x)
        for (int y = 10; y <= 29; ++y) EXPECT_EQ(island.mark.get(x, y), 1) << x << "," << y;
    EXPECT_EQ(CountMarks(island), 20 * 20);
}

struct ProfileCase {
    ProfileLayer layer;
    int value;
    int height_after, fertility_after;
};

class TakeProfileOver : public ::testing::TestWithParam<ProfileCase> {};

TEST_P(TakeProfileOver, WritesTheMarkedCellsAndKeepsTheCounts) {
    const ProfileCase& c = GetParam();
    auto e = Loaded();
    MarkPenSquare(e->doc.island, 2, 3, 2);  // four cells of block 0
    ASSERT_TRUE(e->Step("Höhenprofil in Insel übernehmen",
                        [&] { TakeProfile(e->doc.island, c.layer, c.value); }));
    EXPECT_EQ(CountMarks(e->doc.island), 0);
    for (auto [x, y] : {std::pair{2, 3}, {3, 3}, {2, 4}, {3, 4}}) {
        EXPECT_EQ(Height(*e, x, y), c.height_after);
        EXPECT_EQ(Fertility(*e, x, y), c.fertility_after);
    }
    EXPECT_EQ(Height(*e, 4, 3), 60);
    EXPECT_EQ(Fertility(*e, 4, 3), 7);
    // Block 0 holds 32 x 32 cells of height 60.
    if (c.layer == ProfileLayer::Height) {
        EXPECT_EQ(HeightCount(*e, 60), 1024 - 4);
        EXPECT_EQ(HeightCount(*e, c.value), 4);
    }
    e->history.Undo(e->doc);
    EXPECT_EQ(Height(*e, 2, 3), 60);
    EXPECT_EQ(Fertility(*e, 3, 4), 7);
    EXPECT_EQ(HeightCount(*e, 60), 1024);
    e->history.Redo(e->doc);
    EXPECT_EQ(Height(*e, 3, 4), c.height_after);
    EXPECT_EQ(Fertility(*e, 2, 4), c.fertility_after);
}

INSTANTIATE_TEST_SUITE_P(Heights, TakeProfileOver,
                         ::testing::Values(ProfileCase{ProfileLayer::Height, 0, 0, 7},
                                           ProfileCase{ProfileLayer::Height, 20, 20, 0},
                                           ProfileCase{ProfileLayer::Height, 39, 39, 0},
                                           ProfileCase{ProfileLayer::Height, 48, 48, 7},
                                           ProfileCase{ProfileLayer::Fertility, 3, 60, 3},
                                           ProfileCase{ProfileLayer::Fertility, 0, 60, 0}));

TEST(TakeProfile, RefusesValuesOutsideTheLayerAndChangesNothing) {
    auto e = Loaded();
    MarkPenSquare(e->doc.island, 2, 3, 2);
    EXPECT_THROW(TakeProfile(e->doc.island, ProfileLayer::Fertility, 11), BoundsError);
    EXPECT_THROW(TakeProfile(e->doc.island, ProfileLayer::Height, 256), BoundsError);
    EXPECT_EQ(CountMarks(e->doc.island), 4);
    EXPECT_EQ(Fertility(*e, 2, 3), 7);
}

TEST(FrameHeight, FramesASingleCellOnItsFourSides) {
    auto e = Loaded([](int x, int y) -> std::uint8_t { return x == 10 && y == 10 ? 70 : 60; });
    ASSERT_TRUE(e->Step("Frame height with:", [&] { FrameHeight(e->doc.island, 70, 20); }));
    for (auto [x, y] : {std::pair{9, 10}, {11, 10}, {10, 9}, {10, 11}}) {
        EXPECT_EQ(Height(*e, x, y), 20) << x << "," << y;
        EXPECT_EQ(Fertility(*e, x, y), 0);
    }
    EXPECT_EQ(Height(*e, 10, 10), 70);
    EXPECT_EQ(Height(*e, 9, 9), 60);
    EXPECT_EQ(Fertility(*e, 9, 9), 7);
    EXPECT_EQ(HeightCount(*e, 20), 4);
    e->history.Undo(e->doc);
    EXPECT_EQ(Height(*e, 9, 10), 60);
    EXPECT_EQ(HeightCount(*e, 20), 0);
}

TEST(FrameHeight, FramesTheOuterCellsOfARegionAndKeepsLandFertility) {
    auto e = Loaded();  // the patch of 30 at (20..23, 40..42)
    FrameHeight(e->doc.island, 30, 44);
    // Rows 40..42 get x = 19 and 24; columns 20..23 get y = 39 and 43; corners stay.
    for (int y = 40; y <= 42; ++y) {
        EXPECT_EQ(Height(*e, 19, y), 44);
        EXPECT_EQ(Height(*e, 24, y), 44);
    }
    for (int x = 20; x <= 23; ++x) {
        EXPECT_EQ(Height(*e, x, 39), 44);
        EXPECT_EQ(Height(*e, x, 43), 44);
    }
    EXPECT_EQ(Height(*e, 19, 39), 60);
    EXPECT_EQ(Fertility(*e, 19, 40), 7);
}

TEST(FrameHeight, RowAndColumnZeroAreNotSearchedAndEqualHeightsAreSkipped) {
    auto e = Loaded([](int x, int y) -> std::uint8_t { return x == 0 || y == 0 ? 70 : 60; });
    EXPECT_FALSE(e->Step("Frame", [&] { FrameHeight(e->doc.island, 70, 20); }));
    EXPECT_FALSE(e->Step("Frame", [&] { FrameHeight(e->doc.island, 60, 60); }));
    EXPECT_FALSE(e->history.CanUndo());
}

// Against the rule written out row by row and column by column, on islands whose sides are
// not multiples of 64, with cells of h1 scattered, in clumps and on the last row and column.
TEST(FrameHeight, AgreesWithTheRuleOnLargerIslands) {
    std::mt19937 random(3);
    for (auto [width, height] : {std::pair{200, 150}, {65, 1025}, {1025, 64}}) {
        IslandMap island;
        island.record.width = static_cast<std::uint16_t>(width);
        island.record.height = static_cast<std::uint16_t>(height);
        std::vector<std::vector<std::uint8_t>> cells(kLayerSide,
                                                     std::vector<std::uint8_t>(kLayerSide, 0));
        for (int x = 0; x < width; ++x) {
            for (int y = 0; y < height; ++y) {
                const bool clump = x / 16 % 3 == 1 && y / 20 % 2 == 1;
                const bool edge = x == width - 1 || y == height - 1;
                cells[x][y] = clump || edge || random() % 97 == 0 ? 70 : 60;
                island.height.set(x, y, cells[x][y]);
            }
        }
        // Along each row, then each column: the cells before the first 70 and after the last.
        auto expected = cells;
        for (const bool rows : {true, false}) {
            const int lines = rows ? height : width, along = rows ? width : height;
            const auto cell = [&](auto& grid, int line, int k) -> std::uint8_t& {
                return rows ? grid[k][line] : grid[line][k];
            };
            for (int line = 1; line < lines; ++line) {
                int first = -1, last = -1;
                for (int k = 1; k < along; ++k) {
                    if (cell(cells, line, k) != 70) continue;
                    if (first < 0) first = k;
                    last = k;
                }
                if (first < 0) continue;
                cell(expected, line, first - 1) = 44;
                if (last + 1 < kLayerSide) cell(expected, line, last + 1) = 44;
            }
        }
        ASSERT_TRUE(FrameHeight(island, 70, 44));
        int wrong = 0;
        for (int x = 0; x < kLayerSide; ++x)
            for (int y = 0; y < kLayerSide; ++y) wrong += island.height.get(x, y) != expected[x][y];
        EXPECT_EQ(wrong, 0) << width << " x " << height;
    }
}

TEST(ReplaceHeight, ReplacesEveryCellOfOneHeightOnly) {
    auto e = Loaded();
    ASSERT_TRUE(e->Step("Replace height with:", [&] { ReplaceHeight(e->doc.island, 30, 36); }));
    EXPECT_EQ(Height(*e, 20, 40), 36);
    EXPECT_EQ(Height(*e, 23, 42), 36);
    EXPECT_EQ(Height(*e, 24, 42), 60);
    EXPECT_EQ(Fertility(*e, 20, 40), 7);  // fertility stays, even under water
    // Block of (20, 40): x block 0, y block 1.
    const auto block = static_cast<std::size_t>(e->doc.island.BlockOf(20, 40));
    EXPECT_EQ(e->doc.island.block_height_counts[block][36], 12);
    EXPECT_EQ(e->doc.island.block_height_counts[block][30], 0);
    e->history.Undo(e->doc);
    EXPECT_EQ(Height(*e, 20, 40), 30);
    EXPECT_EQ(e->doc.island.block_height_counts[block][30], 12);
    EXPECT_FALSE(e->Step("Replace", [&] { ReplaceHeight(e->doc.island, 30, 30); }));
    EXPECT_THROW(ReplaceHeight(e->doc.island, 30, 300), BoundsError);
}

TEST(ObjectHeight, StandsInTheHighByteAndIsCutAt255) {
    auto e = Loaded();
    const auto found = ObjectAt(e->doc.island, 5, 6);
    ASSERT_TRUE(found);
    EXPECT_EQ(e->doc.island.objects[*found].id_word, 1000);  // the list's first at the cell
    EXPECT_FALSE(ObjectAt(e->doc.island, 6, 5));
    const std::pair<int, int> cases[] = {
        {40, 40 * 256}, {255, 255 * 256}, {300, 255 * 256}, {0, 0}};
    for (const auto& [height, word] : cases) {
        const int h = height;  // older clang cannot capture a structured binding
        e->Step("Neue Höhe setzen", [&] { SetObjectHeight(e->doc.island, *found, h); });
        EXPECT_EQ(e->doc.island.objects[*found].parameter, word) << height;
    }
    e->history.Undo(e->doc, 4);
    EXPECT_EQ(e->doc.island.objects[*found].parameter, 0x1234);
    EXPECT_THROW(SetObjectHeight(e->doc.island, *found, -1), BoundsError);
    EXPECT_THROW(SetObjectHeight(e->doc.island, 2, 10), BoundsError);
}

TEST(ApplyFrameCells, FillsHeightsAndFertilityAndClearsTheCornerElement) {
    auto e = Loaded();
    IslandMap& island = e->doc.island;
    const BlockRect rect{2, 3, 4, 4};  // 3 x 2 cells
    ASSERT_TRUE(e->Step("Höhe füllen", [&] {
        EXPECT_TRUE(ApplyFrameCells(e->tools, island, ToolMode::HeightProfile, rect, 48).changed);
    }));
    EXPECT_EQ(Height(*e, 2, 3), 48);
    EXPECT_EQ(Height(*e, 4, 4), 48);
    EXPECT_EQ(Height(*e, 5, 4), 60);
    EXPECT_EQ(Height(*e, 4, 5), 60);
    EXPECT_EQ(HeightCount(*e, 48), 6);
    EXPECT_EQ(e->tools.block, rect);

    ASSERT_TRUE(e->Step("Fruchtbarkeit malen",
                        [&] { ApplyFrameCells(e->tools, island, ToolMode::Fertility, rect, 2); }));
    EXPECT_EQ(Fertility(*e, 3, 4), 2);
    EXPECT_EQ(e->doc.island.block_fertility_counts[0][2], 6);

    // Only the corner's element goes, whatever the frame's size.
    ASSERT_TRUE(e->Step("Bewuchs löschen", [&] {
        ApplyFrameCells(e->tools, island, ToolMode::Vegetation, {8, 9, 12, 12}, 0);
    }));
    EXPECT_EQ(island.terrain.get(8, 9), 0);
    EXPECT_EQ(island.terrain_param.get(8, 9), 0);
    EXPECT_EQ(island.terrain.get(9, 9), 0x05DD);

    e->history.Undo(e->doc, 3);
    EXPECT_EQ(Height(*e, 2, 3), 60);
    EXPECT_EQ(Fertility(*e, 3, 4), 7);
    EXPECT_EQ(island.terrain.get(8, 9), 0x05DD);
    EXPECT_EQ(HeightCount(*e, 48), 0);
}

TEST(ApplyFrameCells, RefusalsChangeNoCell) {
    auto e = Loaded();
    IslandMap& island = e->doc.island;
    FrameApplyResult result =
        ApplyFrameCells(e->tools, island, ToolMode::Fertility, {2, 3, 4, 4}, -1);
    EXPECT_EQ(result.message, "Select color in HoehenStatistik first");
    EXPECT_FALSE(result.changed);
    result = ApplyFrameCells(e->tools, island, ToolMode::Fertility, {2, 3, 4, 4}, 11);
    EXPECT_TRUE(result.message.empty());
    EXPECT_FALSE(result.changed);
    result = ApplyFrameCells(e->tools, island, ToolMode::River, {2, 3, 4, 4}, 48);
    EXPECT_FALSE(result.changed);
    EXPECT_EQ(Fertility(*e, 2, 3), 7);
    EXPECT_EQ(Height(*e, 2, 3), 60);

    // Reaching past the last array index: nothing written, not even the cells that exist.
    EXPECT_THROW(
        e->Step(
            "Höhe füllen",
            [&] {
                ApplyFrameCells(e->tools, island, ToolMode::HeightProfile, {1020, 0, 1030, 2}, 48);
            }),
        BoundsError);
    EXPECT_EQ(island.height.get(1020, 0), 0);
    EXPECT_THROW(ApplyFrameCells(e->tools, island, ToolMode::HeightProfile, {2, 3, 4, 4}, 256),
                 BoundsError);
    EXPECT_EQ(Height(*e, 2, 3), 60);
    EXPECT_FALSE(e->history.CanUndo());
}

TEST(ApplyFrame, TheCityListPaintsTheLegendValueUnderTheFrame) {
    auto e = test::ShownIsland(64, 64);
    e->tools.mode = ToolMode::Fertility;
    e->tools.spins = {0, 0, 2, 2};
    e->tools.frame = {0, 0, 1, 1};
    e->tools.legend_value = 4;
    ASSERT_TRUE(e->Step("Fruchtbarkeit malen", [&] {
        EXPECT_TRUE(ApplyFrame(e->tools, e->view, e->doc.island, e->status, 99).changed);
    }));
    EXPECT_EQ(e->doc.island.fertility.get(1, 1), 4);
    EXPECT_EQ(e->doc.island.fertility.get(2, 2), 10);
}

}  // namespace
}  // namespace insel
