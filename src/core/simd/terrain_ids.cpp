#include "core/simd/terrain_ids.h"

namespace insel::simd {
namespace {

// Unsigned compare: one test for both ends of the range.
template <bool kOutside>
inline bool Hit(std::uint16_t word, unsigned low, unsigned span) {
    const unsigned id = word & 0x3FFFu;
    const bool in = id - low <= span;
    return word != 0 && in != kOutside;
}

template <bool kOutside>
int Count(const std::uint16_t* cells, int n, unsigned low, unsigned span) {
    int hits = 0;
    for (int y = 0; y < n; ++y) hits += Hit<kOutside>(cells[y], low, span);
    return hits;
}

template <bool kOutside>
int Clear(std::uint16_t* cells, int n, unsigned low, unsigned span) {
    int hits = 0;
    for (int y = 0; y < n; ++y) {
        const bool hit = Hit<kOutside>(cells[y], low, span);
        hits += hit;
        cells[y] = hit ? std::uint16_t{0} : cells[y];
    }
    return hits;
}

}  // namespace

int CountIds(const std::uint16_t* cells, int n, int low, int high, bool outside) {
    if (high < low) return outside ? Count<false>(cells, n, 0, 0x3FFF) : 0;
    const auto l = static_cast<unsigned>(low), span = static_cast<unsigned>(high - low);
    return outside ? Count<true>(cells, n, l, span) : Count<false>(cells, n, l, span);
}

int ClearIds(std::uint16_t* cells, int n, int low, int high, bool outside) {
    if (high < low) return outside ? Clear<false>(cells, n, 0, 0x3FFF) : 0;
    const auto l = static_cast<unsigned>(low), span = static_cast<unsigned>(high - low);
    return outside ? Clear<true>(cells, n, l, span) : Clear<false>(cells, n, l, span);
}

}  // namespace insel::simd
