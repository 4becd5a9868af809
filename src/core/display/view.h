#pragma once
// Which part of the island the 1024 x 512 canvas shows, and the conversions between canvas
// pixels and cells that every tool uses.
#include <cstdint>
#include <optional>

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

struct Editor;

struct CellPoint {
    int x = 0, y = 0;
};

// What a tool frame covers: the cells under its top-left and bottom-right corner pixels and
// its size in cells (the width and height spins).
struct FrameCells {
    int left = 0, top = 0, right = 0, bottom = 0;
    int width = 0, height = 0;
};

// The handlers below return whether they acted; the window repaints, refreshes the legend
// and places the tool frame after those that did.

// Recomputes the view for the current PartIndex. (a, b) is the point on the overview, in its
// pixels, that chose the page; the whole-island view ignores it. Fills part_frame and the six
// scale panels.
bool SetView(Editor& editor, int a, int b);

// Canvas pixel to cell; also leaves the pixel in PixXPanel/PixYPanel.
// Pixels per cell: the zoom in the part view, the whole-island cell size otherwise.
struct CellPixels {
    int width = 0, height = 0;
};
CellPixels CellSize(const ViewState& view);

CellPoint PixelToCell(Editor& editor, int px, int py);
// The canvas pixel where a tool frame for cell (x, y) is placed; none for an island of width 0.
std::optional<CellPoint> CellToPixel(const Editor& editor, int x, int y);
// The cells under a frame given in canvas pixels.
FrameCells ResizePanel(Editor& editor, int left, int top, int width, int height);

// "Voll": the whole island, and the share of water cells in WasserPanel.
bool FullIslandButtonClick(Editor& editor);
// A release over the overview at (x, y) shows the page there.
bool PartPanelMouseUp(Editor& editor, int x, int y);
// A zoom radio with the given cell size (its tag) keeps the page the frame outlines.
bool Zoom1RadioClick(Editor& editor, int zoom_cell_size);

// The arrow buttons move the origin one cell; they return whether it moved (the window
// repaints either way).
bool XOfsetSpinDownClick(Editor& editor);
bool XOfsetSpinUpClick(Editor& editor);
bool YOfsetSpinDownClick(Editor& editor);
bool YOfsetSpinUpClick(Editor& editor);

// Switches an island higher than 512 cells between its top and bottom 512 rows.
bool OversizeButtonClick(Editor& editor);

// After a load or a new island: whole view, heights shown, zoom 16, oversize mode for sides
// beyond 512.
bool ResetView(Editor& editor);

// The status fields that follow the mouse over the canvas. During a height-profile stroke the
// move belongs to the stroke and nothing is shown.
bool TrackMouse(Editor& editor, int px, int py, bool height_profile_stroke = false);

}  // namespace insel
