#include "core/display/view.h"

#include <algorithm>
#include <cmath>
#include <string>

#include "core/app/key_notation.h"
#include "core/app/status.h"
#include "core/document/island_map.h"

namespace insel {

CellPixels CellSize(const ViewState& view) {
    if (view.part_index >= 0) return {view.zoom_cell_size, view.zoom_cell_size};
    return {view.cell_width, view.cell_height};
}

namespace {

constexpr int kWholeSide = 512;    // the whole island is scaled into this square
constexpr int kWaterHeights = 10;  // heights 0..9 count as water

int Width(const IslandMap& island) { return island.record.width; }
int Height(const IslandMap& island) { return island.record.height; }

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

void ShowScale(const ViewState& v, Status& status) {
    status.origin_x = std::to_string(v.origin_x);
    status.origin_y = std::to_string(v.origin_y);
    status.cell_width = std::to_string(v.cell_width);
    status.cell_height = std::to_string(v.cell_height);
    status.columns = std::to_string(v.visible_columns);
    status.rows = std::to_string(v.visible_rows);
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

void SetPartView(ViewState& v, const IslandMap& island, int a, int b) {
    const int width = Width(island), height = Height(island);
    const int rows = std::max(1, kWholeSide / ZoomSide(v));
    const int columns = 2 * rows;
    v.cell_width = v.cell_height = 16;

    const int blocks = island.cell_block_count;
    const int per_side = blocks > 0 ? static_cast<int>(std::sqrt(blocks - 0.1) + 1) : 1;
    const int block_pixels = std::max(1, kOverviewSide / per_side);
    v.part_index = std::max(0, (a - 1) / block_pixels * per_side + (b - 1) / block_pixels);

    v.origin_y = PageOrigin(height, b, rows);
    v.origin_x = PageOrigin(width, a, columns);
    v.visible_rows = std::min(rows, height);
    v.visible_columns = std::min(columns, width);

    PartFrame& f = v.part_frame;
    f.width = width > 0 ? std::min(kOverviewSide, v.visible_columns * kOverviewSide / width) : 0;
    f.height = height > 0 ? std::min(kOverviewSide, v.visible_rows * kOverviewSide / height) : 0;
    f.left = width > 0 ? v.origin_x * kOverviewSide / width : 0;
    f.top = height > 0 ? v.origin_y * kOverviewSide / height : 0;
}

}  // namespace

bool SetView(ViewState& view, const IslandMap& island, Status& status, int a, int b) {
    if (!view.island_shown) return false;
    view.part_frame.shown = view.part_index >= 0;
    if (view.part_index < 0) {
        SetWholeView(view, Width(island), Height(island));
    } else {
        SetPartView(view, island, a, b);
    }
    ShowScale(view, status);
    return true;
}

CellPoint PixelToCell(const ViewState& view, const IslandMap& island, Status& status, int px,
                      int py) {
    const CellPoint cell = CellAt(view, Width(island), Height(island), px, py);
    const bool oversize_whole = view.part_index < 0 && view.oversize_mode;
    status.pixel_x = std::to_string(px);
    status.pixel_y = std::to_string(oversize_whole ? cell.y : py);
    return cell;
}

std::optional<CellPoint> CellToPixel(const ViewState& v, const IslandMap& island, int x, int y) {
    const int width = Width(island), height = Height(island);
    if (width == 0 || height == 0) return std::nullopt;
    if (v.part_index >= 0) {
        const int z = ZoomSide(v);
        return CellPoint{(x - v.origin_x) * z + Inset(z), (y - v.origin_y) * z + Inset(z)};
    }
    if (v.oversize_mode) return CellPoint{x - v.origin_x, y - v.origin_y};
    const int sx = WholeCellSide(width), sy = WholeCellSide(height);
    return CellPoint{x * sx + Inset(sx), y * sy + Inset(sy)};
}

FrameCells CellsUnderFrame(const ViewState& view, const IslandMap& island, Status& status, int left,
                           int top, int width, int height) {
    const CellPoint top_left = PixelToCell(view, island, status, left, top);
    const CellPoint bottom_right = PixelToCell(view, island, status, left + width, top + height);
    const CellPoint size = PixelToCell(view, island, status, width, height);
    const CellPoint zero = PixelToCell(view, island, status, 0, 0);
    return {top_left.x,     top_left.y,      bottom_right.x,
            bottom_right.y, size.x - zero.x, size.y - zero.y};
}

bool ShowWholeIsland(ViewState& view, const IslandMap& island, Status& status) {
    if (!view.island_shown) return false;
    view.part_index = -1;
    SetView(view, island, status, 0, 0);

    const int blocks = island.CountedBlocks();
    std::int64_t water = 0;
    for (int b = 0; b < blocks; ++b) {
        for (int h = 0; h < kWaterHeights; ++h) water += island.block_height_counts[b][h];
    }
    const std::int64_t cells = static_cast<std::int64_t>(Width(island)) * Height(island);
    status.water = std::to_string(cells > 0 ? water * 100 / cells : 0) + " %";
    return true;
}

bool ShowPartAt(ViewState& view, const IslandMap& island, Status& status, int x, int y) {
    if (!view.island_shown) return false;
    view.part_index = 0;
    return SetView(view, island, status, x, y);
}

bool SetZoom(ViewState& view, const IslandMap& island, Status& status, int zoom_cell_size) {
    if (zoom_cell_size <= 0) return false;
    view.zoom_cell_size = zoom_cell_size;
    // The frame's corner is the page origin scaled down; SetView counts overview points from 1,
    // so the corner itself would land one page too far up and left.
    return SetView(view, island, status, view.part_frame.left + 1, view.part_frame.top + 1);
}

bool ScrollView(ViewState& v, const IslandMap& island, Status& status, int dx, int dy) {
    if (dx < 0 && v.origin_x > 0) {
        --v.origin_x;
    } else if (dx > 0 && v.origin_x < Width(island) - v.visible_columns) {
        ++v.origin_x;
    } else if (dy < 0 && v.origin_y > 0) {
        --v.origin_y;
    } else if (dy > 0 && v.origin_y < Height(island) - v.visible_rows) {
        ++v.origin_y;
    } else {
        return false;
    }
    if (dx != 0) status.origin_x = std::to_string(v.origin_x);
    if (dy != 0) status.origin_y = std::to_string(v.origin_y);
    return true;
}

bool ToggleOversizeHalf(ViewState& v, const IslandMap& island, Status& status) {
    const int height = Height(island);
    if (height <= kWholeSide) return false;
    v.oversize_offset_y = v.oversize_offset_y == 0 ? height - kWholeSide : 0;
    ShowWholeIsland(v, island, status);
    return true;
}

bool ResetView(ViewState& v, const IslandMap& island, Status& status) {
    v.part_index = -1;
    v.oversize_offset_y = 0;
    v.zoom_cell_size = 16;
    v.oversize_mode = Width(island) > kWholeSide || Height(island) > kWholeSide;
    v.layer = DisplayLayer::Heights;
    return ShowWholeIsland(v, island, status);
}

bool TrackMouse(const ViewState& view, const IslandMap& island, Status& status, int px, int py,
                bool height_profile_stroke) {
    if (!view.island_shown || px < 0 || py < 0) return false;
    const int width = Width(island), height = Height(island);
    const CellPoint c = CellAt(view, width, height, px, py);
    if (c.x >= width || c.y >= height || !Layer<std::uint8_t>::InRange(c.x, c.y)) return false;
    PixelToCell(view, island, status, px, py);
    if (height_profile_stroke) return false;

    status.mouse_x = std::to_string(c.x);
    status.mouse_y = std::to_string(c.y);
    status.mouse_hex_x = ValueToHex(c.x);
    status.mouse_hex_y = ValueToHex(c.y);
    status.cell_height_value = std::to_string(island.height.get(c.x, c.y));
    const int gfx = island.gfx.get(c.x, c.y);
    status.cell_tile = ValueToHex(gfx / 256) + " " + ValueToHex(gfx % 256);
    const int param = island.terrain_param.get(c.x, c.y);
    status.cell_terrain = std::to_string(island.terrain.get(c.x, c.y) & 0x3FFF) + " - " +
                          ValueToHex(param % 256) + " " + ValueToHex(param / 256);
    status.cell_fertility = std::to_string(island.fertility.get(c.x, c.y));
    return true;
}

}  // namespace insel
