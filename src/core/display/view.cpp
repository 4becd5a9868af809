#include "core/display/view.h"

#include <algorithm>
#include <cmath>
#include <string>

#include "core/app/editor.h"
#include "core/app/key_notation.h"

namespace insel {

CellPixels CellSize(const ViewState& view) {
    if (view.part_index >= 0) return {view.zoom_cell_size, view.zoom_cell_size};
    return {view.cell_width, view.cell_height};
}

namespace {

constexpr int kWholeSide = 512;    // the whole island is scaled into this square
constexpr int kWaterHeights = 10;  // heights 0..9 count as water

int Width(const Editor& editor) { return editor.island.record.width; }
int Height(const Editor& editor) { return editor.island.record.height; }

// Pixels per cell along an axis of the whole view as the conversions use it. At least 1, so
// that an empty or over-wide island cannot divide by zero.
int WholeCellSide(int side) { return side > 0 ? std::max(1, kWholeSide / side) : 1; }

// A frame sits one pixel inside its cell, but a one-pixel cell has no inside: the pixel after
// it is already the next cell, which the tools would then act on.
int Inset(int cell_side) { return cell_side > 1 ? 1 : 0; }

int ZoomSide(const ViewState& view) { return std::max(1, view.zoom_cell_size); }

CellPoint CellAt(const ViewState& view, int width, int height, int px, int py) {
    if (view.part_index >= 0) {
        const int z = ZoomSide(view);
        return {px / z + view.origin_x, py / z + view.origin_y};
    }
    if (view.oversize_mode) return {px + view.origin_x, py + view.origin_y};
    // Rows are drawn CellHeight pixels high, so y follows the height; square islands are alike.
    return {px / WholeCellSide(width), py / WholeCellSide(height)};
}

// The first cell of the page of `page` cells that overview pixel `p` falls into, pulled back
// so that the page ends at the island's edge.
int PageOrigin(int side, int p, int page) {
    int origin = static_cast<int>(std::trunc(side * (p - 1) / static_cast<double>(kOverviewSide) / page)) * page;
    if (origin + page > side) origin = side - page;
    return std::max(origin, 0);
}

void ShowScalePanels(Editor& editor) {
    const ViewState& v = editor.view;
    editor.SetPanel("xOfsetPanel", v.origin_x);
    editor.SetPanel("yOfsetPanel", v.origin_y);
    editor.SetPanel("xScalePanel", v.cell_width);
    editor.SetPanel("yScalePanel", v.cell_height);
    editor.SetPanel("xZahlPanel", v.visible_columns);
    editor.SetPanel("YZahlPanel", v.visible_rows);
}

void SetWholeView(ViewState& v, int width, int height) {
    v.origin_x = 0;
    v.visible_columns = width;
    if (v.oversize_mode) {
        v.cell_width = v.cell_height = 1;
        v.visible_rows = kWholeSide;
        v.origin_y = v.oversize_offset_y;
    } else {
        v.cell_width = width > 0 ? kWholeSide / width : 0;
        v.cell_height = height > 0 ? kWholeSide / height : 0;
        v.visible_rows = height;
        v.origin_y = 0;
    }
}

void SetPartView(Editor& editor, int a, int b) {
    ViewState& v = editor.view;
    const int width = Width(editor), height = Height(editor);
    const int rows = std::max(1, kWholeSide / ZoomSide(v));
    const int columns = 2 * rows;
    v.cell_width = v.cell_height = 16;

    const int blocks = editor.island.cell_block_count;
    const int per_side = blocks > 0 ? static_cast<int>(std::sqrt(blocks - 0.1) + 1) : 1;
    const int block_pixels = std::max(1, kOverviewSide / per_side);
    v.part_index = std::max(0, (a - 1) / block_pixels * per_side + (b - 1) / block_pixels);

    v.origin_y = PageOrigin(height, b, rows);
    v.origin_x = PageOrigin(width, a, columns);
    v.visible_rows = std::min(rows, height);
    v.visible_columns = std::min(columns, width);

    PartFrame& f = editor.part_frame;
    f.width = width > 0 ? std::min(kOverviewSide, v.visible_columns * kOverviewSide / width) : 0;
    f.height = height > 0 ? std::min(kOverviewSide, v.visible_rows * kOverviewSide / height) : 0;
    f.left = width > 0 ? v.origin_x * kOverviewSide / width : 0;
    f.top = height > 0 ? v.origin_y * kOverviewSide / height : 0;
}

bool CanAct(const Editor& editor) { return editor.island_shown && !editor.updating; }

}  // namespace

bool SetView(Editor& editor, int a, int b) {
    if (!editor.island_shown) return false;
    editor.part_frame.shown = editor.view.part_index >= 0;
    if (editor.view.part_index < 0) {
        SetWholeView(editor.view, Width(editor), Height(editor));
    } else {
        SetPartView(editor, a, b);
    }
    ShowScalePanels(editor);
    return true;
}

CellPoint PixelToCell(Editor& editor, int px, int py) {
    const CellPoint cell = CellAt(editor.view, Width(editor), Height(editor), px, py);
    const bool oversize_whole = editor.view.part_index < 0 && editor.view.oversize_mode;
    editor.SetPanel("PixXPanel", px);
    editor.SetPanel("PixYPanel", oversize_whole ? cell.y : py);
    return cell;
}

std::optional<CellPoint> CellToPixel(const Editor& editor, int x, int y) {
    const int width = Width(editor), height = Height(editor);
    if (width == 0 || height == 0) return std::nullopt;
    const ViewState& v = editor.view;
    if (v.part_index >= 0) {
        const int z = ZoomSide(v);
        return CellPoint{(x - v.origin_x) * z + Inset(z), (y - v.origin_y) * z + Inset(z)};
    }
    if (v.oversize_mode) return CellPoint{x - v.origin_x, y - v.origin_y};
    const int sx = WholeCellSide(width), sy = WholeCellSide(height);
    return CellPoint{x * sx + Inset(sx), y * sy + Inset(sy)};
}

FrameCells ResizePanel(Editor& editor, int left, int top, int width, int height) {
    const CellPoint top_left = PixelToCell(editor, left, top);
    const CellPoint bottom_right = PixelToCell(editor, left + width, top + height);
    const CellPoint size = PixelToCell(editor, width, height);
    const CellPoint zero = PixelToCell(editor, 0, 0);
    return {top_left.x,     top_left.y,      bottom_right.x,
            bottom_right.y, size.x - zero.x, size.y - zero.y};
}

bool FullIslandButtonClick(Editor& editor) {
    if (!CanAct(editor)) return false;
    editor.view.part_index = -1;
    SetView(editor, 0, 0);

    const IslandMap& island = editor.island;
    const int blocks = island.CountedBlocks();
    std::int64_t water = 0;
    for (int b = 0; b < blocks; ++b) {
        for (int h = 0; h < kWaterHeights; ++h) water += island.block_height_counts[b][h];
    }
    const std::int64_t cells = static_cast<std::int64_t>(Width(editor)) * Height(editor);
    editor.panels["WasserPanel"] = std::to_string(cells > 0 ? water * 100 / cells : 0) + " %";
    return true;
}

bool PartPanelMouseUp(Editor& editor, int x, int y) {
    if (!CanAct(editor)) return false;
    editor.view.part_index = 0;
    return SetView(editor, x, y);
}

bool Zoom1RadioClick(Editor& editor, int zoom_cell_size) {
    if (zoom_cell_size <= 0) return false;
    editor.view.zoom_cell_size = zoom_cell_size;
    // The frame's corner is the page origin scaled down; SetView counts overview points from 1,
    // so the corner itself would land one page too far up and left.
    return SetView(editor, editor.part_frame.left + 1, editor.part_frame.top + 1);
}

bool XOfsetSpinDownClick(Editor& editor) {
    ViewState& v = editor.view;
    if (v.origin_x <= 0) return false;
    editor.SetPanel("xOfsetPanel", --v.origin_x);
    return true;
}

bool XOfsetSpinUpClick(Editor& editor) {
    ViewState& v = editor.view;
    if (v.origin_x >= Width(editor) - v.visible_columns) return false;
    editor.SetPanel("xOfsetPanel", ++v.origin_x);
    return true;
}

bool YOfsetSpinDownClick(Editor& editor) {
    ViewState& v = editor.view;
    if (v.origin_y >= Height(editor) - v.visible_rows) return false;
    editor.SetPanel("yOfsetPanel", ++v.origin_y);
    return true;
}

bool YOfsetSpinUpClick(Editor& editor) {
    ViewState& v = editor.view;
    if (v.origin_y <= 0) return false;
    editor.SetPanel("yOfsetPanel", --v.origin_y);
    return true;
}

bool OversizeButtonClick(Editor& editor) {
    const int height = Height(editor);
    if (editor.updating || height <= kWholeSide) return false;
    ViewState& v = editor.view;
    v.oversize_offset_y = v.oversize_offset_y == 0 ? height - kWholeSide : 0;
    FullIslandButtonClick(editor);
    return true;
}

bool ResetView(Editor& editor) {
    ViewState& v = editor.view;
    v.part_index = -1;
    v.oversize_offset_y = 0;
    v.zoom_cell_size = 16;
    v.oversize_mode = Width(editor) > kWholeSide || Height(editor) > kWholeSide;
    editor.display_layer = 0;
    return FullIslandButtonClick(editor);
}

bool TrackMouse(Editor& editor, int px, int py, bool height_profile_stroke) {
    if (!CanAct(editor) || px < 0 || py < 0) return false;
    const int width = Width(editor), height = Height(editor);
    const CellPoint c = CellAt(editor.view, width, height, px, py);
    if (c.x >= width || c.y >= height || !Layer<std::uint8_t>::InRange(c.x, c.y)) return false;
    PixelToCell(editor, px, py);
    if (height_profile_stroke) return false;

    const IslandMap& island = editor.island;
    auto& p = editor.panels;
    p["MouseXPanel"] = std::to_string(c.x);
    p["MouseYPanel"] = std::to_string(c.y);
    p["MouseHXPanel"] = ValueToHex(c.x);
    p["MouseHYPanel"] = ValueToHex(c.y);
    p["Edit1"] = std::to_string(island.height.get(c.x, c.y));
    const int gfx = island.gfx.get(c.x, c.y);
    p["Edit2"] = ValueToHex(gfx / 256) + " " + ValueToHex(gfx % 256);
    const int param = island.terrain_param.get(c.x, c.y);
    p["Edit3"] = std::to_string(island.terrain.get(c.x, c.y) & 0x3FFF) + " - " +
                 ValueToHex(param % 256) + " " + ValueToHex(param / 256);
    p["Edit4"] = std::to_string(island.fertility.get(c.x, c.y));
    return true;
}

}  // namespace insel
