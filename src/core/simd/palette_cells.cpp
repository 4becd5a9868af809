// The colour pass for layers whose colours form a small palette (heights with rivers,
// fertility, and the highlights and marks over them): each cell becomes a one-byte palette
// entry, tiles of 64 x 64 entries are turned from the layers' column order into raster rows,
// and only then are entries looked up as pixels. Turning bytes moves a quarter of what
// turning pixels would.
#include <algorithm>
#include <array>
#include <cstdint>

#include "core/display/colours.h"
#include "core/display/renderer.h"
#include "core/simd/palette_cells.h"

#if defined(__x86_64__) && defined(__GNUC__)
#include <immintrin.h>
#define INSEL_PALETTE_PASS 1
#endif

namespace insel::simd {

#ifdef INSEL_PALETTE_PASS

namespace {

constexpr int kTile = 64;  // cells along each side of a tile: one byte vector per column

// Entries after the layer's own colours: heights use 0..54, fertility 0..10. One byte lookup
// reaches all 64.
constexpr int kPaletteSize = 64;
constexpr int kRiverEntry = 60, kTerrainEntry = 61, kGfxEntry = 62, kMarkedEntry = 63;
static_assert(kHeightBandCount <= kRiverEntry && kFertilityColourCount <= kRiverEntry);

// The palette as four byte planes: blue, green, red and alpha of each entry.
struct Palette {
    explicit Palette(const CellPass& pass) {
        std::array<std::uint32_t, kPaletteSize> pixels{};
        if (pass.display_layer == 0) {
            for (int b = 0; b < kHeightBandCount; ++b) pixels[b] = ToPixel(kHeightColours[b]);
        } else if (pass.display_layer == 3) {
            for (int f = 0; f < kFertilityColourCount; ++f)
                pixels[f] = ToPixel(kFertilityColours[f]);
        } else {
            pixels[0] = ToPixel(kUnknownLayerColour);
        }
        pixels[kRiverEntry] = pass.river;
        pixels[kTerrainEntry] = pass.terrain_highlight;
        pixels[kGfxEntry] = pass.gfx_highlight;
        pixels[kMarkedEntry] = pass.marked;
        for (int e = 0; e < kPaletteSize; ++e) {
            for (int p = 0; p < 4; ++p)
                planes[p][e] = static_cast<std::uint8_t>(pixels[e] >> (8 * p));
        }
    }
    alignas(64) std::uint8_t planes[4][kPaletteSize];
};

// The entry of every height: its band. Fixed, so made once for the program.
struct HeightEntries {
    HeightEntries() {
        for (int h = 0; h < 256; ++h) entry[h] = static_cast<std::uint8_t>(HeightBand(h));
    }
    alignas(64) std::uint8_t entry[256];
};

// Which overlay a column's entries get, as 16-bit compares: (value & mask) == wanted.
struct WordMatch {
    bool on = false;
    std::uint16_t mask = 0, wanted = 0;
};

WordMatch TerrainMatch(const CellPass& pass) {
    if (pass.highlight_kind != kTerrainHighlight || pass.highlight_value < 0 ||
        pass.highlight_value > 0xFFFF)
        return {};
    return {true, static_cast<std::uint16_t>(pass.any_orientation ? 0x3FFF : 0xFFFF),
            static_cast<std::uint16_t>(pass.highlight_value)};
}

// The graphic's series is its high byte.
WordMatch GfxMatch(const CellPass& pass) {
    if (pass.highlight_kind != kGfxSeriesHighlight || pass.highlight_value < 0 ||
        pass.highlight_value > 0xFF)
        return {};
    return {true, 0xFF00, static_cast<std::uint16_t>(pass.highlight_value << 8)};
}

#define INSEL_VBMI __attribute__((target("avx512f,avx512bw,avx512vbmi"), always_inline)) inline

INSEL_VBMI __mmask64 Join(__mmask32 low, __mmask32 high) {
    return _mm512_kunpackd(static_cast<__mmask64>(high), static_cast<__mmask64>(low));
}

INSEL_VBMI __mmask64 WordsNonZero(const std::uint16_t* p, __mmask64 rows) {
    const __m512i a = _mm512_maskz_loadu_epi16(static_cast<__mmask32>(rows), p);
    const __m512i b = _mm512_maskz_loadu_epi16(static_cast<__mmask32>(rows >> 32), p + 32);
    return Join(_mm512_test_epi16_mask(a, a), _mm512_test_epi16_mask(b, b));
}

INSEL_VBMI __mmask64 WordsMatch(const std::uint16_t* p, __mmask64 rows, const WordMatch& m) {
    const __m512i mask = _mm512_set1_epi16(static_cast<short>(m.mask));
    const __m512i wanted = _mm512_set1_epi16(static_cast<short>(m.wanted));
    const __m512i a = _mm512_maskz_loadu_epi16(static_cast<__mmask32>(rows), p);
    const __m512i b = _mm512_maskz_loadu_epi16(static_cast<__mmask32>(rows >> 32), p + 32);
    return Join(_mm512_cmpeq_epi16_mask(_mm512_and_si512(a, mask), wanted),
                _mm512_cmpeq_epi16_mask(_mm512_and_si512(b, mask), wanted));
}

// What a column's entries are made from, held in registers for the whole pass.
struct ColumnRules {
    __m512i height_entries[4];  // the 256 height entries, 64 per register
    __m512i low_bytes;          // bytes 0, 2, .., 126 of two registers: words to bytes
    WordMatch terrain, gfx;
    bool marks = false;
};

// The palette entries of the cells `cell` .. `cell` + 63 of one column; `rows` masks the cells
// that exist, the others are not read.
template <int kLayer, bool kOverlays>
INSEL_VBMI __m512i ColumnEntries(const LayerColumns& s, const ColumnRules& rules, std::size_t cell,
                                 __mmask64 rows) {
    __m512i entries;
    if constexpr (kLayer == 0) {
        const __m512i heights = _mm512_maskz_loadu_epi8(rows, s.height + cell);
        const __m512i low =
            _mm512_permutex2var_epi8(rules.height_entries[0], heights, rules.height_entries[1]);
        const __m512i high =
            _mm512_permutex2var_epi8(rules.height_entries[2], heights, rules.height_entries[3]);
        entries = _mm512_mask_blend_epi8(_mm512_movepi8_mask(heights), low, high);
        entries = _mm512_mask_mov_epi8(entries, WordsNonZero(s.river + cell, rows),
                                       _mm512_set1_epi8(kRiverEntry));
    } else if constexpr (kLayer == 3) {
        const __m512i ten = _mm512_set1_epi16(kFertilityColourCount - 1);
        const __m512i a = _mm512_min_epu16(
            _mm512_maskz_loadu_epi16(static_cast<__mmask32>(rows), s.fertility + cell), ten);
        const __m512i b = _mm512_min_epu16(
            _mm512_maskz_loadu_epi16(static_cast<__mmask32>(rows >> 32), s.fertility + cell + 32),
            ten);
        entries = _mm512_permutex2var_epi8(a, rules.low_bytes, b);
    } else {
        entries = _mm512_setzero_si512();
    }
    if constexpr (kOverlays) {
        if (rules.terrain.on) {
            entries =
                _mm512_mask_mov_epi8(entries, WordsMatch(s.terrain + cell, rows, rules.terrain),
                                     _mm512_set1_epi8(kTerrainEntry));
        } else if (rules.gfx.on) {
            entries = _mm512_mask_mov_epi8(entries, WordsMatch(s.gfx + cell, rows, rules.gfx),
                                           _mm512_set1_epi8(kGfxEntry));
        }
        if (rules.marks) {
            const __m512i marks = _mm512_maskz_loadu_epi8(rows, s.mark + cell);
            entries = _mm512_mask_mov_epi8(entries, _mm512_test_epi8_mask(marks, marks),
                                           _mm512_set1_epi8(kMarkedEntry));
        }
    }
    return entries;
}

// Columns lie a layer's height apart, further than the processor looks ahead by itself; the
// column `kAhead` columns on is asked for while this one is worked on.
constexpr int kAhead = 8;

INSEL_VBMI void Prefetch(const void* first, std::size_t bytes) {
    const char* p = static_cast<const char*>(first);
    for (std::size_t at = 0; at < bytes; at += 64) _mm_prefetch(p + at, _MM_HINT_T0);
    _mm_prefetch(p + bytes - 1, _MM_HINT_T0);
}

template <int kLayer>
INSEL_VBMI void PrefetchColumn(const LayerColumns& s, std::size_t cell) {
    if constexpr (kLayer == 0) {
        Prefetch(s.height + cell, kTile);
        Prefetch(s.river + cell, kTile * sizeof *s.river);
    } else if constexpr (kLayer == 3) {
        Prefetch(s.fertility + cell, kTile * sizeof *s.fertility);
    }
}

// The shuffles below in their masked forms, with every element kept: the plain forms trip the
// compiler's uninitialised-value warning.
template <int kPick>
INSEL_VBMI __m512i Lanes(__m512i a, __m512i b) {
    return _mm512_maskz_shuffle_i64x2(0xFF, a, b, kPick);
}
INSEL_VBMI __m512i LowWords(__m512i a, __m512i b) {
    return _mm512_maskz_unpacklo_epi64(0xFF, a, b);
}
INSEL_VBMI __m512i HighWords(__m512i a, __m512i b) {
    return _mm512_maskz_unpackhi_epi64(0xFF, a, b);
}
// Byte i of the result is byte order[i] of `bytes`.
INSEL_VBMI __m512i PickBytes(__m512i order, __m512i bytes) {
    return _mm512_maskz_permutexvar_epi8(~__mmask64{0}, order, bytes);
}

// Eight registers as an 8 x 8 matrix of 8-byte words, turned: word w of r[v] becomes word v of
// r[w].
INSEL_VBMI void TurnWords(__m512i r[8]) {
    __m512i t[8], u[8];
    for (int k = 0; k < 8; k += 2) {
        t[k] = LowWords(r[k], r[k + 1]);
        t[k + 1] = HighWords(r[k], r[k + 1]);
    }
    constexpr int kEven = _MM_SHUFFLE(2, 0, 2, 0), kOdd = _MM_SHUFFLE(3, 1, 3, 1);
    for (int k = 0; k < 8; k += 4) {
        u[k] = Lanes<kEven>(t[k], t[k + 2]);          // words 0, 4
        u[k + 1] = Lanes<kOdd>(t[k], t[k + 2]);       // words 2, 6
        u[k + 2] = Lanes<kEven>(t[k + 1], t[k + 3]);  // words 1, 5
        u[k + 3] = Lanes<kOdd>(t[k + 1], t[k + 3]);   // words 3, 7
    }
    r[0] = Lanes<kEven>(u[0], u[4]);
    r[4] = Lanes<kOdd>(u[0], u[4]);
    r[2] = Lanes<kEven>(u[1], u[5]);
    r[6] = Lanes<kOdd>(u[1], u[5]);
    r[1] = Lanes<kEven>(u[2], u[6]);
    r[5] = Lanes<kOdd>(u[2], u[6]);
    r[3] = Lanes<kEven>(u[3], u[7]);
    r[7] = Lanes<kOdd>(u[3], u[7]);
}

// Byte orders for vpermb, made once.
struct Orders {
    Orders() {
        // An 8 x 8 byte block, turned: byte 8t + k from byte 8k + t.
        for (int t = 0; t < 8; ++t)
            for (int k = 0; k < 8; ++k) turn[8 * t + k] = static_cast<std::uint8_t>(8 * k + t);
        for (int b = 0; b < 64; ++b) low_bytes[b] = static_cast<std::uint8_t>(2 * b);
        // The unpacks below interleave within 128-bit lanes; pixel 16m + 4L + k must come
        // from byte 16L + 4m + k for their four results to be pixels 0-15, 16-31, 32-47, 48-63.
        // With two pixels per cell, half h covers cells 32h .. 32h + 31.
        for (int cw = 1; cw <= 2; ++cw) {
            for (int h = 0; h < cw; ++h) {
                for (int lane = 0; lane < 4; ++lane)
                    for (int m = 0; m < 4; ++m)
                        for (int k = 0; k < 4; ++k) {
                            const int pixel = 64 * h + 16 * m + 4 * lane + k;
                            unpack[cw - 1][h][16 * lane + 4 * m + k] =
                                static_cast<std::uint8_t>(pixel / cw);
                        }
            }
        }
    }
    alignas(64) std::uint8_t turn[64];
    alignas(64) std::uint8_t low_bytes[64];
    alignas(64) std::uint8_t unpack[2][2][64];
};

const Orders& ByteOrders() {
    static const Orders orders;
    return orders;
}

struct PixelRules {
    __m512i planes[4];
    __m512i order[2];  // one per 64 pixels of the row
};

// Which of the kCw * 4 pixel vectors of a tile row lie in the view, as store masks.
template <int kCw>
struct RowMasks {
    explicit RowMasks(int count) {
        for (int v = 0; v < 4 * kCw; ++v) {
            const int n = std::clamp(count - 16 * v, 0, 16);
            mask[v] = static_cast<__mmask16>((1u << n) - 1u);
        }
    }
    __mmask16 mask[4 * kCw];
};

// One tile row of entries (cell c in byte c) as kCw * 64 pixels from `out`, repeated on `ch`
// raster rows.
template <int kCw>
INSEL_VBMI void WriteRow(std::uint32_t* out, __m512i entries, const PixelRules& rules,
                         const RowMasks<kCw>& masks, int ch) {
    for (int h = 0; h < kCw; ++h) {
        const __m512i ordered = PickBytes(rules.order[h], entries);
        const __m512i blue = PickBytes(ordered, rules.planes[0]);
        const __m512i green = PickBytes(ordered, rules.planes[1]);
        const __m512i red = PickBytes(ordered, rules.planes[2]);
        const __m512i alpha = PickBytes(ordered, rules.planes[3]);
        const __m512i bg_low = _mm512_unpacklo_epi8(blue, green);
        const __m512i bg_high = _mm512_unpackhi_epi8(blue, green);
        const __m512i ra_low = _mm512_unpacklo_epi8(red, alpha);
        const __m512i ra_high = _mm512_unpackhi_epi8(red, alpha);
        const __m512i p0 = _mm512_unpacklo_epi16(bg_low, ra_low);
        const __m512i p1 = _mm512_unpackhi_epi16(bg_low, ra_low);
        const __m512i p2 = _mm512_unpacklo_epi16(bg_high, ra_high);
        const __m512i p3 = _mm512_unpackhi_epi16(bg_high, ra_high);
        std::uint32_t* line = out + 64 * h;
        for (int r = 0; r < ch; ++r, line += Raster::kWidth) {
            _mm512_mask_storeu_epi32(line, masks.mask[4 * h], p0);
            _mm512_mask_storeu_epi32(line + 16, masks.mask[4 * h + 1], p1);
            _mm512_mask_storeu_epi32(line + 32, masks.mask[4 * h + 2], p2);
            _mm512_mask_storeu_epi32(line + 48, masks.mask[4 * h + 3], p3);
        }
    }
}

// Tile by tile: the columns' entries, eight columns at a time turned into 8 x 8 byte blocks,
// which go to a scratch square; the square's blocks are then turned into tile rows, which are
// looked up and written.
template <int kLayer, bool kOverlays, int kCw>
__attribute__((target("avx512f,avx512bw,avx512vbmi"))) void PaintTiles(const CellPass& pass,
                                                                       const CellRect& cells,
                                                                       Raster& raster) {
    const Palette palette(pass);
    static const HeightEntries heights;
    const Orders& orders = ByteOrders();
    const LayerColumns sources(pass.island);
    ColumnRules column_rules;
    for (int k = 0; k < 4; ++k)
        column_rules.height_entries[k] = _mm512_load_si512(heights.entry + 64 * k);
    column_rules.low_bytes = _mm512_load_si512(orders.low_bytes);
    column_rules.terrain = TerrainMatch(pass);
    column_rules.gfx = GfxMatch(pass);
    column_rules.marks = pass.marks;
    PixelRules pixel_rules;
    for (int p = 0; p < 4; ++p) pixel_rules.planes[p] = _mm512_load_si512(palette.planes[p]);
    for (int h = 0; h < kCw; ++h)
        pixel_rules.order[h] = _mm512_load_si512(orders.unpack[kCw - 1][h]);
    const __m512i turn = _mm512_load_si512(orders.turn);
    std::uint32_t* const pixels = raster.pixels.data();
    alignas(64) std::uint8_t blocks[8][8][64];  // [row group][column group]: 8 x 8 entries
    for (int j = cells.j0; j < cells.j1; j += kTile) {
        const int rows = std::min(kTile, cells.j1 - j);
        const __mmask64 row_mask = rows == kTile ? ~__mmask64{0} : (__mmask64{1} << rows) - 1;
        for (int i = cells.i0; i < cells.i1; i += kTile) {
            const int columns = std::min(kTile, cells.i1 - i);
            const RowMasks<kCw> masks(columns * kCw);
            for (int g = 0; g < 8; ++g) {
                __m512i block[8];
                for (int k = 0; k < 8; ++k) {
                    const int c = 8 * g + k;
                    const std::size_t cell =
                        static_cast<std::size_t>(cells.origin_x + i + c) * kLayerSide +
                        static_cast<std::size_t>(cells.origin_y + j);
                    if (i + c + kAhead < cells.i1)
                        PrefetchColumn<kLayer>(sources, cell + kAhead * kLayerSide);
                    block[k] = c < columns ? ColumnEntries<kLayer, kOverlays>(sources, column_rules,
                                                                              cell, row_mask)
                                           : _mm512_setzero_si512();
                }
                TurnWords(block);
                for (int q = 0; q < 8; ++q)
                    _mm512_store_si512(blocks[q][g], PickBytes(turn, block[q]));
            }
            for (int q = 0; q < 8 && 8 * q < rows; ++q) {
                __m512i line[8];
                for (int g = 0; g < 8; ++g) line[g] = _mm512_load_si512(blocks[q][g]);
                TurnWords(line);
                for (int t = 0; t < 8 && 8 * q + t < rows; ++t) {
                    const int y = (j + 8 * q + t) * cells.ch;
                    WriteRow<kCw>(pixels + static_cast<std::size_t>(y) * Raster::kWidth +
                                      static_cast<std::size_t>(i) * kCw,
                                  line[t], pixel_rules, masks, cells.ch);
                }
            }
        }
    }
}

template <int kLayer, bool kOverlays>
void PaintTilesOfWidth(const CellPass& pass, const CellRect& cells, Raster& raster) {
    if (cells.cw == 1) {
        PaintTiles<kLayer, kOverlays, 1>(pass, cells, raster);
    } else {
        PaintTiles<kLayer, kOverlays, 2>(pass, cells, raster);
    }
}

template <int kLayer>
void PaintLayer(const CellPass& pass, const CellRect& cells, Raster& raster) {
    if (TerrainMatch(pass).on || GfxMatch(pass).on || pass.marks) {
        PaintTilesOfWidth<kLayer, true>(pass, cells, raster);
    } else {
        PaintTilesOfWidth<kLayer, false>(pass, cells, raster);
    }
}

}  // namespace

bool PaintPaletteCellsAvx512(const CellPass& pass, const CellRect& cells, Raster& raster) {
    if ((cells.cw != 1 && cells.cw != 2) || cells.ch < 1) return false;
    if (pass.display_layer == 1 || pass.display_layer == 2) return false;  // no palette
    if (cells.i1 <= cells.i0 || cells.j1 <= cells.j0) return true;
    if (pass.display_layer == 0) {
        PaintLayer<0>(pass, cells, raster);
    } else if (pass.display_layer == 3) {
        PaintLayer<3>(pass, cells, raster);
    } else {
        PaintLayer<-1>(pass, cells, raster);
    }
    return true;
}

#else

bool PaintPaletteCellsAvx512(const CellPass&, const CellRect&, Raster&) { return false; }

#endif

}  // namespace insel::simd
