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

TEST(HeightBands, TablesAscendToByteMaximumWithTabledColours) {
    for (int i = 1; i < kHeightBandCount; ++i) EXPECT_LT(kHeightBands[i - 1], kHeightBands[i]) << i;
    EXPECT_EQ(kHeightBands[kHeightBandCount - 1], 255);
    EXPECT_EQ(CellColour(0, 0), 0x7C0000u);
    EXPECT_EQ(CellColour(0, 32), 0xFFFFF2u);
    EXPECT_EQ(CellColour(0, 88), 0xFF80FFu);
    EXPECT_EQ(CellColour(0, 170), 0x00FFC8u);
    EXPECT_EQ(CellColour(0, 255), 0x0084C4u);
}

TEST(CellColour, TileAndVegetationPutHighByteInRedAndLowByteInGreen) {
    for (int layer : {1, 2}) {
        EXPECT_EQ(CellColour(layer, 0x0B25), 0x250Bu) << layer;
        EXPECT_EQ(CellColour(layer, 0x1234), 0x3412u) << layer;
        EXPECT_EQ(CellColour(layer, 0xFFFF), 0xFFFFu) << layer;
        EXPECT_EQ(CellColour(layer, 0), 0u) << layer;
    }
}

TEST(CellColour, FertilityAboveTenTakesColourOfTenAndUnknownLayersAreRed) {
    EXPECT_EQ(CellColour(3, 0), 0xC0FFFFu);
    EXPECT_EQ(CellColour(3, 4), 0x00FFE4u);
    EXPECT_EQ(CellColour(3, 10), 0x00FF00u);
    EXPECT_EQ(CellColour(3, 11), 0x00FF00u);
    EXPECT_EQ(CellColour(3, 60000), 0x00FF00u);
    EXPECT_EQ(CellColour(4, 7), 0x0000FFu);
    EXPECT_EQ(CellColour(-1, 7), 0x0000FFu);
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
    EXPECT_EQ(Row(legend[23]), "shown 60/8");
    EXPECT_EQ(Row(legend[53]), "shown 240/");  // 241 has no panel
    EXPECT_EQ(legend[14].colour, kHeightColours[14]);
    EXPECT_EQ(legend[0].colour, kHeightColours[0]);
}

TEST_F(LegendTest, WholeIslandOtherLayersShowOnlyPresentValues) {
    editor->view.layer = static_cast<DisplayLayer>(1);
    Legend legend = FullIslandLegend(editor->doc.island, editor->view.layer);
    EXPECT_EQ(Row(legend[1]), "shown 4/4");
    EXPECT_EQ(Row(legend[2]), "hidden /");
    EXPECT_EQ(Row(legend[53]), "hidden /");

    editor->view.layer = static_cast<DisplayLayer>(3);
    legend = FullIslandLegend(editor->doc.island, editor->view.layer);
    EXPECT_EQ(Row(legend[0]), "shown 0/2");
    EXPECT_EQ(Row(legend[1]), "shown 1/");
    EXPECT_EQ(Row(legend[3]), "shown 3/5");
    EXPECT_EQ(Row(legend[10]), "shown 10/7");
    EXPECT_EQ(Row(legend[11]), "hidden /");
    EXPECT_EQ(legend[4].colour, kFertilityColours[4]);
}

TEST_F(LegendTest, ViewLegendCountsShownBlockUnderBandBounds) {
    editor->view.part_index = 1;
    Legend legend = ViewLegend(editor->doc.island, editor->view);
    EXPECT_EQ(Row(legend[0]), "shown 0/");  // 255 has no panel here
    EXPECT_EQ(Row(legend[1]), "shown 4/1");
    EXPECT_EQ(Row(legend[14]), "shown 40/7");
    EXPECT_EQ(Row(legend[23]), "shown 60/8");

    editor->view.part_index = -1;
    legend = ViewLegend(editor->doc.island, editor->view);
    EXPECT_EQ(Row(legend[0]), "shown 0/5");
    EXPECT_EQ(Row(legend[1]), "shown 4/4");

    editor->view.part_index = 2;  // beyond the island's blocks
    legend = ViewLegend(editor->doc.island, editor->view);
    EXPECT_EQ(Row(legend[1]), "shown 4/");

    editor->view.layer = static_cast<DisplayLayer>(3);
    editor->view.part_index = 1;
    legend = ViewLegend(editor->doc.island, editor->view);
    EXPECT_EQ(Row(legend[0]), "shown 0/");
    EXPECT_EQ(Row(legend[3]), "shown 3/5");
    EXPECT_EQ(Row(legend[10]), "shown 10/1");
    EXPECT_EQ(Row(legend[11]), "hidden /");

    for (int layer : {1, 2}) {
        editor->view.layer = static_cast<DisplayLayer>(layer);
        for (const LegendEntry& e : ViewLegend(editor->doc.island, editor->view))
            EXPECT_EQ(Row(e), "hidden /") << layer;
    }
}

}  // namespace
}  // namespace insel
