#pragma once
// Which part of the island the 1024 x 512 canvas shows, and the conversions between canvas
// pixels and cells that every tool uses.
#include <cstdint>

namespace insel {

inline constexpr int kCanvasWidth = 1024;
inline constexpr int kCanvasHeight = 512;
inline constexpr int kOverviewSide = 128;

struct ViewState {
    std::int32_t part_index = -1;      // -1 whole island; else the cell block the page starts in
    std::int32_t zoom_cell_size = 16;  // pixels per cell in the part view (42, 32, 16 or 8)
    std::int32_t cell_width = 0;       // pixels per cell in the whole-island view
    std::int32_t cell_height = 0;
    std::int32_t origin_x = 0, origin_y = 0;  // first visible cell
    std::int32_t visible_columns = 0, visible_rows = 0;
    bool oversize_mode = false;  // one-pixel cells for islands higher than 512 cells
    std::int32_t oversize_offset_y = 0;
};

// The overview's frame around the visible page, in overview pixels.
struct PartFrame {
    bool shown = false;
    int left = 2, top = 2, width = 12, height = 12;
};

}  // namespace insel
