#pragma once
// Kernels over runs of cell values as the layers and the files hold them: tests, counts and
// narrowing. Each runs on the active tier; the ...Portable versions are the plain loops.
#include <algorithm>
#include <array>
#include <bit>
#include <cstdint>
#include <cstring>
#include <utility>

namespace insel::simd {

// Whether the `n` bytes from `values` are all the same.
bool AllEqual(const std::uint8_t* values, std::int64_t n);

// Adds the `n` bytes from `values` to the 256 counts by value.
void AddToHistogram(const std::uint8_t* values, std::int64_t n, std::int32_t* counts);

// The lowest and highest high byte of `n` little-endian words (0 and 0 for none). Inline: the
// loader asks for every column of 32 cells, where a call would cost as much as the work.
inline std::pair<std::uint8_t, std::uint8_t> HighByteRange(const std::uint8_t* words, int n);

// Fertility bytes of one column of a cell block (at most 32) into the layer, capped at 10, and
// counted by value.
void ClampAndCountFertility(const std::uint8_t* values, int n, std::uint16_t* column,
                            std::array<std::int32_t, 11>& counts);
void ClampAndCountFertilityPortable(const std::uint8_t* values, int n, std::uint16_t* column,
                                    std::array<std::int32_t, 11>& counts);

// The first index in [from, to) whose value is not 0, or `to`.
int NextNonZero(const std::uint16_t* values, int from, int to);

// The first index in [from, to) whose value is `wanted`, or `to`.
int NextEqual(const std::uint16_t* values, int from, int to, std::uint16_t wanted);
int NextEqualPortable(const std::uint16_t* values, int from, int to, std::uint16_t wanted);

// Sets each of the `n` values that equals `from` to `to`.
void ReplaceEqual(std::uint8_t* values, int n, std::uint8_t from, std::uint8_t to);
void ReplaceEqualPortable(std::uint8_t* values, int n, std::uint8_t from, std::uint8_t to);

// Sets the high byte of each of the `n` values whose high byte is `from` to `to`; returns how
// many it set.
int ReplaceHighByte(std::uint16_t* values, int n, std::uint8_t from, std::uint8_t to);
int ReplaceHighBytePortable(std::uint16_t* values, int n, std::uint8_t from, std::uint8_t to);

// The low bytes of `count` values into `out`; returns the largest value.
std::uint16_t NarrowBytes(const std::uint16_t* values, std::int64_t count, std::uint8_t* out);

// Asks for the cache line at `address` ahead of its use.
inline void Prefetch(const void* address) {
#if defined(__GNUC__)
    __builtin_prefetch(address);
#else
    (void)address;
#endif
}

#if defined(__GNUC__)
// Eight words per step in a 16-byte vector of the compiler's own (SSE2, NEON, ...).
using Words8 = std::uint16_t __attribute__((vector_size(16)));

inline Words8 LoadWords8(const std::uint8_t* words) {
    Words8 chunk;
    std::memcpy(&chunk, words, sizeof chunk);
    if constexpr (std::endian::native == std::endian::big)
        chunk = (chunk >> 8) | (chunk << 8);  // the file's words are little-endian
    return chunk;
}

inline bool AnyLane(Words8 v) {
    std::uint64_t halves[2];
    std::memcpy(halves, &v, sizeof halves);
    return (halves[0] | halves[1]) != 0;
}
#endif

inline std::pair<std::uint8_t, std::uint8_t> HighByteRange(const std::uint8_t* words, int n) {
    if (n <= 0) return {0, 0};
    std::uint8_t low = words[1], high = words[1];
    int k = 0;
#if defined(__GNUC__)
    // A column of one series, the rule, is found with one compare per step.
    const Words8 first = Words8{} + words[1];
    Words8 differs{};
    for (; k + 8 <= n; k += 8) differs |= (LoadWords8(words + 2 * k) >> 8) ^ first;
    if (!AnyLane(differs)) {
        k = n - n % 8;
    } else {
        Words8 lows = first, highs = first;
        for (k = 0; k + 8 <= n; k += 8) {
            const Words8 chunk = LoadWords8(words + 2 * k) >> 8;
            lows = chunk < lows ? chunk : lows;
            highs = chunk > highs ? chunk : highs;
        }
        for (int i = 0; i < 8; ++i) {
            low = std::min(low, static_cast<std::uint8_t>(lows[i]));
            high = std::max(high, static_cast<std::uint8_t>(highs[i]));
        }
    }
#endif
    for (; k < n; ++k) {
        low = std::min(low, words[2 * k + 1]);
        high = std::max(high, words[2 * k + 1]);
    }
    return {low, high};
}

}  // namespace insel::simd
