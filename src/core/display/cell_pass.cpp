#include "core/display/cell_pass.h"

#include <algorithm>
#include <cstring>
#include <type_traits>

#include "core/cpu_features.h"
#include "core/display/colours.h"
#include "core/display/palette_pass.h"
#include "core/display/renderer.h"
#include "core/display/view.h"

#if defined(__x86_64__) && defined(__GNUC__)
#include <immintrin.h>
#define INSEL_CELL_PASS_AVX2 1
#endif

namespace insel {

namespace {

template <int kLayer, int kCount>
const std::array<std::uint32_t, kCount>& PixelTable() {
    static const std::array<std::uint32_t, kCount> table = [] {
        std::array<std::uint32_t, kCount> pixels{};
        for (int v = 0; v < kCount; ++v)
            pixels[static_cast<std::size_t>(v)] = ToPixel(CellColour(kLayer, v));
        return pixels;
    }();
    return table;
}

}  // namespace

LayerPixels::LayerPixels(int display_layer)
    : layer_(display_layer),
      heights_(PixelTable<0, 256>().data()),
      fertility_(PixelTable<3, 11>().data()) {}

std::uint32_t LayerPixels::operator()(int value) const {
    switch (layer_) {
        case 0:
            return heights_[static_cast<std::size_t>(std::clamp(value, 0, 255))];
        case 1:
        case 2:
            // Red the high byte, green the low byte: the value itself, moved up one byte.
            return 0xFF000000u | ((static_cast<std::uint32_t>(value) & 0xFFFFu) << 8);
        case 3:
            return fertility_[static_cast<std::size_t>(std::clamp(value, 0, 10))];
        default:
            return ToPixel(kUnknownLayerColour);
    }
}

namespace {

// Pixel size of a cell and the cells that can be drawn.
struct Geometry {
    explicit Geometry(const ViewState& view)
        : view(view), cw(CellSize(view).width), ch(CellSize(view).height) {}
    const ViewState& view;
    int cw = 0, ch = 0;
};

std::uint32_t CellPixel(const CellPass& pass, const LayerPixels& colour, int x, int y) {
    const IslandMap& island = pass.island;
    std::uint32_t pixel;
    switch (pass.display_layer) {
        case 0:
            pixel = island.river.get(x, y) != 0 ? pass.river : colour(island.height.get(x, y));
            break;
        case 1:
            pixel = colour(island.gfx.get(x, y));
            break;
        case 2:
            pixel = colour(island.terrain.get(x, y));
            break;
        case 3:
            pixel = colour(island.fertility.get(x, y));
            break;
        default:
            pixel = colour(island.height.get(x, y));
            break;
    }
    if (pass.highlight_kind == kTerrainHighlight) {
        int v = island.terrain.get(x, y);
        if (pass.any_orientation) v &= 0x3FFF;
        if (v == pass.highlight_value) pixel = pass.terrain_highlight;
    } else if (pass.highlight_kind == kGfxSeriesHighlight) {
        if (island.gfx.get(x, y) / 256 == pass.highlight_value) pixel = pass.gfx_highlight;
    }
    if (pass.marks && island.mark.get(x, y) != 0) pixel = pass.marked;
    return pixel;
}

// One cell, clipped to the raster; cells outside the layers are not drawn.
void PaintCell(const CellPass& pass, const LayerPixels& colour, const Geometry& g, int i, int j,
               Raster& raster) {
    const int x = g.view.origin_x + i, y = g.view.origin_y + j;
    if (!Layer<std::uint8_t>::InRange(x, y)) return;
    raster.FillRect(i * g.cw, j * g.ch, (i + 1) * g.cw, (j + 1) * g.ch,
                    CellPixel(pass, colour, x, y));
}

// Visible cells [i0, i1) x [j0, j1) that lie wholly in the raster and in the layers.
struct CellRange {
    int i0 = 0, i1 = 0, j0 = 0, j1 = 0;
};

CellRange WholeCells(const Geometry& g) {
    const ViewState& v = g.view;
    CellRange r;
    r.i0 = std::max(0, -v.origin_x);
    r.j0 = std::max(0, -v.origin_y);
    r.i1 = std::min({v.visible_columns, Raster::kWidth / g.cw, kLayerSide - v.origin_x});
    r.j1 = std::min({v.visible_rows, Raster::kHeight / g.ch, kLayerSide - v.origin_y});
    if (r.i1 < r.i0) r.i1 = r.i0;
    if (r.j1 < r.j0) r.j1 = r.j0;
    return r;
}

#ifdef INSEL_CELL_PASS_AVX2

#define INSEL_AVX2 __attribute__((target("avx2"), always_inline)) inline

INSEL_AVX2 __m256i Load8Bytes(const std::uint8_t* p) {
    return _mm256_cvtepu8_epi32(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(p)));
}

INSEL_AVX2 __m256i Load8Words(const std::uint16_t* p) {
    return _mm256_cvtepu16_epi32(_mm_loadu_si128(reinterpret_cast<const __m128i*>(p)));
}

INSEL_AVX2 __m256i WithOverlays(const CellPass& pass, const LayerColumns& layers, std::size_t cell,
                                __m256i pixels);

// Pixels of the cells (x, y) .. (x, y + 7): one column of a block, as the layers hold it.
// `cell` is the index of (x, y) in every layer.
template <int kLayer, bool kOverlays>
INSEL_AVX2 __m256i ColumnPixels(const CellPass& pass, const LayerColumns& layers,
                                const LayerPixels& colour, std::size_t cell) {
    const __m256i zero = _mm256_setzero_si256();
    __m256i pixels;
    if constexpr (kLayer == 0) {
        const __m256i heights = Load8Bytes(layers.height + cell);
        pixels = _mm256_i32gather_epi32(reinterpret_cast<const int*>(colour.heights()), heights, 4);
        const __m256i dry = _mm256_cmpeq_epi32(Load8Words(layers.river + cell), zero);
        pixels = _mm256_blendv_epi8(_mm256_set1_epi32(static_cast<int>(pass.river)), pixels, dry);
    } else if constexpr (kLayer == 1 || kLayer == 2) {
        const std::uint16_t* values = kLayer == 1 ? layers.gfx : layers.terrain;
        pixels = _mm256_or_si256(_mm256_slli_epi32(Load8Words(values + cell), 8),
                                 _mm256_set1_epi32(static_cast<int>(0xFF000000u)));
    } else if constexpr (kLayer == 3) {
        const __m256i values =
            _mm256_min_epu32(Load8Words(layers.fertility + cell), _mm256_set1_epi32(10));
        pixels =
            _mm256_i32gather_epi32(reinterpret_cast<const int*>(colour.fertility()), values, 4);
    } else {
        pixels = _mm256_set1_epi32(static_cast<int>(colour(0)));
    }
    return kOverlays ? WithOverlays(pass, layers, cell, pixels) : pixels;
}

// The highlights and marks over the pixels of the cells `cell` .. `cell` + 7 of one column.
INSEL_AVX2 __m256i WithOverlays(const CellPass& pass, const LayerColumns& layers, std::size_t cell,
                                __m256i pixels) {
    const __m256i zero = _mm256_setzero_si256();
    if (pass.highlight_kind == kTerrainHighlight) {
        __m256i v = Load8Words(layers.terrain + cell);
        if (pass.any_orientation) v = _mm256_and_si256(v, _mm256_set1_epi32(0x3FFF));
        const __m256i hit = _mm256_cmpeq_epi32(v, _mm256_set1_epi32(pass.highlight_value));
        pixels = _mm256_blendv_epi8(
            pixels, _mm256_set1_epi32(static_cast<int>(pass.terrain_highlight)), hit);
    } else if (pass.highlight_kind == kGfxSeriesHighlight) {
        const __m256i series = _mm256_srli_epi32(Load8Words(layers.gfx + cell), 8);
        const __m256i hit = _mm256_cmpeq_epi32(series, _mm256_set1_epi32(pass.highlight_value));
        pixels = _mm256_blendv_epi8(pixels, _mm256_set1_epi32(static_cast<int>(pass.gfx_highlight)),
                                    hit);
    }
    if (pass.marks) {
        const __m256i unmarked = _mm256_cmpeq_epi32(Load8Bytes(layers.mark + cell), zero);
        pixels =
            _mm256_blendv_epi8(_mm256_set1_epi32(static_cast<int>(pass.marked)), pixels, unmarked);
    }
    return pixels;
}

// Columns of a block in, rows out.
INSEL_AVX2 void Transpose8x8(__m256i r[8]) {
    const __m256i t0 = _mm256_unpacklo_epi32(r[0], r[1]), t1 = _mm256_unpackhi_epi32(r[0], r[1]);
    const __m256i t2 = _mm256_unpacklo_epi32(r[2], r[3]), t3 = _mm256_unpackhi_epi32(r[2], r[3]);
    const __m256i t4 = _mm256_unpacklo_epi32(r[4], r[5]), t5 = _mm256_unpackhi_epi32(r[4], r[5]);
    const __m256i t6 = _mm256_unpacklo_epi32(r[6], r[7]), t7 = _mm256_unpackhi_epi32(r[6], r[7]);
    const __m256i u0 = _mm256_unpacklo_epi64(t0, t2), u1 = _mm256_unpackhi_epi64(t0, t2);
    const __m256i u2 = _mm256_unpacklo_epi64(t1, t3), u3 = _mm256_unpackhi_epi64(t1, t3);
    const __m256i u4 = _mm256_unpacklo_epi64(t4, t6), u5 = _mm256_unpackhi_epi64(t4, t6);
    const __m256i u6 = _mm256_unpacklo_epi64(t5, t7), u7 = _mm256_unpackhi_epi64(t5, t7);
    r[0] = _mm256_permute2x128_si256(u0, u4, 0x20);
    r[1] = _mm256_permute2x128_si256(u1, u5, 0x20);
    r[2] = _mm256_permute2x128_si256(u2, u6, 0x20);
    r[3] = _mm256_permute2x128_si256(u3, u7, 0x20);
    r[4] = _mm256_permute2x128_si256(u0, u4, 0x31);
    r[5] = _mm256_permute2x128_si256(u1, u5, 0x31);
    r[6] = _mm256_permute2x128_si256(u2, u6, 0x31);
    r[7] = _mm256_permute2x128_si256(u3, u7, 0x31);
}

// Eight one-pixel-high cells of one row, each kCw (or cw when kCw is 0) pixels wide.
template <int kCw>
INSEL_AVX2 void WriteCellRow(std::uint32_t* line, int cw, __m256i row) {
    if constexpr (kCw == 1) {
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(line), row);
    } else if constexpr (kCw == 2) {
        auto* out = reinterpret_cast<__m256i*>(line);
        _mm256_storeu_si256(
            out, _mm256_permutevar8x32_epi32(row, _mm256_setr_epi32(0, 0, 1, 1, 2, 2, 3, 3)));
        _mm256_storeu_si256(out + 1, _mm256_permutevar8x32_epi32(
                                         row, _mm256_setr_epi32(4, 4, 5, 5, 6, 6, 7, 7)));
    } else {
        alignas(32) std::uint32_t cells[8];
        _mm256_store_si256(reinterpret_cast<__m256i*>(cells), row);
        for (int c = 0; c < 8; ++c) std::fill_n(line + c * cw, cw, cells[c]);
    }
}

// Eight rows of eight one-pixel-high cells from the block's columns, starting at the block's
// first pixel.
template <int kCw>
INSEL_AVX2 void WriteBlock(std::uint32_t* first, int cw, __m256i cells[8]) {
    Transpose8x8(cells);
    for (int k = 0; k < 8; ++k, first += Raster::kWidth) WriteCellRow<kCw>(first, cw, cells[k]);
}

// One row of cells, each kCw (or cw) pixels wide, onto a raster row.
template <int kCw>
INSEL_AVX2 void ExpandRow(std::uint32_t* line, const std::uint32_t* cells, int count, int cw) {
    if constexpr (kCw == 1) {
        std::memcpy(line, cells, static_cast<std::size_t>(count) * sizeof *line);
    } else if constexpr (kCw == 2) {
        for (int c = 0; c < count; c += 8) {
            const __m256i row = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(cells + c));
            auto* out = reinterpret_cast<__m256i*>(line + 2 * c);
            _mm256_storeu_si256(
                out, _mm256_permutevar8x32_epi32(row, _mm256_setr_epi32(0, 0, 1, 1, 2, 2, 3, 3)));
            _mm256_storeu_si256(out + 1, _mm256_permutevar8x32_epi32(
                                             row, _mm256_setr_epi32(4, 4, 5, 5, 6, 6, 7, 7)));
        }
    } else {
        for (int c = 0; c < count; ++c, line += cw) {
            const __m256i pixel = _mm256_set1_epi32(static_cast<int>(cells[c]));
            int x = 0;
            for (; x + 8 <= cw; x += 8)
                _mm256_storeu_si256(reinterpret_cast<__m256i*>(line + x), pixel);
            for (; x < cw; ++x) line[x] = cells[c];
        }
    }
}

// Cells taller than a pixel: a block row of cells is turned into a row buffer first and the
// raster then written row after row. Writing a block's cells straight away would touch more
// raster rows at once than the cache can hold, since rows lie 4 KB apart.
template <int kLayer, bool kOverlays, int kCw>
INSEL_AVX2 void PaintBlockStrips(const CellPass& pass, const LayerColumns& layers,
                                 const LayerPixels& colour, const Geometry& g,
                                 const CellRange& blocks, std::uint32_t* pixels) {
    const int cw = g.cw, ch = g.ch, count = blocks.i1 - blocks.i0;
    alignas(32) std::uint32_t rows[8][Raster::kWidth];
    for (int j = blocks.j0; j < blocks.j1; j += 8) {
        for (int i = blocks.i0; i < blocks.i1; i += 8) {
            __m256i cells[8];
            for (int c = 0; c < 8; ++c) {
                const std::size_t cell =
                    static_cast<std::size_t>(g.view.origin_x + i + c) * kLayerSide +
                    static_cast<std::size_t>(g.view.origin_y + j);
                cells[c] = ColumnPixels<kLayer, kOverlays>(pass, layers, colour, cell);
            }
            Transpose8x8(cells);
            for (int k = 0; k < 8; ++k) {
                _mm256_storeu_si256(reinterpret_cast<__m256i*>(rows[k] + (i - blocks.i0)),
                                    cells[k]);
            }
        }
        for (int k = 0; k < 8; ++k) {
            std::uint32_t* line = pixels + static_cast<std::size_t>(j + k) * ch * Raster::kWidth +
                                  static_cast<std::size_t>(blocks.i0) * cw;
            for (int r = 0; r < ch; ++r, line += Raster::kWidth)
                ExpandRow<kCw>(line, rows[k], count, cw);
        }
    }
}

// Blocks of 8 x 8 cells: each column is read as the layers lie in memory, then the block is
// turned so that the raster is written row by row.
template <int kLayer, bool kOverlays, int kCw>
__attribute__((target("avx2"))) void PaintBlocks(const CellPass& pass, const LayerPixels& colour,
                                                 const Geometry& g, const CellRange& blocks,
                                                 Raster& raster) {
    const LayerColumns layers(pass.island);
    std::uint32_t* const pixels = raster.pixels.data();
    if (g.ch > 1) {
        PaintBlockStrips<kLayer, kOverlays, kCw>(pass, layers, colour, g, blocks, pixels);
        return;
    }
    for (int j = blocks.j0; j < blocks.j1; j += 8) {
        for (int i = blocks.i0; i < blocks.i1; i += 8) {
            __m256i cells[8];
            for (int c = 0; c < 8; ++c) {
                const std::size_t cell =
                    static_cast<std::size_t>(g.view.origin_x + i + c) * kLayerSide +
                    static_cast<std::size_t>(g.view.origin_y + j);
                cells[c] = ColumnPixels<kLayer, kOverlays>(pass, layers, colour, cell);
            }
            WriteBlock<kCw>(pixels + static_cast<std::size_t>(j) * Raster::kWidth +
                                static_cast<std::size_t>(i) * g.cw,
                            g.cw, cells);
        }
    }
}

template <int kLayer, bool kOverlays>
void PaintBlocksOfWidth(const CellPass& pass, const LayerPixels& colour, const Geometry& g,
                        const CellRange& blocks, Raster& raster) {
    if (g.cw == 1) {
        PaintBlocks<kLayer, kOverlays, 1>(pass, colour, g, blocks, raster);
    } else if (g.cw == 2) {
        PaintBlocks<kLayer, kOverlays, 2>(pass, colour, g, blocks, raster);
    } else {
        PaintBlocks<kLayer, kOverlays, 0>(pass, colour, g, blocks, raster);
    }
}

// Paints the blocks of whole 8 x 8 cells inside `whole` and returns the range it covered.
CellRange PaintWideBlocks(const CellPass& pass, const LayerPixels& colour, const Geometry& g,
                          const CellRange& whole, Raster& raster) {
    CellRange blocks{whole.i0, whole.i0 + (whole.i1 - whole.i0) / 8 * 8, whole.j0,
                     whole.j0 + (whole.j1 - whole.j0) / 8 * 8};
    if (!cpu::Avx2() || blocks.i1 == blocks.i0 || blocks.j1 == blocks.j0) return {};
    const bool overlays = pass.highlight_kind == kTerrainHighlight ||
                          pass.highlight_kind == kGfxSeriesHighlight || pass.marks;
    auto paint = [&](auto layer) {
        if (overlays) {
            PaintBlocksOfWidth<decltype(layer)::value, true>(pass, colour, g, blocks, raster);
        } else {
            PaintBlocksOfWidth<decltype(layer)::value, false>(pass, colour, g, blocks, raster);
        }
    };
    switch (pass.display_layer) {
        case 0:
            paint(std::integral_constant<int, 0>{});
            break;
        case 1:
            paint(std::integral_constant<int, 1>{});
            break;
        case 2:
            paint(std::integral_constant<int, 2>{});
            break;
        case 3:
            paint(std::integral_constant<int, 3>{});
            break;
        default:
            paint(std::integral_constant<int, -1>{});
            break;
    }
    return blocks;
}

#else

CellRange PaintWideBlocks(const CellPass&, const LayerPixels&, const Geometry&, const CellRange&,
                          Raster&) {
    return {};
}

#endif

}  // namespace

PixelRect CoveredByCells(const ViewState& view) {
    const Geometry g(view);
    if (g.cw <= 0 || g.ch <= 0 || view.origin_x < 0 || view.origin_y < 0 ||
        view.visible_columns <= 0 || view.visible_rows <= 0 ||
        view.origin_x + view.visible_columns > kLayerSide ||
        view.origin_y + view.visible_rows > kLayerSide) {
        return {};
    }
    return {0, 0, std::min(Raster::kWidth, view.visible_columns * g.cw),
            std::min(Raster::kHeight, view.visible_rows * g.ch)};
}

void PaintCells(const CellPass& pass, const ViewState& view, Raster& raster, bool wide) {
    const Geometry g(view);
    if (g.cw <= 0 || g.ch <= 0) return;
    const LayerPixels colour(pass.display_layer);
    CellRange blocks;
    if (wide) {
        const CellRange whole = WholeCells(g);
        const CellRect cells{view.origin_x, view.origin_y, whole.i0, whole.i1,
                             whole.j0,      whole.j1,      g.cw,     g.ch};
        blocks = PaintPaletteCells(pass, cells, raster)
                     ? whole
                     : PaintWideBlocks(pass, colour, g, whole, raster);
    }
    // Everything the blocks left: edges, cells cut by the raster, cells outside the layers.
    for (int j = 0; j < view.visible_rows && j * g.ch < Raster::kHeight; ++j) {
        const bool block_row = j >= blocks.j0 && j < blocks.j1;
        for (int i = 0; i < view.visible_columns && i * g.cw < Raster::kWidth; ++i) {
            if (block_row && i == blocks.i0 && blocks.i1 > blocks.i0) {
                i = blocks.i1 - 1;
                continue;
            }
            PaintCell(pass, colour, g, i, j, raster);
        }
    }
}

}  // namespace insel
