#include "core/tools/rivers.h"

#include <algorithm>
#include <cctype>

#include "core/app/definitions.h"
#include "core/app/editor.h"
#include "core/app/key_notation.h"
#include "core/display/view.h"
#include "core/document/island_map.h"
#include "core/errors.h"
#include "core/tools/terrain.h"
#include "core/tools/tool_state.h"

namespace insel {
namespace {

constexpr int kCanvasColumns = 1024, kCanvasRows = 512;

std::string WordText(int digits_value, int shown_value) {
    return ValueToHex(digits_value & 0xFF) + ValueToHex((digits_value >> 8) & 0xFF) + "  (" +
           std::to_string(shown_value) + ")";
}

}  // namespace

std::string RiverIdText(int word) { return WordText(word & kTerrainIdMask, word); }

std::string RiverSizeText(int parameter) { return WordText(parameter, parameter); }

int ParseRiverSize(const std::string& text) {
    const bool four_digits =
        text.size() >= 4 && std::all_of(text.begin(), text.begin() + 4,
                                        [](unsigned char c) { return std::isxdigit(c) != 0; });
    const bool rest_apart = text.size() == 4 || text[4] == ' ';
    if (!four_digits || !rest_apart) {
        throw FormatError("Size: \"" + text + "\" is not four hexadecimal digits");
    }
    return static_cast<int>(HexToValue(2, text.substr(0, 4)));
}

RiverChoice ChooseRiverItem(const Definitions& definitions, int item) {
    if (item < 0 || static_cast<std::size_t>(item) >= definitions.river_items.size()) {
        throw BoundsError("river list item " + std::to_string(item) + " does not exist");
    }
    const std::string& line = definitions.river_items[static_cast<std::size_t>(item)];
    const auto id = ParseDecimal(ItemField(line, 0));
    if (!id || *id < 0 || *id > kMaxTerrainId)
        throw FormatError("river list item \"" + line + "\" has no element number");
    RiverChoice choice;
    choice.id = static_cast<int>(*id);
    choice.id_text = RiverIdText(choice.id);
    choice.size_text = ItemField(line, 1);
    return choice;
}

int FindRiverItem(const Definitions& definitions, int id) {
    for (std::size_t i = 0; i < definitions.river_items.size(); ++i) {
        if (ParseDecimal(ItemField(definitions.river_items[i], 0)) == id)
            return static_cast<int>(i);
    }
    return -1;
}

bool LoadRiverCellAt(ToolState& tools, const IslandMap& island, int x, int y) {
    const int word = island.river.get(x, y);
    if (word == 0) return false;
    RiverCell cell;
    cell.word = word;
    cell.parameter = island.river_param.get(x, y);
    cell.id = TerrainId(word);
    cell.direction = TerrainOrientation(word);
    cell.id_text = RiverIdText(word);
    cell.size_text = RiverSizeText(cell.parameter);
    tools.river.clicked = cell;
    return true;
}

void PlaceRiver(IslandMap& island, int x, int y, int id, int direction,
                const std::string& size_text) {
    if (id < 0 || id > kMaxTerrainId || direction < 0 || direction > 3) {
        throw BoundsError("river element " + std::to_string(id) + " with direction " +
                          std::to_string(direction) + " does not fit a river cell");
    }
    // Read before anything is written, so a bad size changes nothing.
    const int parameter = ParseRiverSize(size_text);
    island.river.set(x, y, static_cast<std::uint16_t>(id + kOrientationUnit * direction));
    island.river_param.set(x, y, static_cast<std::uint16_t>(parameter));
}

bool RemoveRiver(IslandMap& island, int x, int y) {
    const bool held = island.river.get(x, y) != 0 || island.river_param.get(x, y) != 0;
    if (!held) return false;
    island.river.set(x, y, 0);
    island.river_param.set(x, y, 0);
    return true;
}

VisibleCells VisibleRiverCells(const ViewState& view, const IslandMap& island) {
    if (view.part_index == -1) {
        return {view.origin_x, view.origin_y, island.record.width, island.record.height};
    }
    return VisibleRiverCells(view.zoom_cell_size, view.origin_x, view.origin_y);
}

VisibleCells VisibleRiverCells(int zoom_cell_size, int origin_x, int origin_y) {
    const int zoom = std::max(zoom_cell_size, 1);
    return {origin_x, origin_y, kCanvasColumns / zoom, kCanvasRows / zoom};
}

int RemoveVisibleRivers(IslandMap& island, const VisibleCells& cells) {
    const int x_end = std::min(cells.x0 + cells.columns, kLayerSide);
    const int y_end = std::min(cells.y0 + cells.rows, kLayerSide);
    int removed = 0;
    for (int x = std::max(cells.x0, 0); x < x_end; ++x) {
        for (int y = std::max(cells.y0, 0); y < y_end; ++y) {
            if (RemoveRiver(island, x, y)) ++removed;
        }
    }
    return removed;
}

bool PlaceRiverStep(Editor& editor, int x, int y, int id, int direction,
                    const std::string& size_text) {
    return editor.Step("Einfügen / add",
                       [&] { PlaceRiver(editor.doc.island, x, y, id, direction, size_text); });
}

bool RemoveRiverStep(Editor& editor, int x, int y) {
    return editor.Step("Entfernen / Remove", [&] { RemoveRiver(editor.doc.island, x, y); });
}

bool RemoveVisibleRiversStep(Editor& editor, const VisibleCells& cells) {
    return editor.Step("Entfernen / Remove",
                       [&] { RemoveVisibleRivers(editor.doc.island, cells); });
}

}  // namespace insel
