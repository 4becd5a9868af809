#include "core/document/island_map.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <limits>

namespace insel {

void ThrowCellOutside(std::int64_t x, std::int64_t y, const char* layer) {
    throw BoundsError("cell (" + std::to_string(x) + ", " + std::to_string(y) +
                      ") lies outside the " + layer + " (0..1024)");
}

std::uint32_t EncodeCellFloat(std::int64_t cell) {
    return std::bit_cast<std::uint32_t>(static_cast<float>(cell) + 0.5f);
}

std::int64_t DecodeCellFloat(std::uint32_t bits) {
    const float value = std::bit_cast<float>(bits);
    if (!std::isfinite(value)) return -1;
    // Out-of-range floats would make the conversion undefined; such a mine lies nowhere.
    if (value <= static_cast<float>(std::numeric_limits<std::int32_t>::min()) ||
        value >= static_cast<float>(std::numeric_limits<std::int32_t>::max())) {
        return -1;
    }
    return static_cast<std::int64_t>(value);
}

int IslandMap::CountedBlocks() const {
    const int blocks = std::max<int>(cell_block_count, block_counts_used);
    return std::clamp(blocks, 0, static_cast<int>(block_height_counts.size()));
}

void IslandMap::ClearBlockCounts() {
    for (int b = 0; b < block_counts_used; ++b) {
        block_height_counts[b].fill(0);
        block_fertility_counts[b].fill(0);
    }
    block_counts_used = 0;
}

std::int64_t IslandMap::BlockOf(std::int64_t x, std::int64_t y) const {
    return x / kBlockSide * CellBlocksAlong(record.height) + y / kBlockSide;
}

void IslandMap::RecountBlockCounts() {
    // Every writer of the counts notes how far it wrote, so clearing up to there clears all.
    ClearBlockCounts();
    const int fertility_values = static_cast<int>(block_fertility_counts.front().size());
    const int width = std::min<int>(record.width, kLayerSide);
    const int height_cells = std::min<int>(record.height, kLayerSide);
    int used = 0;
    for (int x = 0; x < width; ++x) {
        const std::uint8_t* heights = height.column(x);
        const std::uint16_t* fertilities = fertility.column(x);
        for (int y = 0; y < height_cells; ++y) {
            const auto block = static_cast<std::size_t>(BlockOf(x, y));
            if (block >= block_height_counts.size()) break;  // further down only larger
            used = std::max(used, static_cast<int>(block) + 1);
            ++block_height_counts[block][heights[y]];
            // Fertility beyond the table is no legend value and is not counted.
            if (fertilities[y] < fertility_values) ++block_fertility_counts[block][fertilities[y]];
        }
    }
    block_counts_used = used;
}

void IslandMap::FreeLists() {
    mines.clear();
    quarry_spots.clear();
    animals.clear();
    objects.clear();
}

void ClearIsland(IslandMap& island) {
    island.height.Clear();
    island.gfx.Clear();
    island.terrain.Clear();
    island.fertility.Clear();
    island.river.Clear();
    island.river_param.Clear();
    island.mark.Clear();
    island.ClearBlockCounts();
    island.series_usage.fill(0);
    island.rotation_angle = 0;
    island.FreeLists();
}

void InitIslandRecord(IslandRecord& record) { record = IslandRecord{}; }

std::int32_t CountMineRecords(const std::vector<MineRecord>& list, bool with_deleted) {
    std::int32_t count = 0;
    for (const auto& record : list) {
        if (with_deleted || !record.deleted) ++count;
    }
    return count;
}

std::int64_t GetValue(const IslandMap& island, std::int64_t x, std::int64_t y, int kind) {
    const IslandRecord& r = island.record;
    switch (kind) {
        case 0:
            return island.height.get(x, y);
        case 1:
            return island.gfx.get(x, y);
        case 2:
            return island.fertility.get(x, y);
        case 3:
            return island.terrain.get(x, y);
        case 4:
            return island.terrain_param.get(x, y);
        case 16:
            return r.width;
        case 17:
            return r.height;
        case 18:
        case 20:
            return r.climate;
        case 19:
            return CountMineRecords(island.mines, false);
        case 21:
            return CountMineRecords(island.quarry_spots, false);
        case 25:
            return island.kontorid_first;
        case 26:
            return island.kontorid_second;
        case 27:
            return r.city_byte;
        case 29:
            return 0;
        case 31:
            return r.info_b;
        case 32:
            return island.river.get(x, y);
        case 33:
            return island.river_param.get(x, y);
        default:
            throw BoundsError("GetValue: no value of kind " + std::to_string(kind));
    }
}

}  // namespace insel
