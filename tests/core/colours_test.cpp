// The colour function of the map and the legend built from the block counts.
#include "core/display/colours.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "core/app/editor.h"
#include "core/display/legend.h"

namespace insel {
namespace {

struct BandCase {
    int height, band, legend_panel;
};

class HeightBands : public ::testing::TestWithParam<BandCase> {};

TEST_P(HeightBands, ValueFallsInFirstBandWhoseBoundReachesIt) {
    const BandCase& c = GetParam();
    EXPECT_EQ(HeightBand(c.height), c.band);
    EXPECT_EQ(CellColour(0, c.height), kHeightColours[c.band]);
    EXPECT_EQ(LegendPanelOfHeight(c.height), c.legend_panel);
}

INSTANTIATE_TEST_SUITE_P(Edges, HeightBands,
                         ::testing::Values(BandCase{0, 0, 0}, BandCase{1, 1, 1}, BandCase{4, 1, 1},
                                           BandCase{5, 2, 2}, BandCase{40, 14, 14},
                                           BandCase{41, 15, 15}, BandCase{232, 52, 52},
                                           BandCase{240, 53, 53}, BandCase{241, 54, -1},
                                           BandCase{254, 54, -1}, BandCase{255, 54, 0}));

// Tiles and vegetation swap the value's bytes into red and green; fertility above ten takes
// the colour of ten; unknown layers are red.
TEST(CellColour, OtherLayers) {
    for (int layer : {1, 2}) EXPECT_EQ(CellColour(layer, 0x1234), 0x3412u) << layer;
    EXPECT_EQ(CellColour(3, 4), kFertilityColours[4]);
    for (int value : {10, 11, 60000}) EXPECT_EQ(CellColour(3, value), 0x00FF00u) << value;
    for (int layer : {4, -1}) EXPECT_EQ(CellColour(layer, 7), 0x0000FFu) << layer;
}

// Two cell blocks with counts set directly, as the loader leaves them.
class LegendTest : public ::testing::Test {
  protected:
    void SetUp() override {
        IslandMap& island = editor->doc.island;
        island.cell_block_count = 2;
        island.block_counts_used = 2;
        auto& b0 = island.block_height_counts[0];
        auto& b1 = island.block_height_counts[1];
        b0[0] = 5, b0[1] = 2, b0[4] = 3;
        b1[4] = 1, b1[40] = 7, b1[60] = 8, b1[241] = 9, b1[255] = 4;
        island.block_fertility_counts[0][0] = 2;
        island.block_fertility_counts[0][10] = 6;
        island.block_fertility_counts[1][10] = 1;
        island.block_fertility_counts[1][3] = 5;
    }
    static std::string Row(const LegendEntry& e) {
        return (e.shown ? "shown " : "hidden ") + e.caption + "/" + e.count;
    }
    std::unique_ptr<Editor> editor = std::make_unique<Editor>();
};

TEST_F(LegendTest, WholeIslandHeightsTakeLastValueOfEachPanel) {
    const Legend legend = FullIslandLegend(editor->doc.island, editor->view.layer);
    EXPECT_EQ(Row(legend[0]), "shown 255/4");  // 255 replaces the 5 cells of height 0
    EXPECT_EQ(Row(legend[1]), "shown 4/4");    // height 4 (3 + 1) replaces height 1
    EXPECT_EQ(Row(legend[2]), "shown 8/");     // no cells: band bound, no count
    EXPECT_EQ(Row(legend[14]), "shown 40/7");
    EXPECT_EQ(Row(legend[53]), "shown 240/");  // 241 has no panel
    EXPECT_EQ(legend[14].colour, kHeightColours[14]);
}

TEST_F(LegendTest, WholeIslandOtherLayersShowOnlyPresentValues) {
    editor->view.layer = static_cast<DisplayLayer>(1);
    Legend legend = FullIslandLegend(editor->doc.island, editor->view.layer);
    EXPECT_EQ(Row(legend[1]) + Row(legend[2]), "shown 4/4hidden /");

    editor->view.layer = static_cast<DisplayLayer>(3);
    legend = FullIslandLegend(editor->doc.island, editor->view.layer);
    EXPECT_EQ(Row(legend[0]) + Row(legend[1]) + Row(legend[3]) + Row(legend[10]) + Row(legend[11]),
              "shown 0/2shown 1/shown 3/5shown 10/7hidden /");
    EXPECT_EQ(legend[4].colour, kFertilityColours[4]);
}

TEST_F(LegendTest, ViewLegendCountsShownBlockUnderBandBounds) {
    editor->view.part_index = 1;
    Legend legend = ViewLegend(editor->doc.island, editor->view);
    // 255 has no panel here
    EXPECT_EQ(Row(legend[0]) + Row(legend[1]) + Row(legend[23]), "shown 0/shown 4/1shown 60/8");

    editor->view.part_index = -1;
    legend = ViewLegend(editor->doc.island, editor->view);
    EXPECT_EQ(Row(legend[0]) + Row(legend[1]), "shown 0/5shown 4/4");

    editor->view.part_index = 2;  // beyond the island's blocks
    legend = ViewLegend(editor->doc.island, editor->view);
    EXPECT_EQ(Row(legend[1]), "shown 4/");

    editor->view.layer = static_cast<DisplayLayer>(3);
    editor->view.part_index = 1;
    legend = ViewLegend(editor->doc.island, editor->view);
    EXPECT_EQ(Row(legend[0]) + Row(legend[3]) + Row(legend[10]) + Row(legend[11]),
              "shown 0/shown 3/5shown 10/1hidden /");

    for (int layer : {1, 2}) {
        editor->view.layer = static_cast<DisplayLayer>(layer);
        for (const LegendEntry& e : ViewLegend(editor->doc.island, editor->view))
            EXPECT_EQ(Row(e), "hidden /") << layer;
    }
}

}  // namespace
}  // namespace insel
