#include "core/dialogs/new_island.h"

#include <algorithm>
#include <charconv>

#include "core/app/editor.h"

namespace insel {
namespace {

bool ParseInt(std::string_view text, long& value) {
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    return !text.empty() && ec == std::errc() && end == text.data() + text.size();
}

}  // namespace

std::string LimitOwnSizeText(std::string_view text) {
    long value = 0;
    if (!text.empty() && ParseInt(text, value) && value > kMaxIslandSize) return "400";
    return std::string(text);
}

int ChooseNewIslandSize(int radio_size, std::string_view own_size_text) {
    long size = radio_size;
    if (size == 0) {
        long n = 0;
        if (!ParseInt(own_size_text, n)) {
            size = 64;
        } else {
            if (n < 0) n = 64;
            size = std::min<long>(n, 1L << 20) / 8 * 8;
        }
    }
    return static_cast<int>(std::min<long>(size, kMaxIslandSize));
}

void NewIsland(Editor& editor, int size, int climate) {
    IslandMap& island = editor.island;
    const int per_side = CellBlocksAlong(size);
    island.cell_block_count = per_side * per_side;
    editor.oversize_allowed = size > 512;
    editor.SetPanel("xSizePanel", size);
    editor.SetPanel("ySizePanel", size);
    editor.panels["FSizePanel"] = "0";
    editor.SetPanel("StufenPanel", island.cell_block_count);
    editor.panels["MinenBergePanel"] = "0";
    editor.panels["MinenOrtePanel"] = "0";
    editor.panels["TierePanel"] = "0";
    editor.panels["WasserPanel"] = "100";
    editor.island_name_panel = "Neu";

    // The lists and cities belonged to the file the old island came from; a city file written
    // now must not carry them onto the new island.
    editor.cities.Clear();
    editor.island_list.clear();
    editor.city_list.clear();

    InitIslandRecord(island.record);
    island.record.buffer = -1;  // no file behind it
    island.record.width = static_cast<std::uint16_t>(size);
    island.record.height = static_cast<std::uint16_t>(size);
    island.record.climate = climate;
    // The cleared cells are all water of fertility 10; counted, so that the water share and
    // the legend describe the new island.
    island.RecountBlockCounts();
    editor.updating = false;
    editor.island_shown = true;
    editor.island_loaded = true;
    editor.tool_mode = 0;
}

}  // namespace insel
