#include "core/island/loader.h"

#include <array>
#include <bit>
#include <cmath>
#include <cstring>
#include <unordered_set>

#if defined(__x86_64__) && defined(__GNUC__)
#include <immintrin.h>
#endif

#include "core/app/definitions.h"
#include "core/app/status.h"
#include "core/container/cp1252.h"
#include "core/container/game_file.h"
#include "core/cpu_features.h"
#include "core/document/document.h"
#include "core/island/catchment.h"
#include "core/island/cities.h"
#include "core/island/island_list.h"

namespace insel {
namespace {

// Whether the `n` bytes from `values` are all the same.
inline bool AllEqual(const std::uint8_t* values, std::int64_t n) {
    std::int64_t k = 1;
#if defined(__GNUC__)
    using Bytes16 = std::uint8_t __attribute__((vector_size(16)));
    const Bytes16 first = Bytes16{} + values[0];
    for (k = 0; k + 16 <= n; k += 16) {
        Bytes16 chunk;
        std::memcpy(&chunk, values + k, sizeof chunk);
        const auto differs = chunk != first;
        std::uint64_t halves[2];
        std::memcpy(halves, &differs, sizeof halves);
        if ((halves[0] | halves[1]) != 0) return false;
    }
    k = std::max<std::int64_t>(k, 1);
#endif
    for (; k < n; ++k) {
        if (values[k] != values[0]) return false;
    }
    return true;
}

// Counts bytes into `counts`. Stretches of one value (the sea) are added whole; elsewhere every
// other byte goes to a second bank, so that neighbours of equal height (the rule on land) do
// not wait on each other's increments, while a block's few counting banks stay cheap to clear
// and add up.
void AddToHistogram(const std::uint8_t* values, std::int64_t n, std::int32_t* counts) {
    std::int32_t odd[256] = {};
    std::int64_t i = 0;
    for (; i + 32 <= n; i += 32) {
        if (AllEqual(values + i, 32)) {
            counts[values[i]] += 32;
            continue;
        }
        for (int k = 0; k < 32; k += 2) {
            ++counts[values[i + k]];
            ++odd[values[i + k + 1]];
        }
    }
    for (; i < n; ++i) ++counts[values[i]];
    for (int v = 0; v < 256; ++v) counts[v] += odd[v];
}

// A column segment of a cell block: mostly a whole block's 32 cells, copied inline then.
void CopyColumn(void* to, const std::uint8_t* from, std::size_t bytes) {
    if (bytes == 32) {
        std::memcpy(to, from, 32);
    } else if (bytes == 64) {
        std::memcpy(to, from, 64);
    } else {
        std::memcpy(to, from, bytes);
    }
}

// Whether the `n` (at least one) little-endian words all have the first one's high byte: a
// column of one series, the rule, needs no lowest and highest worked out.
inline bool UniformHighByte(const std::uint8_t* words, int n) {
    int k = 0;
#if defined(__GNUC__)
    using Words8 = std::uint16_t __attribute__((vector_size(16)));
    const Words8 first = Words8{} + words[1];
    Words8 differs{};
    for (; k + 8 <= n; k += 8) {
        Words8 chunk;
        std::memcpy(&chunk, words + 2 * k, sizeof chunk);
        differs |= (chunk >> 8) ^ first;
    }
    std::uint64_t halves[2];
    std::memcpy(halves, &differs, sizeof halves);
    if ((halves[0] | halves[1]) != 0) return false;
#endif
    for (; k < n; ++k) {
        if (words[2 * k + 1] != words[1]) return false;
    }
    return true;
}

// The lowest and highest high byte of `n` little-endian words (0 and 0 for none), eight words
// at a time where vector types exist.
std::pair<std::uint8_t, std::uint8_t> HighByteRange(const std::uint8_t* words, int n) {
    if (n > 0 && UniformHighByte(words, n)) return {words[1], words[1]};
    std::uint16_t low = 0xFFFF, high = 0;
    int k = 0;
#if defined(__GNUC__)
    using Words8 = std::uint16_t __attribute__((vector_size(16)));
    Words8 lows = Words8{} + 0xFFFF, highs{};
    for (; k + 8 <= n; k += 8) {
        Words8 chunk;
        std::memcpy(&chunk, words + 2 * k, sizeof chunk);
        chunk >>= 8;
        lows = chunk < lows ? chunk : lows;
        highs = chunk > highs ? chunk : highs;
    }
    for (int i = 0; i < 8; ++i) {
        low = std::min<std::uint16_t>(low, lows[i]);
        high = std::max<std::uint16_t>(high, highs[i]);
    }
#endif
    for (; k < n; ++k) {
        low = std::min<std::uint16_t>(low, words[2 * k + 1]);
        high = std::max<std::uint16_t>(high, words[2 * k + 1]);
    }
    if (n <= 0) low = 0;
    return {static_cast<std::uint8_t>(low), static_cast<std::uint8_t>(high)};
}

// Fertility bytes of one column of a cell block (at most 32) into the layer, capped at 10, and
// counted by value.
void ClampAndCountFertility(const std::uint8_t* values, int n, std::uint16_t* column,
                            std::array<std::int32_t, 11>& counts) {
    for (int y = 0; y < n; ++y) {
        const std::uint16_t value = std::min<std::uint16_t>(values[y], 10);
        column[y] = value;
        ++counts[value];
    }
}

#if defined(__x86_64__) && defined(__GNUC__)
// The same with a compare per value over the whole column instead of a count per cell.
__attribute__((target("avx512f,avx512bw,avx512vl,popcnt"))) void ClampAndCountFertilityWide(
    const std::uint8_t* values, int n, std::uint16_t* column,
    std::array<std::int32_t, 11>& counts) {
    const auto live = static_cast<__mmask32>(n >= 32 ? ~0u : (1u << n) - 1u);
    const __m256i capped =
        _mm256_min_epu8(_mm256_maskz_loadu_epi8(live, values), _mm256_set1_epi8(10));
    _mm512_mask_storeu_epi16(column, live, _mm512_cvtepu8_epi16(capped));
    int counted = 0;
    for (int value = 0; value < 10; ++value) {
        const int hits = std::popcount(static_cast<std::uint32_t>(_mm256_mask_cmpeq_epi8_mask(
            live, capped, _mm256_set1_epi8(static_cast<char>(value)))));
        counts[static_cast<std::size_t>(value)] += hits;
        counted += hits;
    }
    counts[10] += n - counted;
}
#endif

// Head of the per-cell-block blocks HEIGHT, GFXID, GELAENDE, FLUESSE and PROD2.
struct CellBlockHead {
    std::int64_t tag = 0;
    std::int64_t length = 0;  // L: bytes after the length field
    int y0 = 0, x0 = 0, ny = 0, nx = 0;
    std::int64_t content = 0;  // first byte after the 6-byte head
};

// Where GELAENDE and FLUESSE entries go: the two layers' cells and the block's origin.
struct EntryTarget {
    std::uint16_t* element;
    std::uint16_t* param;
    int x0, y0;
};

#if defined(__x86_64__) && defined(__GNUC__)
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
    const __m512i cur = _mm512_permutex2var_epi8(_mm512_loadu_si512(e),
                                                 _mm512_load_si512(s.offsets),
                                                 _mm512_loadu_si512(e + 64));
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
INSEL_ENTRY_RUNS std::int64_t ReadEntryRuns(const EntryTarget& t, const std::uint8_t* e,
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
#endif

// Writes what it can of the entries the fast way; the rest, from the returned index on, is
// left to the caller's checked loop.
std::int64_t ReadEntriesWide(const EntryTarget& t, const std::uint8_t* e, std::int64_t available,
                             const std::uint8_t* end, int& x_end, int& y_end) {
#if defined(__x86_64__) && defined(__GNUC__)
    if (cpu::Avx512Vbmi() && std::endian::native == std::endian::little)
        return ReadEntryRuns(t, e, available, end, x_end, y_end);
#endif
    (void)t, (void)e, (void)available, (void)end, (void)x_end, (void)y_end;
    return 0;
}

class Decoder {
  public:
    Decoder(Document& doc, const Definitions& definitions, LogLines& log)
        : doc_(doc),
          definitions_(definitions),
          log_(log),
          file_(doc.file),
          island_(doc.island),
          limit_(doc.data_limit) {}

    IslandCounts Decode(std::int64_t start);

  private:
    std::int64_t Read(int width, std::int64_t position) const {
        return ReadValue(file_, width, position);
    }
    bool Find(std::string_view tag, std::int64_t& position) const {
        return FindTagForward(file_, limit_, tag, position);
    }
    bool Find(std::string_view tag, std::int64_t& position, std::int64_t limit) const {
        return FindTagForward(file_, limit, tag, position);
    }
    // The bytes [position, position + count) of the file, checked once; throws when fewer exist.
    const std::uint8_t* Bytes(std::int64_t position, std::int64_t count) const;
    // How many whole items of `item_size` bytes from `position` lie in the file, up to `wanted`.
    std::int64_t ItemsAvailable(std::int64_t position, std::int64_t wanted, int item_size) const;
    [[noreturn]] void ThrowTruncated(std::int64_t position, const char* what) const;

    CellBlockHead ReadHead(std::int64_t tag) const;
    std::string ReadName(std::int64_t name_tag) const;
    void ReadHeader(std::int64_t& p, std::int64_t start);
    void ReadInfo(std::int64_t& p);
    std::int64_t ReadHeights(std::int64_t p);
    void ReadHeightBlock(std::int64_t tag, int block);
    void ReadName(std::int64_t p, bool savegame);
    void ReadGraphics(std::int64_t& p);
    void ReadGfxBlock(std::int64_t tag);
    void ReadTerrain(std::int64_t& p);
    void ReadEntries(std::int64_t tag, Layer<std::uint16_t>& element, Layer<std::uint16_t>& param);
    void ReadFertility(std::int64_t& p);
    std::int64_t ReadRivers();
    void ReadMines(std::int64_t p, std::int64_t quarry_block);
    void ReadObjects(std::int64_t p);
    void ReadAnimals(std::int64_t a);

    Document& doc_;
    const Definitions& definitions_;
    LogLines& log_;
    IslandCounts counts_;
    const GameFileBuffer& file_;
    IslandMap& island_;
    const std::int64_t limit_;
    std::array<std::array<std::int32_t, 256>, 4> high_byte_banks_{};
};

const std::uint8_t* Decoder::Bytes(std::int64_t position, std::int64_t count) const {
    if (position < 0 || count < 0 || position + count > file_.length()) {
        ThrowTruncated(position, "data");
    }
    return file_.bytes.data() + position;
}

std::int64_t Decoder::ItemsAvailable(std::int64_t position, std::int64_t wanted,
                                     int item_size) const {
    if (wanted <= 0 || position < 0) return 0;
    return std::min(wanted, std::max<std::int64_t>(0, (file_.length() - position) / item_size));
}

void Decoder::ThrowTruncated(std::int64_t position, const char* what) const {
    throw BoundsError(std::string("reading ") + what + " at file position " +
                      std::to_string(position) + ": the file ends before it");
}

CellBlockHead Decoder::ReadHead(std::int64_t tag) const {
    CellBlockHead head;
    head.tag = tag;
    // Rivers come in thousands of small blocks: the head is read with one bounds check where
    // it lies wholly in the file, with the same values and errors as the reads one by one.
    if (tag >= 0 && tag + 22 <= file_.length()) {
        const std::uint8_t* b = file_.bytes.data() + tag + 12;
        if (b[3] & 0x80) {
            head.length = Read(4, tag + 12);  // -1, or the overflow error
        } else {
            head.length = b[0] | b[1] << 8 | b[2] << 16 | static_cast<std::int64_t>(b[3]) << 24;
        }
        head.y0 = b[4] | b[5] << 8;
        head.x0 = b[6] | b[7] << 8;
        head.ny = b[8];
        head.nx = b[9];
        head.content = tag + 22;
        return head;
    }
    head.length = Read(4, tag + 12);
    head.y0 = static_cast<int>(Read(2, tag + 16));
    head.x0 = static_cast<int>(Read(2, tag + 18));
    head.ny = static_cast<int>(Read(1, tag + 20));
    head.nx = static_cast<int>(Read(1, tag + 21));
    head.content = tag + 22;
    return head;
}

std::string Decoder::ReadName(std::int64_t name_tag) const {
    const std::int64_t length = std::min<std::int64_t>(Read(1, name_tag + 12), kMaxNameLength);
    return ReadText(file_, name_tag + 16, length);
}

IslandCounts Decoder::Decode(std::int64_t start) {
    IslandRecord& record = island_.record;
    island_.kontorid_first = 2;
    island_.kontorid_second = 1;
    // A decode replaces the island, so its statistics start afresh.
    island_.series_usage.fill(0);
    island_.ClearBlockCounts();

    std::int64_t p = start;
    ReadHeader(p, start);
    ReadInfo(p);
    const std::int64_t g = ReadHeights(p);
    p = g - 2;

    const int width = record.width;
    const int height = record.height;
    counts_.width = width;
    counts_.height = height;

    ReadName(p, doc_.file_kind == FileKind::Savegame);
    counts_.cell_blocks = island_.cell_block_count;

    p -= 2;
    ReadGraphics(p);
    p -= 2;
    ReadTerrain(p);
    ReadFertility(p);
    const std::int64_t quarry_block = ReadRivers();
    ReadMines(p, quarry_block);

    std::int64_t a = p;
    Find("ANBAU", a);
    std::int64_t discover = a;
    const bool has_discover = Find("DISCOVER", discover) && discover < limit_ - 20;
    if (!has_discover) {
        // Island files without the savegame blocks carry no objects or animals.
        counts_.animals = 0;
        counts_.objects = 0;
        return counts_;
    }
    p = discover;
    if (Find("KONTORID", p) && p < limit_ - 10) {
        const std::int64_t first = Read(4, p + 12);
        const std::int64_t second = Read(2, p + 16);
        island_.kontorid_first = first != 0 ? static_cast<std::int32_t>(first) : 2;
        island_.kontorid_second = second != 0 ? static_cast<std::uint16_t>(second) : 1;
    }
    ReadObjects(p);
    ReadAnimals(a);
    return counts_;
}

void Decoder::ReadHeader(std::int64_t& p, std::int64_t start) {
    IslandRecord& record = island_.record;
    if (!Find("INSEL", p)) {
        throw FormatError("no island (INSEL block) in the file data from position " +
                          std::to_string(start) + " on");
    }
    record.start = p;
    // INSEL4 islands have no length field, so their fields lie 4 bytes earlier.
    const std::int64_t fields = Read(1, p + 5) == '4' ? p + 12 : p + 16;
    record.world_first = static_cast<std::uint16_t>(Read(2, fields));
    record.world_second = static_cast<std::uint16_t>(Read(2, fields + 2));
    record.width = static_cast<std::uint16_t>(Read(2, fields + 4));
    record.height = static_cast<std::uint16_t>(Read(2, fields + 6));
    record.number = static_cast<std::int32_t>(Read(2, fields + 8));
}

void Decoder::ReadInfo(std::int64_t& p) {
    IslandRecord& record = island_.record;
    if (Find("INFO", p)) {
        record.climate = static_cast<std::int32_t>(Read(1, p + 16));
        record.city_byte = static_cast<std::uint8_t>(Read(1, p + 17));
        record.people_byte = static_cast<std::uint8_t>(Read(1, p + 18));
        record.info_a = static_cast<std::int32_t>(Read(1, p + 21));
        record.block_figure = static_cast<std::uint16_t>(Read(2, p + 22));
        record.info_b = static_cast<std::int32_t>(Read(4, p + 24));
    }
    record.city_id = -1;
}

// Returns the position of the first GFXID block, which ends the height section.
std::int64_t Decoder::ReadHeights(std::int64_t p) {
    std::int64_t g = p;
    Find("GFXID", g);
    int blocks = 0;
    // Only blocks before the graphics count, so the search need not look beyond them.
    const std::int64_t end = std::min(g, limit_ - 50);
    while (Find("HEIGHT", p, end)) {
        ReadHeightBlock(p, blocks++);
        p += 5;
        if (p > g) break;
    }
    island_.cell_block_count = blocks;
    return g;
}

void Decoder::ReadHeightBlock(std::int64_t tag, int block) {
    const CellBlockHead head = ReadHead(tag);
    const std::int64_t count = head.length - 6;
    if (count <= 0) return;
    if (head.ny == 0) {
        throw FormatError("HEIGHT block at file position " + std::to_string(tag) +
                          " has cells but an extent of 0 along y");
    }
    if (block >= kLayerSide) {
        throw BoundsError("HEIGHT block at file position " + std::to_string(tag) +
                          " is cell block " + std::to_string(block) + ", beyond 1024");
    }
    island_.block_counts_used = std::max(island_.block_counts_used, block + 1);
    auto& counts = island_.block_height_counts[block];
    const std::int64_t available = ItemsAvailable(head.content, count, 1);
    const std::uint8_t* values = file_.bytes.data() + head.content;
    // Values run along y first: one column of ny cells per x. Columns inside the layer are
    // copied whole and counted together; a column reaching outside goes cell by cell.
    std::int64_t uncounted = 0;
    for (std::int64_t j0 = 0; j0 < available; j0 += head.ny) {
        const int x = head.x0 + static_cast<int>(j0 / head.ny);
        const int n = static_cast<int>(std::min<std::int64_t>(head.ny, available - j0));
        if (Layer<std::uint8_t>::InRange(x, head.y0) &&
            Layer<std::uint8_t>::InRange(x, head.y0 + n - 1)) {
            CopyColumn(island_.height.column(x) + head.y0, values + j0,
                       static_cast<std::size_t>(n));
            island_.height.NoteWritten(x + 1, head.y0 + n);
            continue;
        }
        AddToHistogram(values + uncounted, j0 - uncounted, counts.data());
        uncounted = j0 + n;
        for (int k = 0; k < n; ++k) {
            island_.height.set(x, head.y0 + k, values[j0 + k]);
            ++counts[values[j0 + k]];
        }
    }
    AddToHistogram(values + uncounted, available - uncounted, counts.data());
    if (available < count) ThrowTruncated(head.content + available, "HEIGHT values");
}

void Decoder::ReadName(std::int64_t p, bool savegame) {
    if (!savegame) return;
    IslandRecord& record = island_.record;
    std::int64_t e = p;
    Find("EVENTINSEL", e);
    std::int64_t n = p;
    record.name = Find("NAME", n, e) ? ReadName(n) : "No name";
    if (record.name.find("VENE") != std::string::npos) record.climate = 6;
}

void Decoder::ReadGraphics(std::int64_t& p) {
    for (auto& bank : high_byte_banks_) bank.fill(0);
    for (int i = 0; i < island_.cell_block_count; ++i) {
        if (!Find("GFXID", p)) break;
        ReadGfxBlock(p);
        p += 5;
    }
    auto& usage = island_.series_usage;
    std::int32_t total = 0;
    for (int s = 0; s < kSeriesCount - 1; ++s) total += usage[s];
    usage[kSeriesCount - 1] += total;
}

void Decoder::ReadGfxBlock(std::int64_t tag) {
    const CellBlockHead head = ReadHead(tag);
    const std::int64_t count = (head.length - 6) / 2;
    if (count <= 0) return;
    if (head.ny == 0) {
        throw FormatError("GFXID block at file position " + std::to_string(tag) +
                          " has cells but an extent of 0 along y");
    }
    const std::int64_t available = ItemsAvailable(head.content, count, 2);
    const std::uint8_t* bytes = file_.bytes.data() + head.content;
    auto& usage = island_.series_usage;
    int banked_low = 256, banked_high = -1;  // the high bytes counted in the banks
    for (std::int64_t j0 = 0; j0 < available; j0 += head.ny) {
        const int x = head.x0 + static_cast<int>(j0 / head.ny);
        const int n = static_cast<int>(std::min<std::int64_t>(head.ny, available - j0));
        // The whole column is checked once; a column reaching outside goes cell by cell.
        const bool inside = Layer<std::uint16_t>::InRange(x, head.y0) &&
                            Layer<std::uint16_t>::InRange(x, head.y0 + n - 1);
        std::uint16_t* column = inside ? island_.gfx.column(x) + head.y0 : nullptr;
        const std::uint8_t* words = bytes + 2 * j0;
        if (inside && std::endian::native == std::endian::little) {
            // Without a bad series code the column is copied whole and its series counted by
            // high byte, in banks that the end of the block turns into series counts.
            const auto [lowest, highest] = HighByteRange(words, n);
            if (highest - 11 <= kSeriesCount - 1) {
                CopyColumn(column, words, 2 * static_cast<std::size_t>(std::max(n, 0)));
                banked_low = std::min<int>(banked_low, lowest);
                banked_high = std::max<int>(banked_high, highest);
                if (lowest == highest) {
                    high_byte_banks_[0][highest] += n;  // one series down the whole column
                } else {
                    auto& banks = high_byte_banks_;
                    int k = 0;
                    for (; k + 4 <= n; k += 4) {
                        ++banks[0][words[2 * k + 1]];
                        ++banks[1][words[2 * k + 3]];
                        ++banks[2][words[2 * k + 5]];
                        ++banks[3][words[2 * k + 7]];
                    }
                    for (; k < n; ++k) ++banks[0][words[2 * k + 1]];
                }
                island_.gfx.NoteWritten(x + 1, head.y0 + n);
                continue;
            }
        }
        for (int k = 0; k < n; ++k) {
            const std::uint8_t* b = bytes + 2 * (j0 + k);
            std::uint16_t value = static_cast<std::uint16_t>(b[0] | (b[1] << 8));
            int series = std::max(0, (value >> 8) - 11);
            if (series > kSeriesCount - 1) {
                log_.push_back("Insel " + island_.record.name + "  Fehlerhafte GFXStruktur bei " +
                               std::to_string(x) + ", " + std::to_string(head.y0 + k) +
                               "  Bitmapwert " + std::to_string(series));
                value = 0;
                series = 0;
            }
            if (inside) {
                column[k] = value;
            } else {
                island_.gfx.set(x, head.y0 + k, value);
            }
            ++usage[series];
        }
        if (inside) island_.gfx.NoteWritten(x + 1, head.y0 + n);
    }
    for (int high = banked_low; high <= banked_high; ++high) {
        const std::int32_t cells = high_byte_banks_[0][high] + high_byte_banks_[1][high] +
                                   high_byte_banks_[2][high] + high_byte_banks_[3][high];
        if (cells != 0) usage[std::max(0, high - 11)] += cells;
        for (auto& bank : high_byte_banks_) bank[high] = 0;
    }
    if (available < count) ThrowTruncated(head.content + 2 * available, "GFXID values");
}

void Decoder::ReadTerrain(std::int64_t& p) {
    island_.terrain.Clear();
    for (int i = 0; i < island_.cell_block_count; ++i) {
        if (!Find("GELAENDE", p)) break;
        ReadEntries(p, island_.terrain, island_.terrain_param);
        p += 10;
    }
}

// GELAENDE and FLUESSE entries: word element, word parameter, byte y offset, byte x offset.
void Decoder::ReadEntries(std::int64_t tag, Layer<std::uint16_t>& element,
                          Layer<std::uint16_t>& param) {
    const CellBlockHead head = ReadHead(tag);
    const std::int64_t count = (head.length - 6) / 6;
    const std::int64_t available = ItemsAvailable(head.content, count, 6);
    const std::uint8_t* e = file_.bytes.data() + head.content;
    // Each cell is tested against the layers' side only; the part of the layers written is
    // noted once per block, or before the checked write that reports a cell outside.
    int x_end = 0, y_end = 0;
    auto note = [&] {
        element.NoteWritten(x_end, y_end);
        param.NoteWritten(x_end, y_end);
    };
    const EntryTarget target{element.column(0), param.column(0), head.x0, head.y0};
    const std::int64_t done =
        ReadEntriesWide(target, e, available, file_.bytes.data() + file_.length(), x_end, y_end);
    e += 6 * done;
    for (std::int64_t i = done; i < available; ++i, e += 6) {
        const int x = head.x0 + e[5];
        const int y = head.y0 + e[4];
        const auto value = static_cast<std::uint16_t>(e[0] | (e[1] << 8));
        const auto parameter = static_cast<std::uint16_t>(e[2] | (e[3] << 8));
        if (x >= kLayerSide || y >= kLayerSide) {
            note();
            element.set(x, y, value);  // throws the bounds error
        }
        element.column(x)[y] = value;
        param.column(x)[y] = parameter;
        x_end = std::max(x_end, x + 1);
        y_end = std::max(y_end, y + 1);
    }
    note();
    if (available < count) ThrowTruncated(head.content + 6 * available, "element entries");
}

void Decoder::ReadFertility(std::int64_t& p) {
    if (!Find("FRUCHTBAR", p)) return;
    const std::int64_t count = Read(4, p + 12);
    if (count <= 0) return;
    const int width = island_.record.width;
    if (width == 0) {
        throw FormatError("FRUCHTBAR block at file position " + std::to_string(p) +
                          " has cells but the island is 0 cells wide");
    }
    const std::int64_t available = ItemsAvailable(p + 16, count, 1);
    const std::uint8_t* bytes = file_.bytes.data() + p + 16;
    // Byte i is cell (i div width, i mod width): one run of `width` cells per x.
    for (std::int64_t row = 0; row * width < available; ++row) {
        const std::int64_t x = row;
        const std::int64_t n = std::min<std::int64_t>(width, available - row * width);
        const std::int64_t first_block = island_.BlockOf(x, 0);
        const std::int64_t last_block = first_block + (n - 1) / kBlockSide;
        const bool inside = Layer<std::uint16_t>::InRange(x, 0) &&
                            Layer<std::uint16_t>::InRange(x, n - 1) && last_block < kLayerSide;
        if (!inside) {
            for (std::int64_t y = 0; y < n; ++y) {
                const std::uint16_t value = std::min<std::uint16_t>(bytes[row * width + y], 10);
                island_.fertility.set(x, y, value);
                const std::int64_t block = first_block + y / kBlockSide;
                if (block >= kLayerSide) {
                    throw BoundsError("fertility of cell (" + std::to_string(x) + ", " +
                                      std::to_string(y) + ") falls in cell block " +
                                      std::to_string(block) + ", beyond 1024");
                }
                island_.block_counts_used =
                    std::max(island_.block_counts_used, static_cast<int>(block) + 1);
                ++island_.block_fertility_counts[block][value];
            }
            continue;
        }
        std::uint16_t* column = island_.fertility.column(static_cast<int>(x));
        const std::uint8_t* values = bytes + row * width;
        for (std::int64_t y0 = 0; y0 < n; y0 += kBlockSide) {
            const std::int64_t y1 = std::min<std::int64_t>(y0 + kBlockSide, n);
            auto& counts = island_.block_fertility_counts[first_block + y0 / kBlockSide];
            if (AllEqual(values + y0, y1 - y0)) {
                // Whole stretches of one fertility (the sea) are the rule.
                const std::uint16_t value = std::min<std::uint16_t>(values[y0], 10);
                FillValues(column + y0, static_cast<std::size_t>(y1 - y0), value);
                counts[value] += static_cast<std::int32_t>(y1 - y0);
                continue;
            }
            const int stretch = static_cast<int>(y1 - y0);
#if defined(__x86_64__) && defined(__GNUC__)
            if (cpu::Avx512Vl()) {
                ClampAndCountFertilityWide(values + y0, stretch, column + y0, counts);
                continue;
            }
#endif
            ClampAndCountFertility(values + y0, stretch, column + y0, counts);
        }
        island_.fertility.NoteWritten(static_cast<int>(x) + 1, static_cast<int>(n));
        island_.block_counts_used =
            std::max(island_.block_counts_used, static_cast<int>(last_block) + 1);
    }
    if (available < count) ThrowTruncated(p + 16 + available, "FRUCHTBAR values");
}

// Rivers are the FLUESSE blocks between the island's start and its BERGWERK2 block.
// Returns the position of that BERGWERK2 block (the data limit without one).
std::int64_t Decoder::ReadRivers() {
    island_.river.Clear();
    island_.river_param.Clear();
    const std::int64_t start = island_.record.start;
    std::int64_t m = start;
    Find("BERGWERK2", m);
    std::int64_t q = start;
    while (Find("FLUESSE", q, m)) {
        ReadEntries(q, island_.river, island_.river_param);
        q += 10;
        if (q > m) break;
    }
    return m;
}

// `quarry_block` is the first BERGWERK2 at or after the island's start, so a search from a
// position between the two ends there.
void Decoder::ReadMines(std::int64_t p, std::int64_t quarry_block) {
    island_.quarry_spots.clear();
    island_.mines.clear();
    std::int64_t r = p;
    std::int64_t spots = 0;
    const bool known = p >= island_.record.start && p <= quarry_block;
    const bool found = known ? quarry_block < limit_ : Find("BERGWERK2", r);
    if (known) r = quarry_block;
    if (found) spots = Read(2, r + 12) / 12;
    counts_.quarry_spots = spots;
    for (std::int64_t i = 0; i < spots; ++i) {
        if (!Find("ENTRY", r)) break;
        const std::uint8_t* b = Bytes(r + 8, 4);
        MineRecord spot;
        spot.y = b[0] + 256u * (b[1] % 4);
        spot.x = (b[1] / 16u) + 16u * b[2];
        spot.x_band = b[2];
        spot.orientation = b[3];
        island_.quarry_spots.push_back(spot);
        r += 5;
    }
    if (Find("OCCUR", r)) {
        const std::int64_t end = r + Read(2, r + 12);
        // Whale marks are looked for within each record; one cursor keeps that linear.
        TagCursors whales(file_, -1, {"WHALE"});
        // A record at or beyond the block's end is not read, so the search stops there.
        while (Find("ENTRY2", r, std::min(end, limit_))) {
            const std::int64_t n = Read(2, r + 6);
            MineRecord mine;
            std::int64_t whale = r;
            mine.whale = whales.Find(0, whale) && whale < EffectiveLimit(file_, r + n + 6) ? 1 : 0;
            mine.building_id = static_cast<std::int32_t>(Read(4, r + 8));
            mine.y = static_cast<std::uint32_t>(Read(4, r + 12));
            mine.x = static_cast<std::uint32_t>(Read(4, r + 16));
            mine.symbol_value = static_cast<std::uint32_t>(Read(4, r + 20));
            mine.symbol_elevation = static_cast<std::int32_t>(mine.symbol_value >> 16) - 16384;
            if (n > 16) {
                mine.treasure = static_cast<std::int32_t>(Read(4, r + 24));
                mine.visible = static_cast<std::uint8_t>(Read(1, r + 28));
            }
            island_.mines.push_back(mine);
            r += 5;
        }
    }
    counts_.mines = static_cast<std::int64_t>(island_.mines.size());
}

void Decoder::ReadObjects(std::int64_t p) {
    if (p > limit_ - 10) return;
    std::unordered_set<std::int64_t> occupied;
    std::int64_t count = 0;
    for (int i = 0; i < island_.cell_block_count; ++i) {
        if (!Find("PROD2", p)) break;
        const CellBlockHead head = ReadHead(p);
        const std::int64_t entries = (head.length - 6) / 6;
        const std::int64_t available = ItemsAvailable(head.content, entries, 6);
        const std::uint8_t* e = file_.bytes.data() + head.content;
        for (std::int64_t k = 0; k < available; ++k, e += 6) {
            ObjectEntry object;
            object.island = island_.record.number;
            object.id_word = static_cast<std::uint16_t>(e[0] | (e[1] << 8));
            object.graphic_id = object.id_word & 0x3FFF;
            object.orientation = static_cast<std::uint8_t>(object.id_word >> 14);
            object.file_position = static_cast<std::int32_t>(head.content + 6 * k);
            object.parameter = static_cast<std::uint16_t>(e[2] | (e[3] << 8));
            object.x = head.x0 + e[5];
            object.y = head.y0 + e[4];
            const ObjectSize size =
                LookupObjectSize(definitions_, object.graphic_id, object.orientation, 0);
            object.width = static_cast<std::uint16_t>(size.width);
            object.height = static_cast<std::uint16_t>(size.height);
            object.definition = static_cast<std::uint16_t>(size.definition);
            ++count;
            // Of several objects on one cell only the first is kept.
            if (occupied.insert((static_cast<std::int64_t>(object.x) << 32) | object.y).second) {
                island_.objects.push_back(object);
            }
        }
        if (available < entries) ThrowTruncated(head.content + 6 * available, "PROD2 entries");
        p += 10;
    }
    counts_.objects = count;
}

void Decoder::ReadAnimals(std::int64_t a) {
    std::int64_t h = a;
    std::int64_t count = 0;
    if (Find("HIRSCH", h) && h < limit_ - 30) {
        count = std::max<std::int64_t>(0, Read(4, h + 12) / 8);
        const std::int64_t available = ItemsAvailable(h + 16, count, 8);
        const std::uint8_t* w = file_.bytes.data() + h + 16;
        for (std::int64_t i = 0; i < available; ++i, w += 8) {
            AnimalEntry animal;
            animal.second = static_cast<std::uint16_t>(w[0] | (w[1] << 8));
            animal.first = static_cast<std::uint16_t>(w[2] | (w[3] << 8));
            animal.third = static_cast<std::uint16_t>(w[4] | (w[5] << 8));
            animal.fourth = static_cast<std::uint16_t>(w[6] | (w[7] << 8));
            island_.animals.push_back(animal);
        }
        if (available < count) ThrowTruncated(h + 16 + 8 * available, "HIRSCH animals");
    }
    counts_.animals = count;
}

std::string NameFromPath(const std::string& file_name) {
    return Utf8ToCp1252(file_name).substr(0, kMaxNameLength);
}

// The savegame walk: every STADT2 record is a city; its island is decoded and its buildings
// read. Cities mostly follow their island, so an island decoded for the city before is not
// decoded again (its log lines are repeated); its objects also keep the marketplace points
// the earlier cities gave them, which a fresh decode would lose.
void WalkCities(Document& doc, const Definitions& definitions, Status& status, std::int64_t p) {
    const std::int64_t limit = doc.data_limit - 50;
    std::int64_t decoded_from = -1;
    std::vector<std::string> decode_log;
    LogLines& memo2 = status.memo2;
    while (true) {
        const bool found = FindTagForward(doc.file, doc.data_limit, "STADT2", p) && p < limit;
        if (found) {
            const std::int64_t s = p;
            const CityRecord& city = CreateCityRecord(doc, s);
            FindIslandOfCity(doc, city.abs_first, city.abs_second);
            const std::int64_t start = doc.island.record.start;
            if (start == decoded_from) {
                memo2.insert(memo2.end(), decode_log.begin(), decode_log.end());
            } else {
                doc.island.FreeLists();
                const std::size_t before = memo2.size();
                decoded_from = -1;
                DecodeIsland(doc, definitions, memo2, start);
                decoded_from = start;
                decode_log.assign(memo2.begin() + static_cast<std::ptrdiff_t>(before), memo2.end());
            }
            DecodeCityBuildings(doc, status, s);
        }
        p += 10;
        if (p > limit) break;
    }
}

// The steps of a load before the file is read.
void PrepareLoad(Document& doc, const std::string& file_name) {
    doc.city_list.clear();
    doc.cities.Clear();
    doc.ClearIsland(false);
    doc.file_name = NameFromPath(file_name);
}

LoadSummary FinishLoad(Document& doc, const Definitions& definitions, Status& status,
                       const LoadedFileInfo& info, const std::string& file_name) {
    IslandRecord& record = doc.island.record;
    doc.file_size = info.size;
    doc.data_limit = info.data_limit;
    doc.addon_level = info.addon_level;
    LoadSummary summary;
    summary.file_size = info.size;
    summary.addon_level = info.addon_level;
    summary.name = doc.file_name;
    record.name = doc.file_name;

    record.buffer = 2;
    std::int64_t start = 0;
    FindTagForward(doc.file, -1, "INSEL", start);
    record.start = start;
    record.data_limit = doc.data_limit;
    doc.loaded = true;

    const std::int64_t last_info = ListIslands(doc);
    summary.island = DecodeIsland(doc, definitions, status.memo2, 0);

    if (doc.file_kind == FileKind::Island) {
        summary.message = DecodeIslandFileCities(doc, status, file_name);
    } else {
        WalkCities(doc, definitions, status, last_info);
    }
    summary.cities = static_cast<std::int64_t>(doc.city_list.size());
    if (doc.file_kind == FileKind::Island || doc.file_kind == FileKind::City) {
        AssignObjectsToCities(doc, status.memo3);
    } else {
        // The city walk leaves other islands decoded; end on the file's first island.
        doc.island.FreeLists();
        summary.island = DecodeIsland(doc, definitions, status.memo2, 0);
    }
    record.city_id = static_cast<std::int32_t>(summary.cities);
    return summary;
}

}  // namespace

IslandCounts DecodeIsland(Document& doc, const Definitions& definitions, LogLines& log,
                          std::int64_t start) {
    return Decoder(doc, definitions, log).Decode(start);
}

LoadSummary LoadIsland(Document& doc, const Definitions& definitions, Status& status,
                       const std::filesystem::path& path) {
    const std::string file_name = path.filename().string();
    PrepareLoad(doc, file_name);
    const LoadedFileInfo info = LoadGameFile(doc.file, path);
    return FinishLoad(doc, definitions, status, info, file_name);
}

LoadSummary LoadIslandFromBytes(Document& doc, const Definitions& definitions, Status& status,
                                std::span<const std::uint8_t> bytes, const std::string& file_name) {
    PrepareLoad(doc, file_name);
    const LoadedFileInfo info = LoadGameBytes(doc.file, bytes);
    return FinishLoad(doc, definitions, status, info, file_name);
}

}  // namespace insel
