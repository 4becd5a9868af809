#pragma once
// The tool frame over the canvas: which tool a page selects, where the frame sits, and what
// clicks on the canvas and on the frame do.
#include <optional>
#include <string>

#include "core/display/view.h"
#include "core/tools/tool_state.h"

namespace insel {

struct IslandMap;
struct Status;
struct ViewState;

// The letter the frame shows for a mode (1..12); empty for mode 0.
std::string FrameLetter(ToolMode mode);

// The mode a page with `page_tag` selects: the mines page means quarry spots while those are
// chosen.
ToolMode PageToolMode(int page_tag, bool mine_choice);

// The tool of the page with `page_tag` becomes the mode; shows the frame for it. The
// height-profile page starts with an empty mark layer.
void SetToolModeForPage(ToolState& tools, const ViewState& view, IslandMap& island, int page_tag);
// The mines page's choice: mines (1 x 1 frame) or quarry spots (4 x 3 frame).
bool SetMineChoice(ToolState& tools, const ViewState& view, const IslandMap& island, bool mines);

// Copies the mode's rectangle into the spins and places the frame; the frame shows from
// mode 1 on.
void ShowToolFrame(ToolState& tools, const ViewState& view, const IslandMap& island);
// Pulls the spins' rectangle back inside the island and puts the frame over its cells.
void PlaceToolFrame(ToolState& tools, const ViewState& view, const IslandMap& island);
// The frame's width (or height) in cells, for the spins and the mode's rectangle.
bool ResizeToolFrame(ToolState& tools, const ViewState& view, const IslandMap& island, bool width,
                     int value);

// Moves the frame to the cell last shown in the mouse fields of the status and records it as
// the mode's rectangle. Returns that cell; nothing when there is nothing to click on.
std::optional<CellPoint> MoveToolFrameToMouse(ToolState& tools, const ViewState& view,
                                              const IslandMap& island, Status& status);

// Pen strokes of the height-profile page mark a PenSize square in the mark layer. They return
// whether anything needs repainting.
bool BeginPenStroke(ToolState& tools, const ViewState& view, IslandMap& island, Status& status,
                    int px, int py);
bool ContinuePenStroke(const ToolState& tools, const ViewState& view, IslandMap& island,
                       Status& status, int px, int py);
void EndPenStroke(ToolState& tools);
// Tracing on the bitmap over the canvas marks the one cell under (px, py), if it is on the
// island; false when it is not.
bool MarkTracedCell(const ViewState& view, IslandMap& island, Status& status, int px, int py);

// Dragging the frame's corner (left button, on the pages whose frame can be sized that way).
bool BeginFrameDrag(ToolState& tools, const ViewState& view, bool left_button);
// The frame's new size for the mouse at (mx, my) relative to its top-left corner, kept on the
// canvas. Nothing unless a drag runs.
std::optional<FramePixels> DragFrameCorner(ToolState& tools, const ViewState& view, int mx, int my);
// Left or middle button up: the frame's cells become the mode's rectangle.
bool StoreFrame(ToolState& tools, const ViewState& view, const IslandMap& island, Status& status);

// What applying a tool to the frame did.
struct FrameApplyResult {
    bool changed = false;  // cells changed and the canvas, overview and legend need redrawing
    std::string message;   // for the user; nothing was changed
};

// Right button up: applies the mode's action to the cells under the frame. `list_value` is the
// height chosen on the height page (modes 2 to 4); the city list paints the legend value. Run it
// as a step of the edit history, which keeps the block counts in step with the cells.
FrameApplyResult ApplyFrame(ToolState& tools, ViewState& view, IslandMap& island, Status& status,
                            int list_value);
// The same on the cells of `rect`: mode 2 clears the terrain element at its top-left cell, 4
// fills it with the height `value`, 8 with the fertility `value` (the legend panel's number; a
// negative one means none was chosen and is said, one above 10 is no fertility and does
// nothing); 7 does nothing. The block buffer's rectangle becomes `rect`. A rectangle reaching
// past the layers throws before anything is written.
FrameApplyResult ApplyFrameCells(ToolState& tools, IslandMap& island, ToolMode mode,
                                 const BlockRect& rect, int value);

}  // namespace insel
