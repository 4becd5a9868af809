#pragma once
// The tool frame: which tool the active page selects, each tool's own selection rectangle, the
// frame that shows it over the canvas, and what clicks on the canvas and on the frame do.
#include <array>
#include <optional>
#include <string>

namespace insel {

struct Editor;

inline constexpr int kToolModeCount = 13;
inline constexpr int kMineMode = 1;
inline constexpr int kVegetationMode = 2;
inline constexpr int kTileMode = 3;
inline constexpr int kHeightProfileMode = 4;
inline constexpr int kBlockBufferMode = 5;
inline constexpr int kObjectMode = 6;
inline constexpr int kRiverMode = 7;
inline constexpr int kFertilityMode = 8;
inline constexpr int kQuarrySpotMode = 9;

// In island cells.
struct SelectionRect {
    int left = 1, top = 1, width = 1, height = 1;
    bool operator==(const SelectionRect&) const = default;
};

// The cells the block buffer works on, inclusive.
struct BlockRect {
    int left = 0, top = 0, right = 0, bottom = 0;
    int width() const { return right - left + 1; }
    int height() const { return bottom - top + 1; }
    bool operator==(const BlockRect&) const = default;
};

// Where the frame sits over the canvas, in canvas pixels.
struct FramePixels {
    int left = 0, top = 0, width = 0, height = 0;
};

struct ToolFrameState {
    std::array<SelectionRect, kToolModeCount> selection = DefaultSelectionRects();
    // PLeftSpin, PTopSpin, PWidthSpin, PHeightSpin.
    SelectionRect spins;
    bool mine_choice = true;  // mines rather than quarry spots on the mines page
    bool stroke_active = false;
    int pen_size = 2;
    bool frame_drag_active = false;
    bool frame_size_locked = false;  // a block read from a file fixes the frame's size
    int legend_value = -1;           // last clicked legend panel
    BlockRect block;
    FramePixels frame;  // where the window shows ThePanel
    bool frame_shown = false;

    static std::array<SelectionRect, kToolModeCount> DefaultSelectionRects();
};

// The letter the frame shows for a mode (1..12); empty for mode 0.
std::string FrameLetter(int mode);

// The mode a page with `page_tag` selects: the mines page means quarry spots while those are
// chosen.
int PageToolMode(int page_tag, bool mine_choice);

// Switching pages: sets the mode and what depends on it, then shows the frame.
void PageControl1Change(Editor& editor, int page_tag);
// The mines page's two radios: tag 0 mines (1 x 1 frame), 1 quarry spots (4 x 3 frame).
bool RadioButton6Click(Editor& editor, int tag);

// Copies the mode's rectangle into the spins and places the frame; the frame shows from
// mode 1 on.
void ShowToolFrame(Editor& editor);
// Pulls the spins' rectangle back inside the island and puts the frame over its cells.
void PlaceToolFrame(Editor& editor);
// PWidthSpin / PHeightSpin changed.
bool SpinEdit1Change(Editor& editor, bool width, int value);

// A click on the canvas at the cell last shown in the mouse panels: moves the frame there and
// records it as the mode's rectangle. False when there is nothing to click on.
bool FlickerFreePaintBox2Click(Editor& editor);

// Pen strokes of the height-profile page mark a PenSize square in the mark layer. They return
// whether anything needs repainting.
bool FlickerFreePaintBox2MouseDown(Editor& editor, int px, int py);
bool StrokeMouseMove(Editor& editor, int px, int py);
void FlickerFreePaintBox2MouseUp(Editor& editor);

// Dragging the frame's corner: the frame's new size for the mouse at (mx, my) relative to its
// top-left corner, kept on the canvas. Nothing unless a drag runs.
std::optional<FramePixels> ThePanelMouseMove(Editor& editor, int mx, int my);
bool ThePanelMouseDown(Editor& editor, bool left_button);
// Left or middle button up: the frame's cells become the mode's rectangle.
bool StoreFrame(Editor& editor);

// What applying a tool to the frame did.
struct FrameApplyResult {
    bool changed = false;  // cells changed and the canvas, overview and legend need redrawing
    std::string message;   // for the user; nothing was changed
};

// Right button up: applies the mode's action to the frame's cells. `list_value` is the height
// chosen on the height page (modes 2 to 4).
FrameApplyResult ApplyFrame(Editor& editor, int list_value);

}  // namespace insel
