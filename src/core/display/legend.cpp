#include "core/display/legend.h"

#include <algorithm>
#include <cstdint>
#include <vector>

#include "core/document/island_map.h"

namespace insel {
namespace {

constexpr int kHeightValues = 256;
constexpr int kLastBandedHeight = 240;  // upper bound of panel 53

// Cells with `value` in block `block`, or in all blocks when `block` is negative.
template <std::size_t N>
std::int64_t CountCells(const std::vector<std::array<std::int32_t, N>>& counts, int blocks,
                        int block, int value) {
    if (block >= 0) return block < blocks ? counts[block][value] : 0;
    std::int64_t n = 0;
    for (int b = 0; b < blocks; ++b) n += counts[b][value];
    return n;
}

void Show(LegendEntry& entry, Colour colour, int caption) {
    entry.shown = true;
    entry.colour = colour;
    entry.caption = std::to_string(caption);
}

void ShowHeightBands(Legend& legend) {
    for (int i = 0; i < kLegendPanelCount; ++i) Show(legend[i], kHeightColours[i], kHeightBands[i]);
}

void ShowFertilityValues(Legend& legend) {
    for (int v = 0; v < kFertilityColourCount; ++v) Show(legend[v], kFertilityColours[v], v);
}

}  // namespace

int LegendPanelOfHeight(int height) {
    if (height >= 255) return 0;
    if (height > kLastBandedHeight) return -1;
    return HeightBand(height);
}

Legend FullIslandLegend(const IslandMap& island, DisplayLayer layer) {
    const int blocks = island.CountedBlocks();
    Legend legend;
    if (layer == DisplayLayer::Heights) ShowHeightBands(legend);
    if (layer == DisplayLayer::Fertility) {
        ShowFertilityValues(legend);
        for (int v = 0; v < kFertilityColourCount; ++v) {
            const std::int64_t n = CountCells(island.block_fertility_counts, blocks, -1, v);
            if (n > 0) legend[v].count = std::to_string(n);
        }
    } else {
        for (int v = 0; v < kHeightValues; ++v) {
            const std::int64_t n = CountCells(island.block_height_counts, blocks, -1, v);
            const int panel = LegendPanelOfHeight(v);
            if (n <= 0 || panel < 0) continue;
            Show(legend[panel], kHeightColours[panel], v);
            legend[panel].count = std::to_string(n);
        }
    }
    return legend;
}

Legend ViewLegend(const IslandMap& island, const ViewState& view) {
    const int blocks = island.CountedBlocks();
    const int block = view.part_index < 0 ? -1 : view.part_index;
    Legend legend;
    if (view.layer == DisplayLayer::Heights) {
        ShowHeightBands(legend);
        for (int h = 0; h <= kLastBandedHeight; ++h) {
            const std::int64_t n = CountCells(island.block_height_counts, blocks, block, h);
            if (n > 0) legend[HeightBand(h)].count = std::to_string(n);
        }
    } else if (view.layer == DisplayLayer::Fertility) {
        ShowFertilityValues(legend);
        for (int v = 0; v < kFertilityColourCount; ++v) {
            const std::int64_t n = CountCells(island.block_fertility_counts, blocks, block, v);
            if (n > 0) legend[v].count = std::to_string(n);
        }
    }
    return legend;
}

}  // namespace insel
