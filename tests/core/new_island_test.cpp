// Size rules of the new-island dialog and the empty island it sets up.
#include "core/dialogs/new_island.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "core/app/editor.h"
#include "core/display/legend.h"
#include "core/display/view.h"
#include "core/island/island_map.h"
#include "test_helpers.h"

namespace insel {
namespace {

struct SizeCase {
    int radio;
    const char* own_text;
    int size;
};

class NewIslandSize : public ::testing::TestWithParam<SizeCase> {};

TEST_P(NewIslandSize, OwnSizeRoundsDownToEightsAndStopsAt1024) {
    const SizeCase& c = GetParam();
    EXPECT_EQ(ChooseNewIslandSize(c.radio, LimitOwnSizeText(c.own_text)), c.size) << c.own_text;
}

INSTANTIATE_TEST_SUITE_P(Sizes, NewIslandSize,
                         ::testing::Values(SizeCase{0, "100", 96}, SizeCase{0, "7", 0},
                                           SizeCase{0, "2000", 400}, SizeCase{0, "1024", 1024},
                                           SizeCase{0, "-5", 64}, SizeCase{0, "abc", 64},
                                           SizeCase{0, "", 64}, SizeCase{64, "2000", 64},
                                           SizeCase{256, "100", 256}));

TEST(NewIslandSize, EditTextAbove1024Becomes400) {
    EXPECT_EQ(LimitOwnSizeText("2000"), "400");
    EXPECT_EQ(LimitOwnSizeText("1025"), "400");
    EXPECT_EQ(LimitOwnSizeText("1024"), "1024");
    EXPECT_EQ(LimitOwnSizeText(""), "");
}

class NewIslandSetup : public ::testing::TestWithParam<int> {};

TEST_P(NewIslandSetup, EmptySquareIslandWithItsCellBlocks) {
    const int size = GetParam();
    auto editor = std::make_unique<Editor>();
    editor->ClearIsland();
    NewIsland(*editor, size, 3);
    const IslandMap& island = editor->island;
    const int per_side = (size - 1) / 32 + 1;
    EXPECT_EQ(island.record.width, size);
    EXPECT_EQ(island.record.height, size);
    EXPECT_EQ(island.record.climate, 3);
    EXPECT_EQ(island.record.buffer, -1);
    EXPECT_EQ(island.cell_block_count, per_side * per_side);
    EXPECT_EQ(editor->oversize_allowed, size > 512);
    EXPECT_TRUE(editor->island_loaded);
    EXPECT_TRUE(editor->island_shown);
    EXPECT_EQ(test::Panel(*editor, "StufenPanel"), std::to_string(per_side * per_side));
    EXPECT_EQ(test::Panel(*editor, "xSizePanel"), std::to_string(size));
    EXPECT_EQ(test::Panel(*editor, "WasserPanel"), "100");
    EXPECT_EQ(editor->island_name_panel, "Neu");
    EXPECT_EQ(island.fertility.get(size - 1, size - 1), 10);
    EXPECT_EQ(island.height.get(size - 1, size - 1), 0);
}

INSTANTIATE_TEST_SUITE_P(Sizes, NewIslandSetup, ::testing::Values(1024, 96, 512));

TEST(NewIslandSetup, CountsDescribeAnAllWaterIsland) {
    auto editor = std::make_unique<Editor>();
    editor->ClearIsland();
    NewIsland(*editor, 80, 0);  // 3 x 3 blocks, the last row and column 16 cells wide
    ASSERT_TRUE(ResetView(*editor));
    EXPECT_EQ(test::Panel(*editor, "WasserPanel"), "100 %");
    EXPECT_EQ(editor->island.block_height_counts[0][0], 32 * 32);
    EXPECT_EQ(editor->island.block_height_counts[2][0], 32 * 16);  // x block 0, y block 2
    EXPECT_EQ(editor->island.block_height_counts[8][0], 16 * 16);
    EXPECT_EQ(editor->island.block_fertility_counts[5][10], 32 * 16);

    const Legend heights = FullIslandLegend(*editor);
    EXPECT_EQ(heights[static_cast<std::size_t>(LegendPanelOfHeight(0))].count, "6400");
    editor->display_layer = 3;
    EXPECT_EQ(FullIslandLegend(*editor)[10].count, "6400");
}

TEST(NewIslandSetup, ReplacesTheCountsAndListsOfTheLoadedIsland) {
    auto editor = std::make_unique<Editor>();
    editor->island.block_counts_used = 40;
    editor->island.block_height_counts[39][120] = 7;
    editor->island_list.emplace_back();
    editor->city_list.push_back({"Stadt", "1", "2", "3", "4", "5", "6"});
    editor->cities.cities.emplace_back();
    editor->cities.current = 0;
    editor->ClearIsland();
    NewIsland(*editor, 32, 1);
    EXPECT_EQ(editor->island.block_counts_used, 1);
    EXPECT_EQ(editor->island.block_height_counts[39][120], 0);
    EXPECT_TRUE(editor->island_list.empty());
    EXPECT_TRUE(editor->city_list.empty());
    EXPECT_TRUE(editor->cities.cities.empty());
    EXPECT_FALSE(editor->cities.current.has_value());
}

}  // namespace
}  // namespace insel
