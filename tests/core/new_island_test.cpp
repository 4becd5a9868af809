// Size rules of the new-island dialog and the empty island it sets up.
#include "core/dialogs/new_island.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <tuple>

#include "core/app/editor.h"
#include "core/display/legend.h"
#include "core/display/view.h"
#include "core/document/island_map.h"
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
    EXPECT_EQ(LimitOwnSizeText("1025") + LimitOwnSizeText("1024"), "4001024");
    EXPECT_EQ(ChooseNewIslandSize(c.radio, LimitOwnSizeText(c.own_text)), c.size) << c.own_text;
}

INSTANTIATE_TEST_SUITE_P(Sizes, NewIslandSize,
                         ::testing::Values(SizeCase{0, "100", 96}, SizeCase{0, "7", 0},
                                           SizeCase{0, "2000", 400}, SizeCase{0, "1024", 1024},
                                           SizeCase{0, "-5", 64}, SizeCase{0, "abc", 64},
                                           SizeCase{0, "", 64}, SizeCase{64, "2000", 64},
                                           SizeCase{256, "100", 256}));

class NewIslandSetup : public ::testing::TestWithParam<int> {};

TEST_P(NewIslandSetup, EmptySquareIslandWithItsCellBlocks) {
    const int size = GetParam();
    auto editor = std::make_unique<Editor>();
    editor->ClearIsland();
    NewIsland(editor->doc, editor->status, size, 3);
    editor->view.island_shown = true;
    const IslandMap& island = editor->doc.island;
    const int per_side = (size - 1) / 32 + 1;
    const auto& r = island.record;
    EXPECT_EQ(std::tuple(r.width, r.height, r.climate, r.buffer, island.cell_block_count),
              std::tuple(size, size, 3, -1, per_side * per_side));
    EXPECT_TRUE(editor->doc.loaded);
    EXPECT_EQ(std::tuple(editor->status.cell_blocks, editor->status.width, editor->status.water),
              std::tuple(std::to_string(per_side * per_side), std::to_string(size), "100"));
    EXPECT_EQ(island.fertility.get(size - 1, size - 1), 10);
}

INSTANTIATE_TEST_SUITE_P(Sizes, NewIslandSetup, ::testing::Values(1024, 96, 512));

TEST(NewIslandSetup, CountsDescribeAnAllWaterIsland) {
    auto editor = std::make_unique<Editor>();
    editor->ClearIsland();
    NewIsland(editor->doc, editor->status, 80, 0);  // 3 x 3 blocks, the last ones 16 wide
    editor->view.island_shown = true;
    ASSERT_TRUE(ResetView(editor->view, editor->doc.island, editor->status));
    EXPECT_EQ(editor->status.water, "100 %");
    EXPECT_EQ(editor->doc.island.block_height_counts[0][0], 32 * 32);
    EXPECT_EQ(editor->doc.island.block_height_counts[2][0], 32 * 16);  // x block 0, y block 2
    EXPECT_EQ(editor->doc.island.block_height_counts[8][0], 16 * 16);
    EXPECT_EQ(editor->doc.island.block_fertility_counts[5][10], 32 * 16);

    const Legend heights = FullIslandLegend(editor->doc.island, editor->view.layer);
    EXPECT_EQ(heights[static_cast<std::size_t>(LegendPanelOfHeight(0))].count, "6400");
    editor->view.layer = static_cast<DisplayLayer>(3);
    EXPECT_EQ(FullIslandLegend(editor->doc.island, editor->view.layer)[10].count, "6400");
}

TEST(NewIslandSetup, ReplacesTheCountsAndListsOfTheLoadedIsland) {
    auto editor = std::make_unique<Editor>();
    editor->doc.island.block_counts_used = 40;
    editor->doc.island.block_height_counts[39][120] = 7;
    editor->doc.island_list.emplace_back();
    editor->doc.city_list.push_back({"Stadt", "1", "2", "3", "4", "5", "6"});
    editor->doc.cities.cities.emplace_back();
    editor->doc.cities.current = 0;
    editor->ClearIsland();
    NewIsland(editor->doc, editor->status, 32, 1);
    editor->view.island_shown = true;
    const Document& d = editor->doc;
    EXPECT_EQ(std::tuple(d.island.block_counts_used, d.island.block_height_counts[39][120],
                         d.island_list.size(), d.city_list.size(), d.cities.cities.size(),
                         d.cities.current.has_value()),
              std::tuple(1, 0, 0u, 0u, 0u, false));
}

}  // namespace
}  // namespace insel
