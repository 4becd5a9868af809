// Whole and part views, the conversions between canvas pixels and cells, and mouse tracking.
#include "core/display/view.h"

#include <gtest/gtest.h>

#include <memory>

#include "core/app/editor.h"
#include "test_helpers.h"

namespace insel {
namespace {

std::unique_ptr<Editor> Shown(int width, int height) { return test::ShownIsland(width, height); }

void ExpectOrigin(const Editor& editor, int x, int y) {
    EXPECT_EQ(editor.view.origin_x, x);
    EXPECT_EQ(editor.view.origin_y, y);
    EXPECT_EQ(test::Panel(editor, "xOfsetPanel"), std::to_string(x));
    EXPECT_EQ(test::Panel(editor, "yOfsetPanel"), std::to_string(y));
}

struct WholeCase {
    int side, cell, last_pixel, last_frame_pixel;
};

class WholeView : public ::testing::TestWithParam<WholeCase> {};

TEST_P(WholeView, ScalesTheIslandIntoTheSquare) {
    const WholeCase& c = GetParam();
    auto editor = Shown(c.side, c.side);
    EXPECT_EQ(editor->view.cell_width, c.cell);
    EXPECT_EQ(test::Panel(*editor, "yScalePanel"), std::to_string(c.cell));
    EXPECT_EQ(test::Panel(*editor, "xZahlPanel"), std::to_string(c.side));
    EXPECT_FALSE(editor->part_frame.shown);
    const CellPoint last = PixelToCell(*editor, c.last_pixel, c.last_pixel);
    EXPECT_EQ(last.x, c.side - 1);
    EXPECT_EQ(last.y, c.side - 1);
    EXPECT_EQ(CellToPixel(*editor, c.side - 1, 0)->x, c.last_frame_pixel);
}

INSTANTIATE_TEST_SUITE_P(Sides, WholeView,
                         ::testing::Values(WholeCase{512, 1, 511, 511}, WholeCase{128, 4, 511, 509},
                                           WholeCase{100, 5, 499, 496}));

TEST(PartView, SnapsToPagesOfTheZoom) {
    auto editor = Shown(512, 512);
    ASSERT_TRUE(PartPanelMouseUp(*editor, 100, 5));
    ExpectOrigin(*editor, 384, 0);
    EXPECT_EQ(editor->view.visible_columns, 64);
    EXPECT_EQ(editor->view.visible_rows, 32);
    EXPECT_TRUE(editor->part_frame.shown);
    EXPECT_EQ(editor->part_frame.left, 96);
    EXPECT_EQ(editor->part_frame.width, 16);
    EXPECT_EQ(editor->part_frame.height, 8);
    PartPanelMouseUp(*editor, 100, 10);
    ExpectOrigin(*editor, 384, 32);

    // Changing the zoom keeps the page, also when the same zoom is chosen again.
    Zoom1RadioClick(*editor, 16);
    ExpectOrigin(*editor, 384, 32);
    Zoom1RadioClick(*editor, 42);
    EXPECT_EQ(editor->view.visible_columns, 24);
    EXPECT_EQ(editor->view.visible_rows, 12);
    EXPECT_EQ(PixelToCell(*editor, 41, 42).x, editor->view.origin_x);
    EXPECT_EQ(PixelToCell(*editor, 41, 42).y, editor->view.origin_y + 1);

    ASSERT_TRUE(FullIslandButtonClick(*editor));
    EXPECT_EQ(editor->view.part_index, -1);
    EXPECT_FALSE(editor->part_frame.shown);
    EXPECT_EQ(editor->view.zoom_cell_size, 42);
}

TEST(PartView, PagesArePulledBackToTheEdgeAndArrowsStopThere) {
    auto editor = Shown(100, 100);
    PartPanelMouseUp(*editor, 128, 128);
    ExpectOrigin(*editor, 36, 68);
    EXPECT_FALSE(XOfsetSpinUpClick(*editor));
    EXPECT_FALSE(YOfsetSpinDownClick(*editor));
    EXPECT_TRUE(XOfsetSpinDownClick(*editor));
    EXPECT_TRUE(YOfsetSpinUpClick(*editor));
    ExpectOrigin(*editor, 35, 67);

    Zoom1RadioClick(*editor, 8);  // 128 columns, more than the island has
    ExpectOrigin(*editor, 0, 36);
    EXPECT_EQ(editor->view.visible_columns, 100);
    EXPECT_EQ(editor->part_frame.width, 128);
}

TEST(PartView, FrameCornersGiveCellsAndSize) {
    auto editor = Shown(512, 512);
    PartPanelMouseUp(*editor, 100, 10);
    const FrameCells f = ResizePanel(*editor, 16, 32, 48, 32);
    EXPECT_EQ(f.left, 385);
    EXPECT_EQ(f.top, 34);
    EXPECT_EQ(f.right, 388);
    EXPECT_EQ(f.bottom, 36);
    EXPECT_EQ(f.width, 3);
    EXPECT_EQ(f.height, 2);
}

TEST(Conversions, CellToPixelAndBackGiveTheCell) {
    auto whole = Shown(128, 128);
    auto one_pixel = Shown(512, 512);
    auto part = Shown(512, 512);
    PartPanelMouseUp(*part, 60, 70);
    Zoom1RadioClick(*part, 42);
    auto oversize = Shown(1024, 1024);
    OversizeButtonClick(*oversize);
    for (Editor* e : {whole.get(), one_pixel.get(), part.get(), oversize.get()}) {
        for (int dx : {0, 5, 11}) {
            const int x = e->view.origin_x + dx, y = e->view.origin_y + 11 - dx;
            const CellPoint back =
                PixelToCell(*e, CellToPixel(*e, x, y)->x, CellToPixel(*e, x, y)->y);
            EXPECT_EQ(back.x, x);
            EXPECT_EQ(back.y, y);
        }
    }
}

TEST(Oversize, TogglesBetweenTopAndBottomRows) {
    auto editor = Shown(1024, 1024);
    EXPECT_TRUE(editor->view.oversize_mode);
    EXPECT_EQ(editor->view.visible_rows, 512);
    ASSERT_TRUE(OversizeButtonClick(*editor));
    ExpectOrigin(*editor, 0, 512);
    EXPECT_EQ(PixelToCell(*editor, 10, 20).y, 532);
    EXPECT_EQ(test::Panel(*editor, "PixYPanel"), "532");
    OversizeButtonClick(*editor);
    ExpectOrigin(*editor, 0, 0);
    EXPECT_FALSE(OversizeButtonClick(*Shown(512, 512)));
}

TEST(FullIsland, WaterShareAndEmptyIsland) {
    auto editor = Shown(100, 100);
    editor->island.block_height_counts[0][0] = 2500;
    editor->island.block_height_counts[15][9] = 500;
    editor->island.block_height_counts[15][10] = 1000;
    FullIslandButtonClick(*editor);
    EXPECT_EQ(test::Panel(*editor, "WasserPanel"), "30 %");

    auto empty = Shown(0, 0);
    EXPECT_EQ(test::Panel(*empty, "WasserPanel"), "0 %");
    EXPECT_EQ(empty->view.cell_width, 0);
    EXPECT_FALSE(CellToPixel(*empty, 0, 0).has_value());
    EXPECT_FALSE(TrackMouse(*empty, 3, 3));
    PartPanelMouseUp(*empty, 50, 50);
    EXPECT_EQ(empty->part_frame.width, 0);
}

TEST(TrackMouse, ShowsTheCellAndIgnoresPointsOffTheIsland) {
    auto editor = Shown(100, 100);
    IslandMap& island = editor->island;
    island.height.set(99, 2, 37);
    island.gfx.set(99, 2, 0x1234);
    island.terrain.set(99, 2, 0xC000 | 1001);
    island.terrain_param.set(99, 2, 0x0A05);
    island.fertility.set(99, 2, 7);
    ASSERT_TRUE(TrackMouse(*editor, 499, 14));
    EXPECT_EQ(test::Panel(*editor, "MouseXPanel"), "99");
    EXPECT_EQ(test::Panel(*editor, "MouseHXPanel"), "63");
    EXPECT_EQ(test::Panel(*editor, "Edit1"), "37");
    EXPECT_EQ(test::Panel(*editor, "Edit2"), "12 34");
    EXPECT_EQ(test::Panel(*editor, "Edit3"), "1001 - 05 0A");
    EXPECT_EQ(test::Panel(*editor, "Edit4"), "7");

    const auto before = editor->panels;
    EXPECT_FALSE(TrackMouse(*editor, 500, 14));
    EXPECT_FALSE(TrackMouse(*editor, 10, 500));
    EXPECT_FALSE(TrackMouse(*editor, -1, 14));
    editor->updating = true;
    EXPECT_FALSE(TrackMouse(*editor, 5, 5));
    EXPECT_FALSE(PartPanelMouseUp(*editor, 5, 5));
    EXPECT_EQ(editor->panels, before);
}

}  // namespace
}  // namespace insel
