#include "core/simd/entries.h"

#include <algorithm>
#include <bit>
#include <cstddef>
#include <cstring>

#include "core/document/island_map.h"
#include "core/simd/cell_values.h"
#include "core/simd/tier.h"

#if defined(__x86_64__) && defined(__GNUC__)
#include <immintrin.h>
#define INSEL_X86 1
#endif

namespace insel::simd {

namespace {

// An entry's offsets as one word: y offset low, x offset high.
inline unsigned EntryOffsets(const std::uint8_t* entry) { return entry[4] | entry[5] << 8; }

inline std::uint16_t EntryWord(const std::uint8_t* at) {
    return static_cast<std::uint16_t>(at[0] | at[1] << 8);
}

// Whether the eight entries from `e` fill eight cells down one column one after the other
// (the rule: blocks list their cells x major). The y offset must leave room for all eight, or
// the offsets word would carry into the x offset.
inline bool IsRun(const std::uint8_t* e) {
    const unsigned first = EntryOffsets(e);
    unsigned differs = e[4] > 255 - 7;
    for (int k = 1; k < 8; ++k) differs |= EntryOffsets(e + 6 * k) ^ (first + k);
    return differs == 0;
}

}  // namespace

// Runs of eight entries down a column are written without a test or a maximum per entry; the
// eighth entry's offsets are a cheap first test.
std::int64_t ReadEntriesPortable(const EntryTarget& t, const std::uint8_t* e,
                                 std::int64_t available, const std::uint8_t*, int& x_end,
                                 int& y_end) {
    // Every cell of a block this far from the layers' edge lies inside them, whatever its
    // offsets; only the blocks along the far edges test each cell.
    const bool inside = t.x0 + 255 < kLayerSide && t.y0 + 255 < kLayerSide;
    // Locals, so that the stores into the layers do not make the compiler fetch them again.
    std::uint16_t* const element = t.element;
    std::uint16_t* const param = t.param;
    int x_last = -1, y_last = -1;
    std::int64_t i = 0;
    while (i < available) {
        if (i + 8 <= available && EntryOffsets(e + 42) == EntryOffsets(e) + 7 && IsRun(e)) {
            const int x = t.x0 + e[5], y = t.y0 + e[4];
            if (x < kLayerSide && y + 7 < kLayerSide) {
                const std::size_t cell =
                    static_cast<std::size_t>(x) * kLayerSide + static_cast<std::size_t>(y);
                for (int k = 0; k < 8; ++k) {
                    element[cell + k] = EntryWord(e + 6 * k);
                    param[cell + k] = EntryWord(e + 6 * k + 2);
                }
                x_last = std::max(x_last, x);
                y_last = std::max(y_last, y + 7);
                i += 8;
                e += 48;
                continue;
            }
        }
        // No run starts here: the next eight go one by one before the next test, so that sparse
        // blocks pay for one test per eight entries.
        const std::int64_t stop = std::min(available, i + 8);
        bool outside = false;
        for (; i < stop; ++i, e += 6) {
            const int x = t.x0 + e[5], y = t.y0 + e[4];
            outside = !inside && (x >= kLayerSide || y >= kLayerSide);
            if (outside) break;
            const std::size_t cell =
                static_cast<std::size_t>(x) * kLayerSide + static_cast<std::size_t>(y);
            element[cell] = EntryWord(e);
            param[cell] = EntryWord(e + 2);
            x_last = std::max(x_last, x);
            y_last = std::max(y_last, y);
        }
        if (outside) break;
    }
    x_end = std::max(x_end, x_last + 1);
    y_end = std::max(y_end, y_last + 1);
    return i;
}

namespace {

// One entry as one 8-byte store whose last two bytes the next entry overwrites; the staging
// area has room for them.
inline void StageEntry(std::uint8_t*& cursor, std::uint16_t element, std::uint16_t parameter,
                       int y_offset, int x_offset) {
    const std::uint64_t entry = element | std::uint64_t{parameter} << 16 |
                                std::uint64_t{static_cast<std::uint8_t>(y_offset)} << 32 |
                                std::uint64_t{static_cast<std::uint8_t>(x_offset)} << 40;
    if constexpr (std::endian::native == std::endian::little) {
        std::memcpy(cursor, &entry, sizeof entry);
        cursor += 6;
    } else {
        for (int k = 0; k < 6; ++k) *cursor++ = static_cast<std::uint8_t>(entry >> (8 * k));
    }
}

}  // namespace

// Runs of eight cells: an empty run (most are, in element layers) is skipped after one test;
// in any other every cell is staged and the cursor moves on only past the set ones.
void StageEntriesPortable(std::uint8_t*& cursor, const std::uint16_t* element,
                          const std::uint16_t* param, int nx, int ny) {
    for (int dx = 0; dx < nx; ++dx) {
        const std::uint16_t* values = element + static_cast<std::size_t>(dx) * kLayerSide;
        const std::uint16_t* params = param + static_cast<std::size_t>(dx) * kLayerSide;
        // The blocks go down the island 32 columns at a time: 32 streams that the processor
        // does not follow by itself, so the column's cells of the next block are asked for.
        for (const std::uint16_t* next : {values + ny, params + ny}) {
            Prefetch(next);
            Prefetch(next + kBlockSide - 1);
        }
        int y = 0;
        for (; y + 8 <= ny; y += 8) {
            std::uint16_t any = 0;
            for (int k = 0; k < 8; ++k) any |= values[y + k];
            if (any == 0) continue;
            for (int k = y; k < y + 8; ++k) {
                std::uint8_t* at = cursor;
                StageEntry(at, values[k], params[k], k, dx);
                cursor += values[k] != 0 ? 6 : 0;
            }
        }
        for (; y < ny; ++y) {
            if (values[y] != 0) StageEntry(cursor, values[y], params[y], y, dx);
        }
    }
}

#ifdef INSEL_X86
namespace {

#define INSEL_ENTRY_RUNS __attribute__((target("avx512f,avx512bw,avx512vbmi")))

// GCC 12's own headers implement the 128-bit extracts with an "undefined" operand that its
// uninitialised-value warning then reports; nothing uninitialised is read.
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"
#endif

// Elements to bytes 0..15, parameters to 16..31, y offsets to 32..39, x offsets to 40..47;
// each y offset less its place, and the first y and x offset beside every other.
struct EntryShuffles {
    EntryShuffles() {
        for (int k = 0; k < 8; ++k) {
            split[2 * k] = static_cast<std::uint8_t>(6 * k);
            split[2 * k + 1] = static_cast<std::uint8_t>(6 * k + 1);
            split[16 + 2 * k] = static_cast<std::uint8_t>(6 * k + 2);
            split[16 + 2 * k + 1] = static_cast<std::uint8_t>(6 * k + 3);
            split[32 + k] = static_cast<std::uint8_t>(6 * k + 4);
            split[40 + k] = static_cast<std::uint8_t>(6 * k + 5);
            steps[32 + k] = static_cast<std::uint8_t>(k);
            firsts[32 + k] = 32;
            firsts[40 + k] = 40;
            later[k] = static_cast<std::uint8_t>(k + 7);
            later[16 + k] = static_cast<std::uint8_t>(16 + k + 7);
            gaps[k] = 7;
        }
        for (int k = 0; k < 16; ++k) {
            offsets[k] = static_cast<std::uint8_t>(6 * k + 4);
            offsets[16 + k] = static_cast<std::uint8_t>(6 * k + 5);
        }
    }
    alignas(64) std::uint8_t split[64] = {};
    alignas(64) std::uint8_t steps[64] = {};
    alignas(64) std::uint8_t firsts[64] = {};
    // For the run test of eight entries at once: y offsets of sixteen entries to bytes 0..15
    // and x offsets to 16..31; the eighth entry on from each of the first eight beside it; the
    // y gap of a run.
    alignas(64) std::uint8_t offsets[64] = {};
    alignas(64) std::uint8_t later[64] = {};
    alignas(64) std::uint8_t gaps[64] = {};
};

// Which of the eight entries from `e` (sixteen of which lie in the file) pass the first test
// of a run: the entry seven on lies seven rows further down the same column.
INSEL_ENTRY_RUNS inline unsigned RunCandidates(const std::uint8_t* e, const EntryShuffles& s) {
    const __m512i cur = _mm512_permutex2var_epi8(
        _mm512_loadu_si512(e), _mm512_load_si512(s.offsets), _mm512_loadu_si512(e + 64));
    const __m512i later = _mm512_maskz_permutexvar_epi8(~0ull, _mm512_load_si512(s.later), cur);
    const auto same = _cvtmask64_u64(_mm512_mask_cmpeq_epi8_mask(
        0x00FF00FFull, _mm512_sub_epi8(later, cur), _mm512_load_si512(s.gaps)));
    const auto room = _cvtmask64_u64(
        _mm512_mask_cmple_epu8_mask(0xFFull, cur, _mm512_set1_epi8(static_cast<char>(255 - 7))));
    return static_cast<unsigned>(same & (same >> 16) & room & 0xFFu);
}

// Eight entries that fill eight cells of one column one after the other (the rule: blocks
// list their cells x major) are taken apart in one byte shuffle and written as two rows of
// eight words; any other entry goes alone. Stops at the first entry whose cell lies outside
// the layers, which the caller reports. Returns how many entries were written.
INSEL_ENTRY_RUNS std::int64_t ReadEntriesAvx512(const EntryTarget& t, const std::uint8_t* e,
                                                std::int64_t available, const std::uint8_t* end,
                                                int& x_end, int& y_end) {
    // Made once: tables built on the stack for every block are read back before their stores
    // have settled.
    static const EntryShuffles shuffles;
    const __m512i to_split = _mm512_load_si512(shuffles.split);
    const __m512i step = _mm512_load_si512(shuffles.steps);
    const __m512i to_first = _mm512_load_si512(shuffles.firsts);
    constexpr __mmask64 kOffsets = 0xFFFFull << 32;
    // Locals, so that the stores into the layers do not make the compiler fetch them again.
    std::uint16_t* const element = t.element;
    std::uint16_t* const param = t.param;
    const int x0 = t.x0, y0 = t.y0;
    int x_last = x_end, y_last = y_end;
    auto write_one = [&](const std::uint8_t* entry, int x, int y) {
        const std::size_t cell = static_cast<std::size_t>(x) * kLayerSide + y;
        element[cell] = static_cast<std::uint16_t>(entry[0] | (entry[1] << 8));
        param[cell] = static_cast<std::uint16_t>(entry[2] | (entry[3] << 8));
        x_last = std::max(x_last, x + 1);
        y_last = std::max(y_last, y + 1);
    };
    // Every cell of a block this far from the layers' edge lies inside them.
    const bool inside = x0 + 255 < kLayerSide && y0 + 255 < kLayerSide;
    bool after_run = false;
    std::int64_t i = 0;
    while (i < available) {
        // Sparse blocks: entries that cannot start a run are written eight at most at a time
        // without a test each. Right after a run another one is the likelier.
        if (inside && !after_run && i + 16 <= available && e + 128 <= end) {
            const unsigned candidates = RunCandidates(e, shuffles);
            const int plain = candidates == 0 ? 8 : std::countr_zero(candidates);
            for (int k = 0; k < plain; ++k, e += 6) write_one(e, x0 + e[5], y0 + e[4]);
            i += plain;
            if (plain > 0) continue;
        }
        after_run = false;
        const int x = x0 + e[5], y = y0 + e[4];
        // The eighth entry's offsets are a cheap first test of a run, taken as one branch:
        // in sparse blocks its parts come out either way and would be mispredicted one by one.
        const bool eight_left = i + 8 <= available && e + 64 <= end;
        if (eight_left && ((e[47] == e[5]) & (e[46] == e[4] + 7) & (e[4] <= 255 - 7)) &&
            x < kLayerSide && y + 7 < kLayerSide) {
            // The run holds when every y offset less its place equals the first's and every
            // x offset equals the first's.
            // (The zero-masked forms: the plain ones trip the compiler's uninitialised warning.)
            const __m512i parts =
                _mm512_maskz_permutexvar_epi8(~0ull, to_split, _mm512_loadu_si512(e));
            const __m512i relative = _mm512_sub_epi8(parts, step);
            const __m512i first = _mm512_maskz_permutexvar_epi8(~0ull, to_first, relative);
            if (_mm512_mask_cmpeq_epi8_mask(kOffsets, relative, first) == kOffsets) {
                const std::size_t cell = static_cast<std::size_t>(x) * kLayerSide + y;
                _mm_storeu_si128(reinterpret_cast<__m128i*>(element + cell),
                                 _mm512_castsi512_si128(parts));
                _mm_storeu_si128(reinterpret_cast<__m128i*>(param + cell),
                                 _mm512_extracti32x4_epi32(parts, 1));
                x_last = std::max(x_last, x + 1);
                y_last = std::max(y_last, y + 8);
                i += 8;
                e += 48;
                after_run = true;
                continue;
            }
        }
        if (x >= kLayerSide || y >= kLayerSide) break;
        write_one(e, x, y);
        ++i;
        e += 6;
    }
    x_end = x_last;
    y_end = y_last;
    return i;
}
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic pop
#endif

#define INSEL_ENTRY_STAGING __attribute__((target("avx512f,avx512bw,avx512vl,avx512vbmi")))

// GCC 12's own headers build several of these instructions on an "undefined" operand that its
// uninitialised-value warning then reports; nothing uninitialised is read.
#if !defined(__clang__)
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"
#endif

// The entries of the set cells among 16 of a column, as GELAENDE lists them: the words of the
// set cells packed together, then spread into 6-byte entries with their offsets by one byte
// shuffle per eight entries.
INSEL_ENTRY_STAGING inline void StageSixteen(std::uint8_t*& cursor, const std::uint16_t* element,
                                             const std::uint16_t* param, int first_y,
                                             __m512i x_offset, const __m512i spread[2]) {
    const __m256i elements = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(element));
    const __mmask16 set = _mm256_test_epi16_mask(elements, elements);
    if (set == 0) return;
    const __m256i params = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(param));
    const __m512i words = _mm512_or_si512(_mm512_cvtepu16_epi32(elements),
                                          _mm512_slli_epi32(_mm512_cvtepu16_epi32(params), 16));
    const __m512i ys =
        _mm512_add_epi32(_mm512_set_epi32(15, 14, 13, 12, 11, 10, 9, 8, 7, 6, 5, 4, 3, 2, 1, 0),
                         _mm512_set1_epi32(first_y));
    const __m512i packed = _mm512_maskz_compress_epi32(set, words);
    // y offsets of the set cells in bytes 0..15, the x offset in byte 63.
    const __m512i offsets = _mm512_mask_blend_epi8(
        1ull << 63,
        _mm512_zextsi128_si512(_mm512_cvtepi32_epi8(_mm512_maskz_compress_epi32(set, ys))),
        x_offset);
    const int count = __builtin_popcount(set);
    _mm512_storeu_si512(cursor, _mm512_permutex2var_epi8(packed, spread[0], offsets));
    if (count > 8) {
        _mm512_storeu_si512(cursor + 48, _mm512_permutex2var_epi8(packed, spread[1], offsets));
    }
    cursor += 6 * count;
}

// A block's columns of 32 cells each; the layers' columns lie kLayerSide words apart.
INSEL_ENTRY_STAGING void StageEntriesAvx512(std::uint8_t*& cursor, const std::uint16_t* element,
                                            const std::uint16_t* param, int nx) {
    // Entry j of eight takes packed bytes 4j..4j+3, then offset byte j and byte 63.
    alignas(64) std::uint8_t picks[2][64] = {};
    for (int half = 0; half < 2; ++half) {
        for (int j = 0; j < 8; ++j) {
            const int entry = 8 * half + j;
            for (int k = 0; k < 4; ++k)
                picks[half][6 * j + k] = static_cast<std::uint8_t>(4 * entry + k);
            picks[half][6 * j + 4] = static_cast<std::uint8_t>(64 + entry);
            picks[half][6 * j + 5] = 64 + 63;
        }
    }
    const __m512i spread[2] = {_mm512_load_si512(picks[0]), _mm512_load_si512(picks[1])};
    for (int dx = 0; dx < nx; ++dx) {
        const std::size_t column = static_cast<std::size_t>(dx) * kLayerSide;
        const __m512i x_offset = _mm512_set1_epi8(static_cast<char>(dx));
        StageSixteen(cursor, element + column, param + column, 0, x_offset, spread);
        StageSixteen(cursor, element + column + 16, param + column + 16, 16, x_offset, spread);
    }
}
#if !defined(__clang__)
#pragma GCC diagnostic pop
#endif

}  // namespace
#endif

std::int64_t ReadEntries(const EntryTarget& t, const std::uint8_t* e, std::int64_t available,
                         const std::uint8_t* end, int& x_end, int& y_end) {
#ifdef INSEL_X86
    if (Avx512()) return ReadEntriesAvx512(t, e, available, end, x_end, y_end);
#endif
    return ReadEntriesPortable(t, e, available, end, x_end, y_end);
}

void StageEntries(std::uint8_t*& cursor, const std::uint16_t* element, const std::uint16_t* param,
                  int nx, int ny) {
#ifdef INSEL_X86
    if (Avx512() && ny == kBlockSide) return StageEntriesAvx512(cursor, element, param, nx);
#endif
    StageEntriesPortable(cursor, element, param, nx, ny);
}

}  // namespace insel::simd
