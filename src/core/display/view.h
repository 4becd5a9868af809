#pragma once
// Which part of the island the 1024 x 512 canvas shows, and the conversions between canvas
// pixels and cells that every tool uses.
#include <cstdint>
#include <optional>

namespace insel {

struct IslandMap;
struct Status;

inline constexpr int kCanvasWidth = 1024;
inline constexpr int kCanvasHeight = 512;
inline constexpr int kOverviewSide = 128;

// What the map shows of each cell; the numbers are the radio tags.
enum class DisplayLayer : int { Heights = 0, GraphicTiles = 1, Vegetation = 2, Fertility = 3 };

// The overview's frame around the visible page, in overview pixels.
struct PartFrame {
    bool shown = false;
    int left = 2, top = 2, width = 12, height = 12;
};

struct ViewState {
    bool island_shown = false;         // an island is on the canvas
    std::int32_t part_index = -1;      // -1 whole island; else the cell block the page starts in
    std::int32_t zoom_cell_size = 16;  // pixels per cell in the part view (42, 32, 16 or 8)
    std::int32_t cell_width = 0;       // pixels per cell in the whole-island view
    std::int32_t cell_height = 0;
    std::int32_t origin_x = 0, origin_y = 0;  // first visible cell
    std::int32_t visible_columns = 0, visible_rows = 0;
    bool oversize_mode = false;  // one-pixel cells for islands higher than 512 cells
    std::int32_t oversize_offset_y = 0;
    PartFrame part_frame;
    DisplayLayer layer = DisplayLayer::Heights;
};

struct CellPoint {
    int x = 0, y = 0;
};

// What a tool frame covers: the cells under its top-left and bottom-right corner pixels and
// its size in cells (the width and height spins).
struct FrameCells {
    int left = 0, top = 0, right = 0, bottom = 0;
    int width = 0, height = 0;
};

// The operations below return whether they acted; the window repaints, refreshes the legend
// and places the tool frame after those that did. Those that change the view show its origin,
// scale and size in the status.

// Recomputes the view for the current part_index. (a, b) is the point on the overview, in its
// pixels, that chose the page; the whole-island view ignores it. Fills part_frame.
bool SetView(ViewState& view, const IslandMap& island, Status& status, int a, int b);

// Pixels per cell: the zoom in the part view, the whole-island cell size otherwise.
struct CellPixels {
    int width = 0, height = 0;
};
CellPixels CellSize(const ViewState& view);

// Canvas pixel to cell; also shows the pixel in the status (pixel_x, pixel_y).
CellPoint PixelToCell(const ViewState& view, const IslandMap& island, Status& status, int px,
                      int py);
// The canvas pixel where a tool frame for cell (x, y) is placed; none for an island of width 0.
std::optional<CellPoint> CellToPixel(const ViewState& view, const IslandMap& island, int x, int y);
// The cells under a frame given in canvas pixels.
FrameCells CellsUnderFrame(const ViewState& view, const IslandMap& island, Status& status, int left,
                           int top, int width, int height);

// The whole island, and the share of water cells in the status.
bool ShowWholeIsland(ViewState& view, const IslandMap& island, Status& status);
// The page around overview point (x, y).
bool ShowPartAt(ViewState& view, const IslandMap& island, Status& status, int x, int y);
// A zoom of `zoom_cell_size` pixels per cell that keeps the page the frame outlines.
bool SetZoom(ViewState& view, const IslandMap& island, Status& status, int zoom_cell_size);

// Moves the origin one cell left (dx -1), right (dx 1), up (dy -1) or down (dy 1); false
// when it is at the island's edge already.
bool ScrollView(ViewState& view, const IslandMap& island, Status& status, int dx, int dy);

// Switches an island higher than 512 cells between its top and bottom 512 rows.
bool ToggleOversizeHalf(ViewState& view, const IslandMap& island, Status& status);

// After a load or a new island: whole view, heights shown, zoom 16, oversize mode for sides
// beyond 512.
bool ResetView(ViewState& view, const IslandMap& island, Status& status);

// The status fields that follow the mouse over the canvas. During a height-profile stroke the
// move belongs to the stroke and nothing is shown.
bool TrackMouse(const ViewState& view, const IslandMap& island, Status& status, int px, int py,
                bool height_profile_stroke = false);

}  // namespace insel
