#pragma once
// Kernels over runs of cell values as the layers and the files hold them: tests, counts and
// narrowing. Each runs on the active tier; the ...Portable versions are the plain loops.
#include <array>
#include <cstdint>
#include <utility>

namespace insel::simd {

// Whether the `n` bytes from `values` are all the same.
bool AllEqual(const std::uint8_t* values, std::int64_t n);

// Adds the `n` bytes from `values` to the 256 counts by value.
void AddToHistogram(const std::uint8_t* values, std::int64_t n, std::int32_t* counts);

// The lowest and highest high byte of `n` little-endian words (0 and 0 for none).
std::pair<std::uint8_t, std::uint8_t> HighByteRange(const std::uint8_t* words, int n);

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

}  // namespace insel::simd
