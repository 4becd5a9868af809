#include "core/simd/cell_values.h"

#include <algorithm>
#include <bit>
#include <cstring>

#include "core/simd/tier.h"

#if defined(__x86_64__) && defined(__GNUC__)
#include <immintrin.h>
#define INSEL_X86 1
#endif

namespace insel::simd {

// Blocks of 32 are compared whole: the sea is long runs of one value.
bool AllEqual(const std::uint8_t* values, std::int64_t n) {
    if (n <= 0) return true;
    const std::uint8_t first = values[0];
    std::int64_t k = 0;
    for (; k + 32 <= n; k += 32) {
        std::uint8_t differs = 0;
        for (int i = 0; i < 32; ++i) differs |= values[k + i] ^ first;
        if (differs != 0) return false;
    }
    for (; k < n; ++k) {
        if (values[k] != first) return false;
    }
    return true;
}

// Stretches of one value (the sea) are added whole; elsewhere every other byte goes to a
// second bank, so that neighbours of equal height (the rule on land) do not wait on each
// other's increments.
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

#if defined(__GNUC__)
namespace {

// Sixteen bytes per step in vectors of the compiler's own (SSE2, NEON, ...); a compare gives
// all ones in the lanes where it holds.
using Bytes16 = std::uint8_t __attribute__((vector_size(16)));
using Mask16 = std::int8_t __attribute__((vector_size(16)));

inline Bytes16 LoadBytes16(const std::uint8_t* at) {
    Bytes16 v;
    std::memcpy(&v, at, sizeof v);
    return v;
}

// The sum of the lanes, each at most 4.
inline int SumSmallLanes(Mask16 lanes) {
    std::uint64_t halves[2];
    std::memcpy(halves, &lanes, sizeof halves);
    return static_cast<int>(((halves[0] + halves[1]) * 0x0101010101010101ull) >> 56);
}

}  // namespace
#endif

// A whole column is counted with a compare per value: a count per cell would wait on the
// previous cell's count whenever neighbours agree, as they mostly do.
void ClampAndCountFertilityPortable(const std::uint8_t* values, int n, std::uint16_t* column,
                                    std::array<std::int32_t, 11>& counts) {
#if defined(__GNUC__)
    if (n == 32) {
        for (int y = 0; y < 32; ++y) column[y] = std::min<std::uint8_t>(values[y], 10);
        const Bytes16 ten = Bytes16{} + 10;
        Bytes16 low = LoadBytes16(values), high = LoadBytes16(values + 16);
        low = low < ten ? low : ten;
        high = high < ten ? high : ten;
        int counted = 0;
        for (int value = 0; value < 10; ++value) {
            const auto v = static_cast<std::uint8_t>(value);
            const int hits = SumSmallLanes(-((low == v) + (high == v)));
            counts[static_cast<std::size_t>(value)] += hits;
            counted += hits;
        }
        counts[10] += 32 - counted;
        return;
    }
#endif
    for (int y = 0; y < n; ++y) {
        const std::uint16_t value = std::min<std::uint16_t>(values[y], 10);
        column[y] = value;
        ++counts[value];
    }
}

int NextNonZero(const std::uint16_t* values, int from, int to) {
    if (from < to && values[from] != 0) return from;  // the rule where the layer is full
    int at = from;
    for (; at + 16 <= to; at += 16) {
        std::uint16_t any = 0;
        for (int k = 0; k < 16; ++k) any |= values[at + k];
        if (any != 0) break;
    }
    while (at < to && values[at] == 0) ++at;
    return at;
}

// Blocks of 64 values are tested whole, in vectors joined into one word test: the wanted
// value is rare.
int NextEqualPortable(const std::uint16_t* values, int from, int to, std::uint16_t wanted) {
    int at = from;
#if defined(__GNUC__)
    for (; at + 64 <= to; at += 64) {
        using Mask8 = std::int16_t __attribute__((vector_size(16)));  // what a compare gives
        Mask8 hits{};
        for (int k = 0; k < 64; k += 8) {
            Words8 chunk;
            std::memcpy(&chunk, values + at + k, sizeof chunk);
            hits |= chunk == wanted;
        }
        std::uint64_t halves[2];
        std::memcpy(halves, &hits, sizeof halves);
        if ((halves[0] | halves[1]) != 0) break;
    }
#endif
    for (; at + 32 <= to; at += 32) {
        std::uint16_t hits = 0;
        for (int k = 0; k < 32; ++k) hits |= values[at + k] == wanted;
        if (hits != 0) break;
    }
    while (at < to && values[at] != wanted) ++at;
    return at;
}

std::uint16_t NarrowBytes(const std::uint16_t* values, std::int64_t count, std::uint8_t* out) {
    std::uint16_t largest = 0;
    for (std::int64_t i = 0; i < count; ++i) {
        largest = std::max(largest, values[i]);
        out[i] = static_cast<std::uint8_t>(values[i]);
    }
    return largest;
}

void ReplaceEqualPortable(std::uint8_t* values, int n, std::uint8_t from, std::uint8_t to) {
    for (int k = 0; k < n; ++k) values[k] = values[k] == from ? to : values[k];
}

// Counted in lanes as wide as the values, a loop without branches the compiler vectorises.
int ReplaceHighBytePortable(std::uint16_t* values, int n, std::uint8_t from, std::uint8_t to) {
    const auto old_high = static_cast<std::uint16_t>(from << 8);
    const auto new_high = static_cast<std::uint16_t>(to << 8);
    int replaced = 0;
    for (int first = 0; first < n; first += 0x8000) {
        const int end = n - first < 0x8000 ? n : first + 0x8000;
        std::uint16_t hits = 0;
        for (int k = first; k < end; ++k) {
            const bool match = (values[k] & 0xFF00) == old_high;
            values[k] = match ? static_cast<std::uint16_t>(new_high | (values[k] & 0xFF)) : values[k];
            hits = static_cast<std::uint16_t>(hits + match);
        }
        replaced += hits;
    }
    return replaced;
}

#ifdef INSEL_X86
namespace {

// One compare and one masked store per 32 values: only the replaced ones are written.
__attribute__((target("avx512f,avx512bw,popcnt"))) int ReplaceHighByte32(std::uint16_t* values,
                                                                         __mmask32 live, __m512i v,
                                                                         __m512i wanted,
                                                                         __m512i with) {
    const __m512i high = _mm512_set1_epi16(static_cast<short>(0xFF00));
    const __mmask32 hits = _mm512_mask_cmpeq_epi16_mask(live, _mm512_and_si512(v, high), wanted);
    _mm512_mask_storeu_epi16(values, hits, _mm512_or_si512(_mm512_andnot_si512(high, v), with));
    return std::popcount(_cvtmask32_u32(hits));
}

__attribute__((target("avx512f,avx512bw,popcnt"))) int ReplaceHighByteAvx512(
    std::uint16_t* values, int n, std::uint8_t from, std::uint8_t to) {
    const __m512i wanted = _mm512_set1_epi16(static_cast<short>(from << 8));
    const __m512i with = _mm512_set1_epi16(static_cast<short>(to << 8));
    int replaced = 0, first = 0;
    for (; first + 32 <= n; first += 32) {
        replaced += ReplaceHighByte32(values + first, _cvtu32_mask32(~0u),
                                      _mm512_loadu_si512(values + first), wanted, with);
    }
    if (first < n) {
        const __mmask32 live = _cvtu32_mask32((1u << (n - first)) - 1);
        replaced += ReplaceHighByte32(values + first, live,
                                      _mm512_maskz_loadu_epi16(live, values + first), wanted, with);
    }
    return replaced;
}

// One compare and one masked store per 64 values: only the replaced ones are written.
__attribute__((target("avx512f,avx512bw"))) void ReplaceEqualAvx512(std::uint8_t* values, int n,
                                                                    std::uint8_t from,
                                                                    std::uint8_t to) {
    const __m512i wanted = _mm512_set1_epi8(static_cast<char>(from));
    const __m512i with = _mm512_set1_epi8(static_cast<char>(to));
    int first = 0;
    for (; first + 64 <= n; first += 64) {
        const __mmask64 hits = _mm512_cmpeq_epi8_mask(_mm512_loadu_si512(values + first), wanted);
        _mm512_mask_storeu_epi8(values + first, hits, with);
    }
    if (first < n) {
        const __mmask64 live = _cvtu64_mask64((1ull << (n - first)) - 1);
        const __mmask64 hits = _mm512_mask_cmpeq_epi8_mask(
            live, _mm512_maskz_loadu_epi8(live, values + first), wanted);
        _mm512_mask_storeu_epi8(values + first, hits, with);
    }
}

// A compare per value over the whole column instead of a count per cell.
__attribute__((target("avx512f,avx512bw,avx512vl,popcnt"))) void ClampAndCountFertilityAvx512(
    const std::uint8_t* values, int n, std::uint16_t* column,
    std::array<std::int32_t, 11>& counts) {
    const auto live = static_cast<__mmask32>(n >= 32 ? ~0u : (1u << n) - 1u);
    const __m256i capped =
        _mm256_min_epu8(_mm256_maskz_loadu_epi8(live, values), _mm256_set1_epi8(10));
    _mm512_mask_storeu_epi16(column, live, _mm512_cvtepu8_epi16(capped));
    int counted = 0;
    for (int value = 0; value < 10; ++value) {
        const int hits = std::popcount(static_cast<std::uint32_t>(
            _mm256_mask_cmpeq_epi8_mask(live, capped, _mm256_set1_epi8(static_cast<char>(value)))));
        counts[static_cast<std::size_t>(value)] += hits;
        counted += hits;
    }
    counts[10] += n - counted;
}

// 64 values per test.
__attribute__((target("avx512f,avx512bw"))) int NextEqualAvx512(const std::uint16_t* values,
                                                                int from, int to,
                                                                std::uint16_t wanted) {
    const __m512i pattern = _mm512_set1_epi16(static_cast<short>(wanted));
    int at = from;
    for (; at + 64 <= to; at += 64) {
        const __mmask32 low = _mm512_cmpeq_epi16_mask(_mm512_loadu_si512(values + at), pattern);
        const __mmask32 high =
            _mm512_cmpeq_epi16_mask(_mm512_loadu_si512(values + at + 32), pattern);
        if ((_cvtmask32_u32(low) | _cvtmask32_u32(high)) != 0) break;
    }
    while (at < to && values[at] != wanted) ++at;
    return at;
}

}  // namespace
#endif

void ClampAndCountFertility(const std::uint8_t* values, int n, std::uint16_t* column,
                            std::array<std::int32_t, 11>& counts) {
#ifdef INSEL_X86
    if (Avx512()) return ClampAndCountFertilityAvx512(values, n, column, counts);
#endif
    ClampAndCountFertilityPortable(values, n, column, counts);
}

void ReplaceEqual(std::uint8_t* values, int n, std::uint8_t from, std::uint8_t to) {
#ifdef INSEL_X86
    if (Avx512()) return ReplaceEqualAvx512(values, n, from, to);
#endif
    ReplaceEqualPortable(values, n, from, to);
}

int ReplaceHighByte(std::uint16_t* values, int n, std::uint8_t from, std::uint8_t to) {
#ifdef INSEL_X86
    if (Avx512()) return ReplaceHighByteAvx512(values, n, from, to);
#endif
    return ReplaceHighBytePortable(values, n, from, to);
}

int NextEqual(const std::uint16_t* values, int from, int to, std::uint16_t wanted) {
#ifdef INSEL_X86
    if (Avx512()) return NextEqualAvx512(values, from, to, wanted);
#endif
    return NextEqualPortable(values, from, to, wanted);
}

}  // namespace insel::simd
