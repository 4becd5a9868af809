// The tool frame: modes chosen by pages, each mode's rectangle, the frame's placement, clicks on
// the canvas, pen strokes, and dragging and applying the frame.
#include "core/tools/tool_frame.h"

#include <gtest/gtest.h>

#include "core/app/editor.h"
#include "core/display/view.h"
#include "test_helpers.h"

namespace insel {
namespace {

// A 128 x 128 island in the whole view: 4 pixels per cell, frames one pixel inside.
std::unique_ptr<Editor> Shown() { return test::ShownIsland(128, 128); }

void ClickCell(Editor& editor, int x, int y) {
    editor.SetPanel("MouseXPanel", x);
    editor.SetPanel("MouseYPanel", y);
    ASSERT_TRUE(FlickerFreePaintBox2Click(editor));
}

TEST(ToolModes, PagesChooseModesAndTheMinesPageFollowsItsRadio) {
    auto editor = Shown();
    PageControl1Change(*editor, kMineMode);
    EXPECT_EQ(editor->tool_mode, kMineMode);
    EXPECT_TRUE(editor->tools.frame_shown);
    EXPECT_EQ(FrameLetter(editor->tool_mode), "M");

    ASSERT_TRUE(RadioButton6Click(*editor, 1));
    EXPECT_EQ(editor->tool_mode, kQuarrySpotMode);
    EXPECT_EQ(editor->tools.spins, (SelectionRect{1, 1, 4, 3}));
    // Leaving and coming back keeps the quarry spots.
    PageControl1Change(*editor, 0);
    EXPECT_FALSE(editor->tools.frame_shown);
    PageControl1Change(*editor, kMineMode);
    EXPECT_EQ(editor->tool_mode, kQuarrySpotMode);
    EXPECT_EQ(FrameLetter(editor->tool_mode), "A");
    EXPECT_EQ(editor->tools.frame.width, 16);
    EXPECT_EQ(editor->tools.frame.height, 12);

    EXPECT_EQ(FrameLetter(kFertilityMode), "F");
    EXPECT_EQ(FrameLetter(12), "N");
    EXPECT_EQ(FrameLetter(0), "");

    // Radios that the window itself sets while updating do nothing.
    editor->updating = true;
    EXPECT_FALSE(RadioButton6Click(*editor, 0));
    EXPECT_EQ(editor->tool_mode, kQuarrySpotMode);
}

TEST(ToolModes, TheHeightProfilePageClearsTheMarks) {
    auto editor = Shown();
    editor->island.mark.set(3, 3, 1);
    PageControl1Change(*editor, kHeightProfileMode);
    EXPECT_TRUE(editor->height_profile_page);
    EXPECT_EQ(editor->island.mark.get(3, 3), 0);
    PageControl1Change(*editor, kTileMode);
    EXPECT_FALSE(editor->height_profile_page);
    EXPECT_EQ(editor->tools.frame.width, 12);  // 3 cells of 4 pixels
}

TEST(ToolFrame, IsPulledBackToEndAtTheIslandsEdge) {
    auto editor = Shown();
    PageControl1Change(*editor, kTileMode);
    ClickCell(*editor, 127, 126);
    EXPECT_EQ(editor->tools.spins.left, 125);
    EXPECT_EQ(editor->tools.spins.top, 125);
    EXPECT_EQ(editor->tools.selection[kTileMode], (SelectionRect{125, 125, 3, 3}));
    EXPECT_EQ(editor->tools.frame.left, 125 * 4 + 1);
    EXPECT_EQ(test::Panel(*editor, "xPanel"), "127");

    // A frame larger than the island starts at its first cell rather than before it.
    SpinEdit1Change(*editor, true, 200);
    EXPECT_EQ(editor->tools.spins.left, 0);
    EXPECT_EQ(editor->tools.frame.left, 1);
}

TEST(ToolFrame, PartViewFramesUseTheZoomAndStayOnTheCanvas) {
    auto editor = Shown();
    ASSERT_TRUE(PartPanelMouseUp(*editor, 1, 1));  // page at the origin, 16-pixel cells
    PageControl1Change(*editor, kRiverMode);
    ClickCell(*editor, 2, 3);
    EXPECT_EQ(editor->tools.frame.left, 2 * 16 + 1);
    EXPECT_EQ(editor->tools.frame.top, 3 * 16 + 1);
    EXPECT_EQ(editor->tools.frame.width, 48);
    // A cell outside the page puts the frame at the canvas edge.
    ClickCell(*editor, 100, 3);
    EXPECT_EQ(editor->tools.frame.left, 0);
}

TEST(CanvasClick, RecordsTheRectangleAndMovesTheMinePartner) {
    auto editor = Shown();
    editor->island.height.set(7, 9, 55);
    PageControl1Change(*editor, kMineMode);
    ClickCell(*editor, 7, 9);
    EXPECT_EQ(test::Panel(*editor, "ObjHoeheEdit"), "55");
    EXPECT_EQ(editor->tools.selection[kMineMode], (SelectionRect{7, 9, 1, 1}));
    EXPECT_EQ(editor->tools.selection[kQuarrySpotMode], (SelectionRect{7, 9, 4, 3}));
}

TEST(CanvasClick, DoesNothingWhileUpdatingOrWithoutAnIslandOrANumber) {
    auto editor = Shown();
    editor->SetPanel("MouseXPanel", 5);
    editor->SetPanel("MouseYPanel", 5);
    const auto before = editor->tools.selection;
    editor->updating = true;
    EXPECT_FALSE(FlickerFreePaintBox2Click(*editor));
    editor->updating = false;
    editor->island_shown = false;
    EXPECT_FALSE(FlickerFreePaintBox2Click(*editor));
    EXPECT_EQ(editor->tools.selection, before);

    editor->island_shown = true;
    editor->panels["MouseXPanel"] = "";
    EXPECT_THROW(FlickerFreePaintBox2Click(*editor), Error);
}

TEST(PenStroke, MarksPenSquaresOnlyOnTheHeightProfilePage) {
    auto editor = test::ShownIsland(1025, 1025);
    ASSERT_TRUE(editor->view.oversize_mode);
    EXPECT_FALSE(FlickerFreePaintBox2MouseDown(*editor, 10, 10));
    PageControl1Change(*editor, kHeightProfileMode);
    ASSERT_TRUE(FlickerFreePaintBox2MouseDown(*editor, 10, 10));
    EXPECT_EQ(editor->island.mark.get(11, 11), 1);
    EXPECT_EQ(editor->island.mark.get(12, 11), 0);

    // At the last array column only the cells that exist are marked.
    editor->view.origin_x = 1000;
    editor->tools.pen_size = 3;
    ASSERT_TRUE(StrokeMouseMove(*editor, 24, 0));
    EXPECT_EQ(editor->island.mark.get(1024, 2), 1);

    FlickerFreePaintBox2MouseUp(*editor);
    EXPECT_FALSE(StrokeMouseMove(*editor, 0, 0));
    EXPECT_EQ(editor->island.mark.get(1000, 0), 0);
}

TEST(FrameDrag, OnlyForResizableModesAndKeptOnTheCanvas) {
    auto editor = Shown();
    PageControl1Change(*editor, kMineMode);
    EXPECT_FALSE(ThePanelMouseDown(*editor, true));
    PageControl1Change(*editor, kBlockBufferMode);
    ClickCell(*editor, 100, 100);
    ASSERT_TRUE(ThePanelMouseDown(*editor, true));
    const auto size = ThePanelMouseMove(*editor, -700, 30);
    ASSERT_TRUE(size);
    EXPECT_EQ(size->width, 1023 - editor->tools.frame.left);
    EXPECT_EQ(size->height, 30);

    editor->tools.frame_size_locked = true;
    EXPECT_FALSE(ThePanelMouseMove(*editor, 5, 5));
}

TEST(FrameDrag, StoringGivesTheBlockRectangle) {
    auto editor = Shown();
    PageControl1Change(*editor, kBlockBufferMode);
    ClickCell(*editor, 10, 20);
    ThePanelMouseDown(*editor, true);
    ThePanelMouseMove(*editor, 20, 12);  // 5 x 3 cells from the frame's corner
    ASSERT_TRUE(StoreFrame(*editor));
    EXPECT_FALSE(editor->tools.frame_drag_active);
    EXPECT_EQ(editor->tools.selection[kBlockBufferMode], (SelectionRect{10, 20, 5, 3}));
    EXPECT_EQ(editor->tools.block, (BlockRect{10, 20, 15, 23}));
    EXPECT_EQ(editor->tools.block.width(), 6);
}

TEST(FrameApply, FertilityNeedsALegendColourAndRecountsTheBlocks) {
    auto editor = Shown();
    PageControl1Change(*editor, kFertilityMode);
    ClickCell(*editor, 4, 4);
    SpinEdit1Change(*editor, true, 2);
    SpinEdit1Change(*editor, false, 2);
    FrameApplyResult result = ApplyFrame(*editor, 0);
    EXPECT_EQ(result.message, "Select color in HoehenStatistik first");
    EXPECT_EQ(editor->island.fertility.get(4, 4), 10);

    editor->tools.legend_value = 3;
    result = ApplyFrame(*editor, 0);
    EXPECT_TRUE(result.changed);
    EXPECT_EQ(editor->island.fertility.get(5, 5), 3);
    EXPECT_EQ(editor->island.fertility.get(6, 5), 10);
    EXPECT_EQ(editor->island.block_fertility_counts[0][3], 4);
    EXPECT_EQ(editor->island.block_height_counts[0][0], 32 * 32);

    // Legend panels past the fertility values do nothing.
    editor->tools.legend_value = 11;
    EXPECT_FALSE(ApplyFrame(*editor, 0).changed);
}

TEST(FrameApply, VegetationClearsOnlyTheCornerAndRiversDoNothing) {
    auto editor = Shown();
    for (int x = 0; x < 3; ++x) editor->island.terrain.set(x, 0, 0x1234);
    PageControl1Change(*editor, kVegetationMode);
    ClickCell(*editor, 0, 0);
    SpinEdit1Change(*editor, true, 3);
    EXPECT_TRUE(ApplyFrame(*editor, 0).changed);
    EXPECT_EQ(editor->island.terrain.get(0, 0), 0);
    EXPECT_EQ(editor->island.terrain.get(1, 0), 0x1234);

    PageControl1Change(*editor, kRiverMode);
    EXPECT_FALSE(ApplyFrame(*editor, 0).changed);
}

TEST(FrameApply, HeightsFillTheFrame) {
    auto editor = Shown();
    PageControl1Change(*editor, kHeightProfileMode);
    ClickCell(*editor, 126, 126);
    SpinEdit1Change(*editor, true, 2);
    SpinEdit1Change(*editor, false, 2);
    ASSERT_TRUE(ApplyFrame(*editor, 60).changed);
    EXPECT_EQ(editor->island.height.get(126, 126), 60);
    EXPECT_EQ(editor->island.height.get(127, 127), 60);
    EXPECT_EQ(editor->island.height.get(125, 126), 0);
    EXPECT_EQ(editor->tools.block, (BlockRect{126, 126, 127, 127}));
}

}  // namespace
}  // namespace insel
