// Whole and part views, the conversions between canvas pixels and cells, and mouse tracking.
#include "core/display/view.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <tuple>
#include <vector>

#include "core/app/editor.h"
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
        auto editor = ShownIsland(side, side);
        const ViewState& v = editor->view;
        EXPECT_EQ(std::tuple(v.cell_width, editor->status.cell_height, editor->status.columns,
                             v.part_frame.shown),
                  std::tuple(cell, std::to_string(cell), std::to_string(side), false));
        const CellPoint last =
            PixelToCell(v, editor->doc.island, editor->status, last_pixel, last_pixel);
        EXPECT_EQ(std::tuple(last.x, last.y, CellToPixel(v, editor->doc.island, side - 1, 0)->x),
                  std::tuple(side - 1, side - 1, last_frame_pixel))
            << side;
    }
}

TEST(PartView, SnapsToPagesOfTheZoomAndFrameCornersGiveCells) {
    auto editor = ShownIsland(512, 512);
    ASSERT_TRUE(ShowPartAt(editor->view, editor->doc.island, editor->status, 100, 5));
    EXPECT_EQ(Origin(*editor), std::tuple(384, 0, "384", "0"));
    const auto& v = editor->view;
    EXPECT_EQ(std::tuple(v.visible_columns, v.visible_rows, v.part_frame.shown, v.part_frame.left,
                         v.part_frame.width, v.part_frame.height),
              std::tuple(64, 32, true, 96, 16, 8));
    ShowPartAt(editor->view, editor->doc.island, editor->status, 100, 10);
    EXPECT_EQ(Origin(*editor), std::tuple(384, 32, "384", "32"));
    const FrameCells f =
        CellsUnderFrame(editor->view, editor->doc.island, editor->status, 16, 32, 48, 32);
    EXPECT_EQ(std::tuple(f.left, f.top, f.right, f.bottom, f.width, f.height),
              std::tuple(385, 34, 388, 36, 3, 2));

    // Changing the zoom keeps the page, also when the same zoom is chosen again.
    SetZoom(editor->view, editor->doc.island, editor->status, 16);
    EXPECT_EQ(Origin(*editor), std::tuple(384, 32, "384", "32"));
    SetZoom(editor->view, editor->doc.island, editor->status, 42);
    EXPECT_EQ(std::pair(v.visible_columns, v.visible_rows), std::pair(24, 12));
    const CellPoint cell = PixelToCell(editor->view, editor->doc.island, editor->status, 41, 42);
    EXPECT_EQ(std::pair(cell.x, cell.y), std::pair(v.origin_x, v.origin_y + 1));

    ASSERT_TRUE(ShowWholeIsland(editor->view, editor->doc.island, editor->status));
    EXPECT_EQ(std::tuple(v.part_index, v.part_frame.shown, v.zoom_cell_size),
              std::tuple(-1, false, 42));
}

TEST(PartView, PagesArePulledBackToTheEdgeAndArrowsStopThere) {
    auto editor = ShownIsland(100, 100);
    ShowPartAt(editor->view, editor->doc.island, editor->status, 128, 128);
    EXPECT_EQ(Origin(*editor), std::tuple(36, 68, "36", "68"));
    for (const auto& [dx, dy, moves] :
         {std::tuple{1, 0, false}, {0, 1, false}, {-1, 0, true}, {0, -1, true}})
        EXPECT_EQ(ScrollView(editor->view, editor->doc.island, editor->status, dx, dy), moves)
            << dx << "," << dy;
    EXPECT_EQ(Origin(*editor), std::tuple(35, 67, "35", "67"));

    // 128 columns, more than the island has.
    SetZoom(editor->view, editor->doc.island, editor->status, 8);
    EXPECT_EQ(Origin(*editor), std::tuple(0, 36, "0", "36"));
    EXPECT_EQ(std::pair(editor->view.visible_columns, editor->view.part_frame.width),
              std::pair(100, 128));
}

TEST(Conversions, CellToPixelAndBackGiveTheCell) {
    auto whole = ShownIsland(128, 128);
    auto one_pixel = ShownIsland(512, 512);
    auto part = ShownIsland(512, 512);
    ShowPartAt(part->view, part->doc.island, part->status, 60, 70);
    SetZoom(part->view, part->doc.island, part->status, 42);
    auto oversize = ShownIsland(1024, 1024);
    ToggleOversizeHalf(oversize->view, oversize->doc.island, oversize->status);
    for (Editor* e : {whole.get(), one_pixel.get(), part.get(), oversize.get()}) {
        for (int dx : {0, 5, 11}) {
            const int x = e->view.origin_x + dx, y = e->view.origin_y + 11 - dx;
            const CellPoint back = PixelToCell(e->view, e->doc.island, e->status,
                                               CellToPixel(e->view, e->doc.island, x, y)->x,
                                               CellToPixel(e->view, e->doc.island, x, y)->y);
            EXPECT_EQ(std::pair(back.x, back.y), std::pair(x, y));
        }
    }
}

TEST(Oversize, TogglesBetweenTopAndBottomRows) {
    auto editor = ShownIsland(1024, 1024);
    EXPECT_EQ(std::pair(editor->view.oversize_mode, editor->view.visible_rows),
              std::pair(true, 512));
    ASSERT_TRUE(ToggleOversizeHalf(editor->view, editor->doc.island, editor->status));
    EXPECT_EQ(Origin(*editor), std::tuple(0, 512, "0", "512"));
    EXPECT_EQ(std::pair(PixelToCell(editor->view, editor->doc.island, editor->status, 10, 20).y,
                        editor->status.pixel_y),
              std::pair(532, std::string("532")));
    ToggleOversizeHalf(editor->view, editor->doc.island, editor->status);
    EXPECT_EQ(Origin(*editor), std::tuple(0, 0, "0", "0"));
    auto low = ShownIsland(512, 512);  // fits the canvas
    EXPECT_FALSE(ToggleOversizeHalf(low->view, low->doc.island, low->status));
}

TEST(FullIsland, WaterShareAndEmptyIsland) {
    auto editor = ShownIsland(100, 100);
    editor->doc.island.block_height_counts[0][0] = 2500;
    editor->doc.island.block_height_counts[15][9] = 500;
    editor->doc.island.block_height_counts[15][10] = 1000;
    ShowWholeIsland(editor->view, editor->doc.island, editor->status);
    EXPECT_EQ(editor->status.water, "30 %");

    auto empty = ShownIsland(0, 0);
    EXPECT_EQ(std::pair(empty->status.water, empty->view.cell_width),
              std::pair(std::string("0 %"), 0));
    EXPECT_FALSE(CellToPixel(empty->view, empty->doc.island, 0, 0).has_value());
    EXPECT_FALSE(TrackMouse(empty->view, empty->doc.island, empty->status, 3, 3));
    ShowPartAt(empty->view, empty->doc.island, empty->status, 50, 50);
    EXPECT_EQ(empty->view.part_frame.width, 0);
}

TEST(TrackMouse, ShowsTheCellAndIgnoresPointsOffTheIsland) {
    auto editor = ShownIsland(100, 100);
    IslandMap& island = editor->doc.island;
    island.height.set(99, 2, 37), island.gfx.set(99, 2, 0x1234), island.fertility.set(99, 2, 7);
    island.terrain.set(99, 2, 0xC000 | 1001), island.terrain_param.set(99, 2, 0x0A05);
    ASSERT_TRUE(TrackMouse(editor->view, editor->doc.island, editor->status, 499, 14));
    const Status& s = editor->status;
    EXPECT_EQ(std::vector({s.mouse_x, s.mouse_hex_x, s.cell_height_value, s.cell_tile,
                           s.cell_terrain, s.cell_fertility}),
              std::vector<std::string>({"99", "63", "37", "12 34", "1001 - 05 0A", "7"}));

    const Status before = editor->status;
    for (const auto& [px, py] : {std::pair{500, 14}, {10, 500}, {-1, 14}})
        EXPECT_FALSE(TrackMouse(editor->view, editor->doc.island, editor->status, px, py))
            << px << "," << py;
    EXPECT_EQ(std::tuple(s.mouse_x, s.cell_height_value, s.pixel_x),
              std::tuple(before.mouse_x, before.cell_height_value, before.pixel_x));
}

}  // namespace
}  // namespace insel
