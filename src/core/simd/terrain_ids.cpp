#include "core/simd/terrain_ids.h"

#include <algorithm>

namespace insel::simd {
namespace {

// All ones for a word to clear, else 0. The unsigned compare tests both ends of the range.
template <bool kOutside>
inline std::uint16_t HitMask(std::uint16_t word, std::uint16_t low, std::uint16_t span) {
    const auto id = static_cast<std::uint16_t>(word & 0x3FFFu);
    const bool in = static_cast<std::uint16_t>(id - low) <= span;
    return word != 0 && in != kOutside ? std::uint16_t{0xFFFF} : std::uint16_t{0};
}

// In chunks, so that a hit near the start ends the search early.
template <bool kOutside>
bool Any(const std::uint16_t* cells, int n, std::uint16_t low, std::uint16_t span) {
    constexpr int kChunk = 64;
    for (int start = 0; start < n; start += kChunk) {
        const int end = std::min(n, start + kChunk);
        std::uint16_t any = 0;
        for (int y = start; y < end; ++y) any |= HitMask<kOutside>(cells[y], low, span);
        if (any != 0) return true;
    }
    return false;
}

template <bool kOutside>
void Clear(std::uint16_t* cells, int n, std::uint16_t low, std::uint16_t span) {
    for (int y = 0; y < n; ++y)
        cells[y] = static_cast<std::uint16_t>(cells[y] & ~HitMask<kOutside>(cells[y], low, span));
}

}  // namespace

bool AnyIds(const std::uint16_t* cells, int n, int low, int high, bool outside) {
    // An empty range: nothing is inside it, everything outside.
    if (high < low) return outside && Any<false>(cells, n, 0, 0x3FFF);
    const auto l = static_cast<std::uint16_t>(low);
    const auto span = static_cast<std::uint16_t>(high - low);
    return outside ? Any<true>(cells, n, l, span) : Any<false>(cells, n, l, span);
}

void ClearIds(std::uint16_t* cells, int n, int low, int high, bool outside) {
    if (high < low) {
        if (outside) Clear<false>(cells, n, 0, 0x3FFF);
        return;
    }
    const auto l = static_cast<std::uint16_t>(low);
    const auto span = static_cast<std::uint16_t>(high - low);
    if (outside) {
        Clear<true>(cells, n, l, span);
    } else {
        Clear<false>(cells, n, l, span);
    }
}

}  // namespace insel::simd
