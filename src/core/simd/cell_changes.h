#pragma once
// Bit masks over a column of cells, 64 cells to a word: which cells a change touched, and where
// a run of equal values ends. The edit history finds a step's changes and counts its cells by
// them. Each runs on the active tier; the ...Portable versions are the plain loops.
#include <cstdint>

namespace insel::simd {

// Words a mask of `n` cells takes.
constexpr int MaskWords(int n) { return (n + 63) / 64; }

// The bits of mask word `word` that stand for cells below `n`.
constexpr std::uint64_t LiveBits(int n, int word) {
    const int live = n - 64 * word;
    if (live >= 64) return ~std::uint64_t{0};
    return live <= 0 ? 0 : (std::uint64_t{1} << live) - 1;
}

// Bit k of `masks` (bit k % 64 of word k / 64) is set where a[k] != b[k]; the last word's bits
// from n on are clear.
void DifferenceMask(const std::uint8_t* a, const std::uint8_t* b, int n, std::uint64_t* masks);
void DifferenceMask(const std::uint16_t* a, const std::uint16_t* b, int n, std::uint64_t* masks);
void DifferenceMaskPortable(const std::uint8_t* a, const std::uint8_t* b, int n,
                            std::uint64_t* masks);
void DifferenceMaskPortable(const std::uint16_t* a, const std::uint16_t* b, int n,
                            std::uint64_t* masks);

// Bit k of `masks` is set where values[k] differs from values[k - 1] in the bits `compared`,
// and always at k = 0: each set bit starts a run of equal values.
void BoundaryMask(const std::uint8_t* values, int n, std::uint64_t* masks);
void BoundaryMask(const std::uint16_t* values, int n, std::uint16_t compared, std::uint64_t* masks);
void BoundaryMaskPortable(const std::uint8_t* values, int n, std::uint64_t* masks);
void BoundaryMaskPortable(const std::uint16_t* values, int n, std::uint16_t compared,
                          std::uint64_t* masks);

}  // namespace insel::simd
