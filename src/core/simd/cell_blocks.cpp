#include "core/simd/cell_blocks.h"

#include <algorithm>
#include <cstring>
#include <type_traits>

#include "core/display/renderer.h"
#include "core/simd/cell_values.h"
#include "core/simd/palette_cells.h"
#include "core/simd/tier.h"

namespace insel::simd {
namespace {

// Tiles of 32 cell rows by 64 columns: a tile's pixels (8 KB) stay in the first-level cache
// while its cells are read down the layers' columns, a cache line of rivers at a time.
constexpr int kStrip = 32;
constexpr int kPitch = 64;
// Columns lie a layer's height apart, further than the processor looks ahead by itself.
constexpr int kAhead = 8;

// What the pixels are looked up in, fetched once per pass.
struct Colours {
    const std::uint32_t* heights;
    const std::uint32_t* fertility;
    std::uint32_t unknown;
};

enum class Rivers { kNone, kAll, kSome };

// Whether none, all or some of the `kRows` river cells from `river` are set, four per word.
template <int kRows>
inline Rivers RiversOf(const std::uint16_t* river) {
    static_assert(kRows % 4 == 0);
    constexpr std::uint64_t kOnes = 0x0001000100010001ull, kHighs = 0x8000800080008000ull;
    std::uint64_t any = 0, unset = 0;
    for (int k = 0; k < kRows; k += 4) {
        std::uint64_t word;
        std::memcpy(&word, river + k, sizeof word);
        any |= word;
        unset |= (word - kOnes) & ~word & kHighs;  // not 0 exactly when some cell is 0
    }
    return any == 0 ? Rivers::kNone : unset == 0 ? Rivers::kAll : Rivers::kSome;
}

// The pixels of `n` (kRows when that is not 0) cells down one column from `cell`, to `out` one
// row apart.
template <int kLayer, bool kOverlays, int kRows>
inline void ColumnPixels(const CellPass& pass, const LayerColumns& s, const Colours& colours,
                         std::size_t cell, int n, std::uint32_t* out) {
    const std::uint32_t* heights = colours.heights;
    const std::uint32_t* fertility = colours.fertility;
    const std::uint32_t unknown = colours.unknown;
    if constexpr (kLayer == 0 && !kOverlays && kRows != 0) {
        // A column without rivers (the rule) or all river needs no test per cell.
        const Rivers rivers = RiversOf<kRows>(s.river + cell);
        if (rivers == Rivers::kNone) {
            const std::uint8_t* height = s.height + cell;
            // Unrolled: three instructions a cell rather than seven.
#if defined(__GNUC__)
#pragma GCC unroll 32
#endif
            for (int r = 0; r < kRows; ++r) out[r * kPitch] = heights[height[r]];
            return;
        }
        if (rivers == Rivers::kAll) {
            for (int r = 0; r < kRows; ++r) out[r * kPitch] = pass.river;
            return;
        }
    }
    if constexpr (kRows != 0) n = kRows;
    for (int r = 0; r < n; ++r, out += kPitch) {
        const std::size_t c = cell + static_cast<std::size_t>(r);
        std::uint32_t pixel;
        if constexpr (kLayer == 0) {
            pixel = s.river[c] != 0 ? pass.river : heights[s.height[c]];
        } else if constexpr (kLayer == 1 || kLayer == 2) {
            const std::uint16_t* values = kLayer == 1 ? s.gfx : s.terrain;
            pixel = 0xFF000000u | static_cast<std::uint32_t>(values[c]) << 8;
        } else if constexpr (kLayer == 3) {
            pixel = fertility[std::min<std::uint16_t>(s.fertility[c], 10)];
        } else {
            pixel = unknown;
        }
        if constexpr (kOverlays) {
            if (pass.highlight_kind == kTerrainHighlight) {
                int v = s.terrain[c];
                if (pass.any_orientation) v &= 0x3FFF;
                if (v == pass.highlight_value) pixel = pass.terrain_highlight;
            } else if (pass.highlight_kind == kGfxSeriesHighlight) {
                if (s.gfx[c] / 256 == pass.highlight_value) pixel = pass.gfx_highlight;
            }
            if (pass.marks && s.mark[c] != 0) pixel = pass.marked;
        }
        *out = pixel;
    }
}

// One row of `count` cells onto `ch` raster rows from `line`, each cell cw pixels wide.
void ExpandRow(std::uint32_t* line, const std::uint32_t* cells, int count, int cw, int ch) {
    const std::size_t width = static_cast<std::size_t>(count) * static_cast<std::size_t>(cw);
    if (cw == 1) {
        std::memcpy(line, cells, width * sizeof *line);
    } else if (cw == 2) {
        for (int c = 0; c < count; ++c) line[2 * c] = line[2 * c + 1] = cells[c];
    } else {
        for (int c = 0; c < count; ++c) std::fill_n(line + c * cw, cw, cells[c]);
    }
    for (int r = 1; r < ch; ++r)
        std::memcpy(line + static_cast<std::size_t>(r) * Raster::kWidth, line,
                    width * sizeof *line);
}

template <int kLayer>
void PrefetchColumn(const LayerColumns& s, std::size_t cell) {
    if constexpr (kLayer == 0) {
        Prefetch(s.height + cell);
        Prefetch(s.river + cell);
        Prefetch(s.river + cell + kStrip - 1);
    } else if constexpr (kLayer == 1 || kLayer == 2) {
        Prefetch((kLayer == 1 ? s.gfx : s.terrain) + cell);
    } else if constexpr (kLayer == 3) {
        Prefetch(s.fertility + cell);
    }
}

template <int kLayer, bool kOverlays>
void PaintStrips(const CellPass& pass, const CellRect& cells, Raster& raster) {
    const LayerColumns layers(pass.island);
    const LayerPixels colour(pass.display_layer);
    const Colours colours{colour.heights(), colour.fertility(), colour(0)};
    alignas(64) std::uint32_t tile[kStrip * kPitch];
    for (int j = cells.j0; j < cells.j1; j += kStrip) {
        const int n = std::min(kStrip, cells.j1 - j);
        for (int i0 = cells.i0; i0 < cells.i1; i0 += kPitch) {
            const int m = std::min(kPitch, cells.i1 - i0);
            for (int c = 0; c < m; ++c) {
                const std::size_t cell =
                    static_cast<std::size_t>(cells.origin_x + i0 + c) * kLayerSide +
                    static_cast<std::size_t>(cells.origin_y + j);
                if (i0 + c + kAhead < cells.i1)
                    PrefetchColumn<kLayer>(layers, cell + kAhead * kLayerSide);
                if (n == kStrip) {
                    ColumnPixels<kLayer, kOverlays, kStrip>(pass, layers, colours, cell, n,
                                                            tile + c);
                } else {
                    ColumnPixels<kLayer, kOverlays, 0>(pass, layers, colours, cell, n, tile + c);
                }
            }
            for (int r = 0; r < n; ++r) {
                std::uint32_t* line = raster.pixels.data() +
                                      static_cast<std::size_t>(j + r) * cells.ch * Raster::kWidth +
                                      static_cast<std::size_t>(i0) * cells.cw;
                ExpandRow(line, tile + r * kPitch, m, cells.cw, cells.ch);
            }
        }
    }
}

template <int kLayer>
void PaintLayer(const CellPass& pass, const CellRect& cells, Raster& raster) {
    const bool overlays = pass.highlight_kind == kTerrainHighlight ||
                          pass.highlight_kind == kGfxSeriesHighlight || pass.marks;
    if (overlays) {
        PaintStrips<kLayer, true>(pass, cells, raster);
    } else {
        PaintStrips<kLayer, false>(pass, cells, raster);
    }
}

}  // namespace

// Tile by tile: the cells are read down the layers' columns, as they lie in memory, into
// pixel rows, which then go to the raster row by row.
CellRect PaintCellBlocksPortable(const CellPass& pass, const CellRect& cells, Raster& raster) {
    if (cells.cw <= 0 || cells.ch <= 0 || cells.i1 <= cells.i0 || cells.j1 <= cells.j0)
        return cells;
    switch (pass.display_layer) {
        case 0:
            PaintLayer<0>(pass, cells, raster);
            break;
        case 1:
            PaintLayer<1>(pass, cells, raster);
            break;
        case 2:
            PaintLayer<2>(pass, cells, raster);
            break;
        case 3:
            PaintLayer<3>(pass, cells, raster);
            break;
        default:
            PaintLayer<-1>(pass, cells, raster);
            break;
    }
    return cells;
}

CellRect PaintCellBlocks(const CellPass& pass, const CellRect& cells, Raster& raster) {
    if (Avx512() && PaintPaletteCellsAvx512(pass, cells, raster)) return cells;
    return PaintCellBlocksPortable(pass, cells, raster);
}

}  // namespace insel::simd
