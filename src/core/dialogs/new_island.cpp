#include "core/dialogs/new_island.h"

#include <algorithm>
#include <charconv>

#include "core/app/status.h"
#include "core/document/document.h"

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

void NewIsland(Document& doc, Status& status, int size, int climate) {
    IslandMap& island = doc.island;
    const int per_side = CellBlocksAlong(size);
    island.cell_block_count = per_side * per_side;
    status.width = status.height = std::to_string(size);
    status.file_size = "0";
    status.cell_blocks = std::to_string(island.cell_block_count);
    status.mines = "0";
    status.quarry_spots = "0";
    status.animals = "0";
    status.water = "100";
    doc.file_name = "Neu";
    status.island_name = doc.file_name;

    // The lists and cities belonged to the file the old island came from; a city file written
    // now must not carry them onto the new island.
    doc.cities.Clear();
    doc.island_list.clear();
    doc.city_list.clear();

    InitIslandRecord(island.record);
    island.record.buffer = -1;  // no file behind it
    island.record.width = static_cast<std::uint16_t>(size);
    island.record.height = static_cast<std::uint16_t>(size);
    island.record.climate = climate;
    // The cleared cells are all water of fertility 10; counted, so that the water share and
    // the legend describe the new island.
    island.RecountBlockCounts();
    doc.loaded = true;
}

}  // namespace insel
