#include "core/reports/statistics.h"

#include <algorithm>

#include "core/app/key_notation.h"
#include "core/display/textures.h"
#include "core/island/cities.h"

namespace insel {
namespace {

int Width(const IslandMap& island) { return std::min<int>(island.record.width, kLayerSide); }
int Height(const IslandMap& island) { return std::min<int>(island.record.height, kLayerSide); }

// A 16-bit key low byte first, as the element keys are typed.
std::string LowHighHex(std::int64_t value) {
    return ValueToHex(value & 0xFF) + " " + ValueToHex((value >> 8) & 0xFF);
}

std::string RightAligned(std::int64_t value, std::size_t width) {
    std::string text = std::to_string(value);
    if (text.size() < width) text.insert(0, width - text.size(), ' ');
    return text;
}

std::string ObjectLine(std::int64_t number, const ObjectEntry& object) {
    return RightAligned(number, 3) + "," + RightAligned(object.graphic_id, 6) + "," +
           RightAligned(object.y, 3) + "," + RightAligned(object.x, 3) + "," +
           RightAligned(object.height, 3) + "," + RightAligned(object.width, 3) + "," +
           RightAligned(object.orientation, 4);
}

}  // namespace

void ValueCountList::Add(std::int64_t value, std::int64_t second, std::int64_t times) {
    counts_[{value, second}] += times;
}

std::vector<ValueCountList::Entry> ValueCountList::Entries() const {
    std::vector<Entry> entries;
    entries.reserve(counts_.size());
    for (const auto& [key, count] : counts_) entries.push_back({key.first, key.second, count});
    return entries;
}

ValueCountList CountGfxValues(const IslandMap& island, bool high_byte_only) {
    // Counted per value first: a map insert per cell would dominate on large islands.
    std::vector<std::int64_t> counts(65536, 0);
    const int height = Height(island);
    for (int x = 0; x < Width(island); ++x) {
        const std::uint16_t* column = island.gfx.column(x);
        for (int y = 0; y < height; ++y) ++counts[high_byte_only ? column[y] >> 8 : column[y]];
    }
    ValueCountList list;
    for (std::size_t value = 0; value < counts.size(); ++value) {
        if (counts[value] > 0) list.Add(static_cast<std::int64_t>(value), 0, counts[value]);
    }
    return list;
}

GridRows GfxStatisticsRows(const IslandMap& island, bool high_byte_only) {
    GridRows rows{{"ID", "ID lo", "ID hi", "Anzahl"}};
    for (const auto& entry : CountGfxValues(island, high_byte_only).Entries()) {
        if (high_byte_only) {
            rows.push_back({"* " + ValueToHex(entry.value), "*", std::to_string(entry.value),
                            std::to_string(entry.count)});
        } else {
            const std::int64_t low = entry.value & 0xFF, high = entry.value >> 8;
            rows.push_back({ValueToHex(low) + " " + ValueToHex(high), std::to_string(low),
                            std::to_string(high), std::to_string(entry.count)});
        }
    }
    return rows;
}

ValueCountList CountTerrainValues(const IslandMap& island, bool without_orientation) {
    ValueCountList list;
    const int height = Height(island);
    for (int x = 0; x < Width(island); ++x) {
        const std::uint16_t* terrain = island.terrain.column(x);
        const std::uint16_t* param = island.terrain_param.column(x);
        // Added a run of equal cells at a time: a map insert per cell would dominate, and the
        // sea and the fields are long runs.
        for (int y = 0; y < height;) {
            const std::int64_t value = without_orientation ? (terrain[y] & 0x3FFF) : terrain[y];
            int end = y + 1;
            while (end < height && terrain[end] == terrain[y] && param[end] == param[y]) ++end;
            list.Add(value, param[y], end - y);
            y = end;
        }
    }
    return list;
}

GridRows TerrainStatisticsRows(const IslandMap& island, bool without_orientation) {
    GridRows rows{{"ID", "ID lo", "ID hi", "Orient", "Anzahl", "Wachstum"}};
    for (const auto& entry : CountTerrainValues(island, without_orientation).Entries()) {
        const std::int64_t high = entry.value >> 8;
        rows.push_back({std::to_string(entry.value), std::to_string(entry.value & 0xFF),
                        std::to_string(high % 64), std::to_string(high / 64),
                        std::to_string(entry.count), LowHighHex(entry.second)});
    }
    return rows;
}

const char* StatisticsFileName(StatisticsGrid grid) {
    return grid == StatisticsGrid::Gfx ? "GFX.txt" : "Gelaende.txt";
}

std::vector<std::string> StatisticsFileLines(const GridRows& rows, StatisticsGrid grid) {
    std::vector<std::string> lines{"ID,ID-lobyte,ID-hibite,Orientierung,Anzahl"};
    const std::size_t leading = grid == StatisticsGrid::Gfx ? 4 : 5;
    for (std::size_t r = 1; r < rows.size(); ++r) {
        const auto& row = rows[r];
        std::string line;
        for (std::size_t c = 0; c < leading; ++c) {
            if (c < row.size()) line += row[c];
            line += ',';
        }
        if (grid == StatisticsGrid::Terrain && row.size() > leading) line += row[leading];
        lines.push_back(std::move(line));
    }
    return lines;
}

GridRows ElementPlaceRows(const IslandMap& island, std::int64_t element, bool any_orientation,
                          int orientation) {
    // A typed key that already carries turn bits would never match a cell with them dropped,
    // nor once the chosen orientation is added; only its element part is kept.
    std::int64_t target = element & 0x3FFF;
    if (!any_orientation) target += 256 * 64 * static_cast<std::int64_t>(orientation & 3);
    GridRows rows{{"Growth", "x", "y", "Height"}};
    const int height = Height(island);
    for (int x = 0; x < Width(island); ++x) {
        for (int y = 0; y < height; ++y) {
            const std::int64_t terrain = island.terrain.get(x, y);
            if ((any_orientation ? terrain & 0x3FFF : terrain) != target) continue;
            rows.push_back({LowHighHex(island.terrain_param.get(x, y)), std::to_string(x),
                            std::to_string(y), std::to_string(island.height.get(x, y))});
        }
    }
    return rows;
}

std::string ObjectListFileName(const std::string& island_name) {
    const std::size_t separator = island_name.find_last_of("/\\");
    const std::size_t dot = island_name.rfind('.');
    std::string stem =
        dot != std::string::npos && (separator == std::string::npos || dot > separator)
            ? island_name.substr(0, dot)
            : island_name;
    // Cut the stem, not the result, so that the name keeps its extension.
    const std::string extension = ".txt";
    if (stem.size() + extension.size() > kMaxNameLength)
        stem.resize(kMaxNameLength - extension.size());
    return stem + extension;
}

std::vector<std::string> ObjectListLines(const IslandMap& island, const CityRecord* city) {
    if (city == nullptr || island.objects.empty()) return {};
    std::int64_t min_x = 1024, min_y = 1024;
    for (const auto& object : island.objects) {
        min_x = std::min<std::int64_t>(min_x, object.x);
        min_y = std::min<std::int64_t>(min_y, object.y);
    }
    std::vector<std::string> lines{
        "$ Ofsety," + std::to_string(min_y) + ", Ofsetx," + std::to_string(min_x),
        "$ Nr,    ID,  y,  x, dy, dx, Orientation,  - mit Entry"};
    std::int64_t n = 0;
    for (const auto& building : city->buildings) {
        const auto object = std::find_if(
            island.objects.begin(), island.objects.end(),
            [&](const ObjectEntry& o) { return o.x == building.x && o.y == building.y; });
        if (object != island.objects.end()) lines.push_back(ObjectLine(++n, *object));
    }
    lines.emplace_back("$       ID,  y,  x, dy, dx, Orientation   - ohne Entry");
    n = 0;
    for (const auto& object : island.objects) {
        const bool has_entry =
            std::any_of(city->buildings.begin(), city->buildings.end(),
                        [&](const BuildingEntry& b) { return b.x == object.x && b.y == object.y; });
        if (!has_entry) lines.push_back(ObjectLine(++n, object));
    }
    return lines;
}

SeriesRanking RankSeries(const std::array<std::int32_t, kSeriesCount>& usage, int rows) {
    SeriesRanking ranking;
    int used = 0;
    for (int i = 0; i < kRankedSeriesCount; ++i) {
        ranking.memo.push_back(SeriesCode(i) + "   " + std::to_string(usage[i]));
        if (usage[i] > 0) ++used;
    }
    ranking.memo.push_back("Anzahl: " + std::to_string(used));

    // Descending by count, equal counts by index: exactly the order a stable sort gives.
    std::array<int, kRankedSeriesCount> order{};
    for (int i = 0; i < kRankedSeriesCount; ++i) order[i] = i;
    std::stable_sort(order.begin(), order.end(), [&](int a, int b) { return usage[a] > usage[b]; });
    const int ranks = std::clamp(rows, 0, kRankedSeriesCount);

    ranking.total = usage[kSeriesCount - 1];
    ranking.memo.push_back("Total " + std::to_string(ranking.total));
    // Rounded half up in integers; counts and total are not negative.
    const auto percent = [&](std::int64_t count) {
        return static_cast<int>((count * 200 + ranking.total) / (2 * ranking.total));
    };
    std::int64_t ranked_sum = 0;
    for (int k = 0; k < ranks; ++k) {
        SeriesRank rank{order[k], usage[order[k]], std::nullopt};
        ranked_sum += rank.count;
        if (ranking.total > 0) rank.share_percent = percent(rank.count);
        ranking.ranks.push_back(rank);
    }
    if (ranking.total > 0) ranking.total_percent = percent(ranked_sum);
    return ranking;
}

}  // namespace insel
