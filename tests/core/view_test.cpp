// Whole and part views, the conversions between canvas pixels and cells, mouse tracking, and
// the tool frame: modes chosen by pages, its placement, clicks, pen strokes, drags and applies.
#include "core/display/view.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "core/app/editor.h"
#include "core/tools/tool_frame.h"
#include "test_helpers.h"

namespace insel {
namespace {

using test::ShownIsland;

// The view's origin and the one the status shows.
auto Origin(const Editor& e) {
    return std::tuple(e.view.origin_x, e.view.origin_y, e.status.origin_x, e.status.origin_y);
}

TEST(WholeView, ScalesTheIslandIntoTheSquare) {
    // Side, pixels per cell, last pixel of the last cell, left edge of its frame.
    for (const auto& [side, cell, last_pixel, last_frame_pixel] :
         {std::tuple{512, 1, 511, 511}, {128, 4, 511, 509}, {100, 5, 499, 496}}) {
        auto ed = ShownIsland(side, side);
        const ViewState& v = ed->view;
        EXPECT_EQ(std::tuple(v.cell_width, ed->status.cell_height, ed->status.columns,
                             v.part_frame.shown),
                  std::tuple(cell, std::to_string(cell), std::to_string(side), false));
        const CellPoint last = PixelToCell(v, ed->doc.island, ed->status, last_pixel, last_pixel);
        EXPECT_EQ(std::tuple(last.x, last.y, CellToPixel(v, ed->doc.island, side - 1, 0)->x),
                  std::tuple(side - 1, side - 1, last_frame_pixel))
            << side;
    }
}

TEST(PartView, SnapsToPagesOfTheZoomFrameCornersGiveCellsAndPagesStopAtTheEdge) {
    auto ed = ShownIsland(512, 512);
    ASSERT_TRUE(ShowPartAt(ed->view, ed->doc.island, ed->status, 100, 5));
    const auto& v = ed->view;
    EXPECT_EQ(std::tuple(Origin(*ed), v.visible_columns, v.visible_rows, v.part_frame.shown,
                         v.part_frame.left, v.part_frame.width, v.part_frame.height),
              std::tuple(std::tuple(384, 0, "384", "0"), 64, 32, true, 96, 16, 8));
    ShowPartAt(ed->view, ed->doc.island, ed->status, 100, 10);
    EXPECT_EQ(Origin(*ed), std::tuple(384, 32, "384", "32"));
    const FrameCells f = CellsUnderFrame(ed->view, ed->doc.island, ed->status, 16, 32, 48, 32);
    EXPECT_EQ(std::tuple(f.left, f.top, f.right, f.bottom, f.width, f.height),
              std::tuple(385, 34, 388, 36, 3, 2));

    // Changing the zoom keeps the page, also when the same zoom is chosen again.
    SetZoom(ed->view, ed->doc.island, ed->status, 16);
    EXPECT_EQ(Origin(*ed), std::tuple(384, 32, "384", "32"));
    SetZoom(ed->view, ed->doc.island, ed->status, 42);
    const CellPoint cell = PixelToCell(ed->view, ed->doc.island, ed->status, 41, 42);
    EXPECT_EQ(std::tuple(v.visible_columns, v.visible_rows, cell.x, cell.y),
              std::tuple(24, 12, v.origin_x, v.origin_y + 1));

    ASSERT_TRUE(ShowWholeIsland(ed->view, ed->doc.island, ed->status));
    EXPECT_EQ(std::tuple(v.part_index, v.part_frame.shown, v.zoom_cell_size),
              std::tuple(-1, false, 42));

    // Pages are pulled back to the edge and arrows stop there.
    auto edge = ShownIsland(100, 100);
    ShowPartAt(edge->view, edge->doc.island, edge->status, 128, 128);
    EXPECT_EQ(Origin(*edge), std::tuple(36, 68, "36", "68"));
    for (const auto& [dx, dy, moves] :
         {std::tuple{1, 0, false}, {0, 1, false}, {-1, 0, true}, {0, -1, true}})
        EXPECT_EQ(ScrollView(edge->view, edge->doc.island, edge->status, dx, dy), moves)
            << dx << "," << dy;
    EXPECT_EQ(Origin(*edge), std::tuple(35, 67, "35", "67"));

    // 128 columns, more than the island has.
    SetZoom(edge->view, edge->doc.island, edge->status, 8);
    EXPECT_EQ(std::tuple(Origin(*edge), edge->view.visible_columns, edge->view.part_frame.width),
              std::tuple(std::tuple(0, 36, "0", "36"), 100, 128));
}

TEST(Oversize, TogglesBetweenTopAndBottomRows) {
    auto ed = ShownIsland(1024, 1024);
    EXPECT_EQ(std::pair(ed->view.oversize_mode, ed->view.visible_rows), std::pair(true, 512));
    ASSERT_TRUE(ToggleOversizeHalf(ed->view, ed->doc.island, ed->status));
    EXPECT_EQ(Origin(*ed), std::tuple(0, 512, "0", "512"));
    EXPECT_EQ(
        std::pair(PixelToCell(ed->view, ed->doc.island, ed->status, 10, 20).y, ed->status.pixel_y),
        std::pair(532, std::string("532")));
    const auto pixel = CellToPixel(ed->view, ed->doc.island, 10, 532);
    EXPECT_EQ(std::pair(pixel->x, pixel->y), std::pair(10, 20));
    ToggleOversizeHalf(ed->view, ed->doc.island, ed->status);
    EXPECT_EQ(Origin(*ed), std::tuple(0, 0, "0", "0"));
    auto low = ShownIsland(512, 512);  // fits the canvas
    EXPECT_FALSE(ToggleOversizeHalf(low->view, low->doc.island, low->status));
}

TEST(FullIsland, WaterShareEmptyIslandAndTrackingTheMouseOnlyOnTheIsland) {
    auto ed = ShownIsland(100, 100);
    auto& counts = ed->doc.island.block_height_counts;
    counts[0][0] = 2500, counts[15][9] = 500, counts[15][10] = 1000;
    ShowWholeIsland(ed->view, ed->doc.island, ed->status);
    EXPECT_EQ(ed->status.water, "30 %");

    auto empty = ShownIsland(0, 0);
    EXPECT_EQ(std::tuple(empty->status.water, empty->view.cell_width,
                         CellToPixel(empty->view, empty->doc.island, 0, 0).has_value()),
              std::tuple(std::string("0 %"), 0, false));
    EXPECT_FALSE(TrackMouse(empty->view, empty->doc.island, empty->status, 3, 3));
    ShowPartAt(empty->view, empty->doc.island, empty->status, 50, 50);
    EXPECT_EQ(empty->view.part_frame.width, 0);

    // The mouse shows its cell, points off the island are ignored.
    IslandMap& island = ed->doc.island;
    island.height.set(99, 2, 37), island.gfx.set(99, 2, 0x1234), island.fertility.set(99, 2, 7);
    island.terrain.set(99, 2, 0xC000 | 1001), island.terrain_param.set(99, 2, 0x0A05);
    ASSERT_TRUE(TrackMouse(ed->view, ed->doc.island, ed->status, 499, 14));
    const Status& s = ed->status;
    EXPECT_EQ(std::vector({s.mouse_x, s.mouse_hex_x, s.cell_height_value, s.cell_tile,
                           s.cell_terrain, s.cell_fertility}),
              std::vector<std::string>({"99", "63", "37", "12 34", "1001 - 05 0A", "7"}));

    const Status before = ed->status;
    for (const auto& [px, py] : {std::pair{500, 14}, {10, 500}, {-1, 14}})
        EXPECT_FALSE(TrackMouse(ed->view, ed->doc.island, ed->status, px, py)) << px << "," << py;
    EXPECT_EQ(std::tuple(s.mouse_x, s.cell_height_value, s.pixel_x),
              std::tuple(before.mouse_x, before.cell_height_value, before.pixel_x));
}

void OpenPage(Editor& editor, ToolMode mode) {
    SetToolModeForPage(editor.tools, editor.view, editor.doc.island, static_cast<int>(mode));
}

// As the window applies it: one step of the history, which keeps the block counts.
bool Apply(Editor& editor, int value = 0) {
    bool changed = false;
    editor.Step("Rahmen", [&] {
        changed =
            ApplyFrame(editor.tools, editor.view, editor.doc.island, editor.status, value).changed;
    });
    return changed;
}

void ClickCell(Editor& editor, int x, int y) {
    editor.status.mouse_x = std::to_string(x), editor.status.mouse_y = std::to_string(y);
    ASSERT_TRUE(MoveToolFrameToMouse(editor.tools, editor.view, editor.doc.island, editor.status));
}

// Opens the page, clicks the cell and sizes the frame in cells.
void FrameAt(Editor& editor, ToolMode mode, int x, int y, int width, int height) {
    OpenPage(editor, mode);
    ClickCell(editor, x, y);
    ResizeToolFrame(editor.tools, editor.view, editor.doc.island, true, width);
    ResizeToolFrame(editor.tools, editor.view, editor.doc.island, false, height);
}

TEST(ToolFrame, PagesChooseModesTheMinesPageFollowsItsRadioAndClicksPlaceTheFrame) {
    auto ed = ShownIsland(128, 128);  // 4 pixels per cell, frames one pixel inside
    OpenPage(*ed, ToolMode::Mine);
    EXPECT_EQ(std::tuple(ed->tools.mode, ed->tools.frame_shown, FrameLetter(ed->tools.mode)),
              std::tuple(ToolMode::Mine, true, "M"));
    ASSERT_TRUE(SetMineChoice(ed->tools, ed->view, ed->doc.island, 1 == 0));
    EXPECT_EQ(std::tuple(ed->tools.mode, ed->tools.spins),
              std::tuple(ToolMode::QuarrySpot, SelectionRect{1, 1, 4, 3}));
    // Leaving and coming back keeps the quarry spots.
    SetToolModeForPage(ed->tools, ed->view, ed->doc.island, 0);
    EXPECT_FALSE(ed->tools.frame_shown);
    OpenPage(*ed, ToolMode::Mine);
    EXPECT_EQ(std::tuple(ed->tools.mode, ed->tools.frame.width, ed->tools.frame.height,
                         FrameLetter(ed->tools.mode) + FrameLetter(static_cast<ToolMode>(12)) +
                             FrameLetter(ToolMode::None)),
              std::tuple(ToolMode::QuarrySpot, 16, 12, "AN"));

    // The height-profile page clears the marks.
    ed->doc.island.mark.set(3, 3, 1);
    OpenPage(*ed, ToolMode::HeightProfile);
    EXPECT_EQ(std::tuple(ed->tools.height_profile_page, ed->doc.island.mark.get(3, 3)),
              std::tuple(true, 0));
    OpenPage(*ed, ToolMode::Tile);
    EXPECT_EQ(std::tuple(ed->tools.height_profile_page, ed->tools.frame.width),
              std::tuple(false, 12));  // 3 cells of 4 pixels

    // The frame is pulled back to end at the island's edge and in part views uses the zoom.
    ed = ShownIsland(128, 128);
    OpenPage(*ed, ToolMode::Tile);
    ClickCell(*ed, 127, 126);
    EXPECT_EQ(
        std::tuple(ed->tools.Selection(ToolMode::Tile), ed->tools.frame.left, ed->status.frame_x),
        std::tuple(SelectionRect{125, 125, 3, 3}, 125 * 4 + 1, "127"));
    // A frame larger than the island starts at its first cell rather than before it.
    ResizeToolFrame(ed->tools, ed->view, ed->doc.island, true, 200);
    EXPECT_EQ(std::pair(ed->tools.spins.left, ed->tools.frame.left), std::pair(0, 1));

    // The page at the origin, 16-pixel cells.
    ASSERT_TRUE(ShowPartAt(ed->view, ed->doc.island, ed->status, 1, 1));
    OpenPage(*ed, ToolMode::River);
    ClickCell(*ed, 2, 3);
    const auto& f = ed->tools.frame;
    const auto inside = std::tuple(f.left, f.top, f.width);
    // A cell outside the page puts the frame at the canvas edge.
    ClickCell(*ed, 100, 3);
    EXPECT_EQ(std::pair(inside, f.left), std::pair(std::tuple(2 * 16 + 1, 3 * 16 + 1, 48), 0));

    // A click records the rectangle, moves the mine partner and needs an island and a number.
    ed = ShownIsland(128, 128);
    ed->doc.island.height.set(7, 9, 55);
    OpenPage(*ed, ToolMode::Mine);
    ClickCell(*ed, 7, 9);
    EXPECT_EQ(std::tuple(ed->status.object_height, ed->tools.Selection(ToolMode::Mine),
                         ed->tools.Selection(ToolMode::QuarrySpot)),
              std::tuple("55", SelectionRect{7, 9, 1, 1}, SelectionRect{7, 9, 4, 3}));

    const auto before = ed->tools.selection;
    ed->status.mouse_x = "5", ed->view.island_shown = false;
    EXPECT_FALSE(MoveToolFrameToMouse(ed->tools, ed->view, ed->doc.island, ed->status));
    EXPECT_EQ(ed->tools.selection, before);
    ed->view.island_shown = true, ed->status.mouse_x = "";
    EXPECT_THROW(MoveToolFrameToMouse(ed->tools, ed->view, ed->doc.island, ed->status), Error);
}

TEST(PenStroke, MarksPenSquaresOnlyOnTheHeightProfilePage) {
    auto ed = test::ShownIsland(1025, 1025);
    ASSERT_TRUE(ed->view.oversize_mode);
    EXPECT_FALSE(BeginPenStroke(ed->tools, ed->view, ed->doc.island, ed->status, 10, 10));
    OpenPage(*ed, ToolMode::HeightProfile);
    ASSERT_TRUE(BeginPenStroke(ed->tools, ed->view, ed->doc.island, ed->status, 10, 10));
    const auto& mark = ed->doc.island.mark;
    EXPECT_EQ(std::tuple(mark.get(11, 11), mark.get(12, 11)), std::tuple(1, 0));

    // At the last array column only the cells that exist are marked.
    ed->view.origin_x = 1000, ed->tools.pen_size = 3;
    ASSERT_TRUE(ContinuePenStroke(ed->tools, ed->view, ed->doc.island, ed->status, 24, 0));
    EXPECT_EQ(mark.get(1024, 2), 1);

    EndPenStroke(ed->tools);
    EXPECT_FALSE(ContinuePenStroke(ed->tools, ed->view, ed->doc.island, ed->status, 0, 0));
    EXPECT_EQ(mark.get(1000, 0), 0);
}

TEST(FrameDragAndApply, ResizableModesBlockFertilityVegetationHeightsAndRivers) {
    auto ed = ShownIsland(128, 128);
    OpenPage(*ed, ToolMode::Mine);
    EXPECT_FALSE(BeginFrameDrag(ed->tools, ed->view, true));
    OpenPage(*ed, ToolMode::BlockBuffer);
    ClickCell(*ed, 100, 100);
    ASSERT_TRUE(BeginFrameDrag(ed->tools, ed->view, true));
    const auto size = DragFrameCorner(ed->tools, ed->view, -700, 30);
    ASSERT_TRUE(size);
    EXPECT_EQ(std::pair(size->width, size->height), std::pair(1023 - ed->tools.frame.left, 30));

    ClickCell(*ed, 10, 20);
    DragFrameCorner(ed->tools, ed->view, 20, 12);  // 5 x 3 cells from the frame's corner
    ASSERT_TRUE(StoreFrame(ed->tools, ed->view, ed->doc.island, ed->status));
    EXPECT_EQ(std::tuple(ed->tools.frame_drag_active, ed->tools.Selection(ToolMode::BlockBuffer),
                         ed->tools.block, ed->tools.block.width()),
              std::tuple(false, SelectionRect{10, 20, 5, 3}, BlockRect{10, 20, 15, 23}, 6));

    ed->tools.frame_size_locked = true;
    ASSERT_TRUE(BeginFrameDrag(ed->tools, ed->view, true));
    EXPECT_FALSE(DragFrameCorner(ed->tools, ed->view, 5, 5));

    // Applying: fertility needs a legend colour and keeps the block counts.
    ed = ShownIsland(128, 128);
    ed->doc.island.RecountBlockCounts();
    FrameAt(*ed, ToolMode::Fertility, 4, 4, 2, 2);
    FrameApplyResult result = ApplyFrame(ed->tools, ed->view, ed->doc.island, ed->status, 0);
    EXPECT_EQ(std::tuple(result.changed, result.message, ed->doc.island.fertility.get(4, 4)),
              std::tuple(false, "Select color in HoehenStatistik first", 10));

    ed->tools.legend_value = 3;
    EXPECT_TRUE(Apply(*ed));
    const IslandMap& island = ed->doc.island;
    EXPECT_EQ(std::tuple(island.fertility.get(5, 5), island.fertility.get(6, 5),
                         island.block_fertility_counts[0][3], island.block_height_counts[0][0]),
              std::tuple(3, 10, 4, 32 * 32));

    // Legend panels past the fertility values do nothing.
    ed->tools.legend_value = 11;
    EXPECT_FALSE(Apply(*ed));

    for (int x = 0; x < 3; ++x) ed->doc.island.terrain.set(x, 0, 0x1234);
    FrameAt(*ed, ToolMode::Vegetation, 0, 0, 3, 3);
    EXPECT_TRUE(Apply(*ed));
    EXPECT_EQ(std::tuple(ed->doc.island.terrain.get(0, 0), ed->doc.island.terrain.get(1, 0)),
              std::tuple(0, 0x1234));

    FrameAt(*ed, ToolMode::HeightProfile, 126, 126, 2, 2);
    ASSERT_TRUE(Apply(*ed, 60));
    const auto& h = ed->doc.island.height;
    EXPECT_EQ(std::tuple(h.get(126, 126), h.get(127, 127), h.get(125, 126), ed->tools.block),
              std::tuple(60, 60, 0, BlockRect{126, 126, 127, 127}));

    OpenPage(*ed, ToolMode::River);
    EXPECT_FALSE(Apply(*ed));
}

}  // namespace
}  // namespace insel
