// The tool frame: modes chosen by pages, each mode's rectangle, the frame's placement, clicks on
// the canvas, pen strokes, and dragging and applying the frame.
#include "core/tools/tool_frame.h"

#include <gtest/gtest.h>

#include <tuple>
#include <utility>

#include "core/app/editor.h"
#include "core/display/view.h"
#include "test_helpers.h"

namespace insel {
namespace {

// A 128 x 128 island in the whole view: 4 pixels per cell, frames one pixel inside.
std::unique_ptr<Editor> Shown() { return test::ShownIsland(128, 128); }

void OpenPage(Editor& editor, ToolMode mode) {
    SetToolModeForPage(editor.tools, editor.view, editor.doc.island, static_cast<int>(mode));
}

bool Apply(Editor& editor, int value = 0) {
    return ApplyFrame(editor.tools, editor.view, editor.doc.island, editor.status, value).changed;
}

void ClickCell(Editor& editor, int x, int y) {
    editor.status.mouse_x = std::to_string(x);
    editor.status.mouse_y = std::to_string(y);
    ASSERT_TRUE(MoveToolFrameToMouse(editor.tools, editor.view, editor.doc.island, editor.status));
}

// Opens the page, clicks the cell and sizes the frame in cells.
void FrameAt(Editor& editor, ToolMode mode, int x, int y, int width, int height) {
    OpenPage(editor, mode);
    ClickCell(editor, x, y);
    ResizeToolFrame(editor.tools, editor.view, editor.doc.island, true, width);
    ResizeToolFrame(editor.tools, editor.view, editor.doc.island, false, height);
}

TEST(ToolModes, PagesChooseModesAndTheMinesPageFollowsItsRadio) {
    auto editor = Shown();
    OpenPage(*editor, ToolMode::Mine);
    EXPECT_EQ(
        std::tuple(editor->tools.mode, editor->tools.frame_shown, FrameLetter(editor->tools.mode)),
        std::tuple(ToolMode::Mine, true, "M"));
    ASSERT_TRUE(SetMineChoice(editor->tools, editor->view, editor->doc.island, 1 == 0));
    EXPECT_EQ(std::tuple(editor->tools.mode, editor->tools.spins),
              std::tuple(ToolMode::QuarrySpot, SelectionRect{1, 1, 4, 3}));
    // Leaving and coming back keeps the quarry spots.
    SetToolModeForPage(editor->tools, editor->view, editor->doc.island, 0);
    EXPECT_FALSE(editor->tools.frame_shown);
    OpenPage(*editor, ToolMode::Mine);
    EXPECT_EQ(std::tuple(editor->tools.mode, editor->tools.frame.width, editor->tools.frame.height),
              std::tuple(ToolMode::QuarrySpot, 16, 12));
    EXPECT_EQ(FrameLetter(editor->tools.mode) + FrameLetter(static_cast<ToolMode>(12)) +
                  FrameLetter(ToolMode::None),
              "AN");

    // The height-profile page clears the marks.
    editor->doc.island.mark.set(3, 3, 1);
    OpenPage(*editor, ToolMode::HeightProfile);
    EXPECT_EQ(std::tuple(editor->tools.height_profile_page, editor->doc.island.mark.get(3, 3)),
              std::tuple(true, 0));
    OpenPage(*editor, ToolMode::Tile);
    EXPECT_EQ(std::tuple(editor->tools.height_profile_page, editor->tools.frame.width),
              std::tuple(false, 12));  // 3 cells of 4 pixels
}

TEST(ToolFrame, IsPulledBackToEndAtTheIslandsEdge) {
    auto editor = Shown();
    OpenPage(*editor, ToolMode::Tile);
    ClickCell(*editor, 127, 126);
    EXPECT_EQ(std::tuple(editor->tools.Selection(ToolMode::Tile), editor->tools.frame.left,
                         editor->status.frame_x),
              std::tuple(SelectionRect{125, 125, 3, 3}, 125 * 4 + 1, "127"));
    // A frame larger than the island starts at its first cell rather than before it.
    ResizeToolFrame(editor->tools, editor->view, editor->doc.island, true, 200);
    EXPECT_EQ(std::pair(editor->tools.spins.left, editor->tools.frame.left), std::pair(0, 1));
}

TEST(ToolFrame, PartViewFramesUseTheZoomAndStayOnTheCanvas) {
    auto editor = Shown();
    // The page at the origin, 16-pixel cells.
    ASSERT_TRUE(ShowPartAt(editor->view, editor->doc.island, editor->status, 1, 1));
    OpenPage(*editor, ToolMode::River);
    ClickCell(*editor, 2, 3);
    const auto& f = editor->tools.frame;
    EXPECT_EQ(std::tuple(f.left, f.top, f.width), std::tuple(2 * 16 + 1, 3 * 16 + 1, 48));
    // A cell outside the page puts the frame at the canvas edge.
    ClickCell(*editor, 100, 3);
    EXPECT_EQ(editor->tools.frame.left, 0);
}

TEST(CanvasClick, RecordsTheRectangleMovesTheMinePartnerAndNeedsAnIslandAndANumber) {
    auto editor = Shown();
    editor->doc.island.height.set(7, 9, 55);
    OpenPage(*editor, ToolMode::Mine);
    ClickCell(*editor, 7, 9);
    EXPECT_EQ(std::tuple(editor->status.object_height, editor->tools.Selection(ToolMode::Mine),
                         editor->tools.Selection(ToolMode::QuarrySpot)),
              std::tuple("55", SelectionRect{7, 9, 1, 1}, SelectionRect{7, 9, 4, 3}));

    const auto before = editor->tools.selection;
    editor->status.mouse_x = "5";
    editor->view.island_shown = false;
    EXPECT_FALSE(
        MoveToolFrameToMouse(editor->tools, editor->view, editor->doc.island, editor->status));
    EXPECT_EQ(editor->tools.selection, before);
    editor->view.island_shown = true;
    editor->status.mouse_x = "";
    EXPECT_THROW(
        MoveToolFrameToMouse(editor->tools, editor->view, editor->doc.island, editor->status),
        Error);
}

TEST(PenStroke, MarksPenSquaresOnlyOnTheHeightProfilePage) {
    auto editor = test::ShownIsland(1025, 1025);
    ASSERT_TRUE(editor->view.oversize_mode);
    EXPECT_FALSE(
        BeginPenStroke(editor->tools, editor->view, editor->doc.island, editor->status, 10, 10));
    OpenPage(*editor, ToolMode::HeightProfile);
    ASSERT_TRUE(
        BeginPenStroke(editor->tools, editor->view, editor->doc.island, editor->status, 10, 10));
    const auto& mark = editor->doc.island.mark;
    EXPECT_EQ(std::tuple(mark.get(11, 11), mark.get(12, 11)), std::tuple(1, 0));

    // At the last array column only the cells that exist are marked.
    editor->view.origin_x = 1000;
    editor->tools.pen_size = 3;
    ASSERT_TRUE(
        ContinuePenStroke(editor->tools, editor->view, editor->doc.island, editor->status, 24, 0));
    EXPECT_EQ(mark.get(1024, 2), 1);

    EndPenStroke(editor->tools);
    EXPECT_FALSE(
        ContinuePenStroke(editor->tools, editor->view, editor->doc.island, editor->status, 0, 0));
    EXPECT_EQ(mark.get(1000, 0), 0);
}

TEST(FrameDrag, OnlyForResizableModesKeptOnTheCanvasAndStoredAsTheBlock) {
    auto editor = Shown();
    OpenPage(*editor, ToolMode::Mine);
    EXPECT_FALSE(BeginFrameDrag(editor->tools, editor->view, true));
    OpenPage(*editor, ToolMode::BlockBuffer);
    ClickCell(*editor, 100, 100);
    ASSERT_TRUE(BeginFrameDrag(editor->tools, editor->view, true));
    const auto size = DragFrameCorner(editor->tools, editor->view, -700, 30);
    ASSERT_TRUE(size);
    EXPECT_EQ(std::tuple(size->width, size->height),
              std::tuple(1023 - editor->tools.frame.left, 30));

    ClickCell(*editor, 10, 20);
    DragFrameCorner(editor->tools, editor->view, 20, 12);  // 5 x 3 cells from the frame's corner
    ASSERT_TRUE(StoreFrame(editor->tools, editor->view, editor->doc.island, editor->status));
    EXPECT_EQ(
        std::tuple(editor->tools.frame_drag_active, editor->tools.Selection(ToolMode::BlockBuffer),
                   editor->tools.block, editor->tools.block.width()),
        std::tuple(false, SelectionRect{10, 20, 5, 3}, BlockRect{10, 20, 15, 23}, 6));

    editor->tools.frame_size_locked = true;
    ASSERT_TRUE(BeginFrameDrag(editor->tools, editor->view, true));
    EXPECT_FALSE(DragFrameCorner(editor->tools, editor->view, 5, 5));
}

TEST(FrameApply, FertilityNeedsALegendColourAndRecountsTheBlocks) {
    auto editor = Shown();
    FrameAt(*editor, ToolMode::Fertility, 4, 4, 2, 2);
    FrameApplyResult result =
        ApplyFrame(editor->tools, editor->view, editor->doc.island, editor->status, 0);
    EXPECT_EQ(std::tuple(result.changed, result.message, editor->doc.island.fertility.get(4, 4)),
              std::tuple(false, "Select color in HoehenStatistik first", 10));

    editor->tools.legend_value = 3;
    EXPECT_TRUE(Apply(*editor));
    const IslandMap& island = editor->doc.island;
    EXPECT_EQ(std::tuple(island.fertility.get(5, 5), island.fertility.get(6, 5),
                         island.block_fertility_counts[0][3], island.block_height_counts[0][0]),
              std::tuple(3, 10, 4, 32 * 32));

    // Legend panels past the fertility values do nothing.
    editor->tools.legend_value = 11;
    EXPECT_FALSE(Apply(*editor));
}

TEST(FrameApply, VegetationClearsOnlyTheCornerHeightsFillTheFrameRiversDoNothing) {
    auto editor = Shown();
    for (int x = 0; x < 3; ++x) editor->doc.island.terrain.set(x, 0, 0x1234);
    FrameAt(*editor, ToolMode::Vegetation, 0, 0, 3, 3);
    EXPECT_TRUE(Apply(*editor));
    EXPECT_EQ(
        std::tuple(editor->doc.island.terrain.get(0, 0), editor->doc.island.terrain.get(1, 0)),
        std::tuple(0, 0x1234));

    FrameAt(*editor, ToolMode::HeightProfile, 126, 126, 2, 2);
    ASSERT_TRUE(Apply(*editor, 60));
    const auto& h = editor->doc.island.height;
    EXPECT_EQ(std::tuple(h.get(126, 126), h.get(127, 127), h.get(125, 126), editor->tools.block),
              std::tuple(60, 60, 0, BlockRect{126, 126, 127, 127}));

    OpenPage(*editor, ToolMode::River);
    EXPECT_FALSE(Apply(*editor));
}

}  // namespace
}  // namespace insel
