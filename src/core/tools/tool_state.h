#pragma once
// The tool state: which tool the active page selects, each tool's own selection rectangle,
// the frame that shows it over the canvas, and what a stroke or drag in progress holds.
#include <array>
#include <cstddef>
#include <string>
#include <vector>

#include "core/tools/block_buffer.h"
#include "core/tools/ground_tiles.h"
#include "core/tools/heights.h"
#include "core/tools/mines.h"
#include "core/tools/objects.h"
#include "core/tools/rivers.h"
#include "core/tools/terrain.h"

namespace insel {

// The tool a page selects; the numbers are the pages' tags.
enum class ToolMode : int {
    None = 0,
    Mine = 1,
    Vegetation = 2,
    Tile = 3,
    HeightProfile = 4,
    BlockBuffer = 5,
    Object = 6,
    River = 7,
    Fertility = 8,
    QuarrySpot = 9,
};
inline constexpr int kToolModeCount = 13;

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

struct ToolState {
    ToolMode mode = ToolMode::None;
    bool height_profile_page = false;
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
    HeightToolState heights;
    TileField tiles;                  // the ground-tiles page's field
    BlockBuffer block_buffer;         // the copy page's block
    std::vector<ListingRow> listing;  // rows of the last series or element listing
    // The vegetation and river pages: what a click found.
    TerrainToolState terrain;
    RiverToolState river;
    MinesState mines;    // the selected mine and quarry spot, the placement choices
    ObjectTool objects;  // the chosen building and the selected object

    SelectionRect& Selection(ToolMode m) { return selection[static_cast<std::size_t>(m)]; }
    const SelectionRect& Selection(ToolMode m) const {
        return selection[static_cast<std::size_t>(m)];
    }
    // What a new island starts with: no tool, nothing in progress.
    void ResetForNewIsland();

    static std::array<SelectionRect, kToolModeCount> DefaultSelectionRects();
};

}  // namespace insel
