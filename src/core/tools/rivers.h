#pragma once
// River elements: choosing one from the river list, placing it with its flow direction and
// size, loading a clicked river cell, and removing one or all that are visible.
#include <cstdint>
#include <optional>
#include <string>

namespace insel {

struct Definitions;
struct Editor;
struct IslandMap;
struct ToolState;
struct ViewState;

// A word shown as four hexadecimal digits, low byte first, then two blanks and the decimal
// value in brackets: 35469 gives "8D0A  (35469)". Bits 14 and 15 of an id word are left out
// of the digits but not of the bracket.
std::string RiverIdText(int word);
std::string RiverSizeText(int parameter);

// Reads a size typed as four hexadecimal digits, low byte first ("0030" is 0x3000). What
// follows the four digits after a blank is ignored, so a text loaded from a cell reads back as
// the same size. FormatError naming the field otherwise.
int ParseRiverSize(const std::string& text);

struct RiverChoice {
    int id = 0;
    std::string id_text;    // FlussIDEdit
    std::string size_text;  // FlussWEdit: the item's default size
};
// Item `item` of the river list; FormatError when it has no element number.
RiverChoice ChooseRiverItem(const Definitions& definitions, int item);
// The first river list item with element number `id`, or -1.
int FindRiverItem(const Definitions& definitions, int id);

// What a click on a river cell shows on the page.
struct RiverCell {
    int word = 0;
    int parameter = 0;
    int id = 0;         // without the direction
    int direction = 0;  // 0..3
    std::string id_text;
    std::string size_text;
};

struct RiverToolState {
    std::optional<RiverCell> clicked;
};

// The click chain's look-up: false when (x, y) holds no river element.
bool LoadRiverCellAt(ToolState& tools, const IslandMap& island, int x, int y);

// Places element `id` turned by `direction` quarter turns at (x, y) with the typed size.
void PlaceRiver(IslandMap& island, int x, int y, int id, int direction,
                const std::string& size_text);
// Both river words of the cell back to 0; false when it held nothing.
bool RemoveRiver(IslandMap& island, int x, int y);

// The cells the canvas shows: from the view's origin, the island's size in the whole-island
// view, otherwise as many cells as the 1024 x 512 canvas holds at the zoom.
struct VisibleCells {
    int x0 = 0, y0 = 0, columns = 0, rows = 0;
};
VisibleCells VisibleRiverCells(const ViewState& view, const IslandMap& island);
VisibleCells VisibleRiverCells(int zoom_cell_size, int origin_x, int origin_y);
// Removes the rivers of those cells (cells past the layers are skipped); returns how many.
int RemoveVisibleRivers(IslandMap& island, const VisibleCells& cells);

// As steps of the edit history, named after their buttons.
bool PlaceRiverStep(Editor& editor, int x, int y, int id, int direction,
                    const std::string& size_text);
bool RemoveRiverStep(Editor& editor, int x, int y);
bool RemoveVisibleRiversStep(Editor& editor, const VisibleCells& cells);

}  // namespace insel
