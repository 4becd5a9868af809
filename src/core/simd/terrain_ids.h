#pragma once
// Terrain cells by element id (the low 14 bits of the word): finding and clearing those whose
// id lies in a range, or outside it. Plain loops for the vectoriser, in 16-bit lanes.
#include <cstdint>

namespace insel::simd {

// Whether a non-zero word of cells[0..n) has an id in [low, high] (outside it when `outside`).
bool AnyIds(const std::uint16_t* cells, int n, int low, int high, bool outside);
// Sets those words to 0.
void ClearIds(std::uint16_t* cells, int n, int low, int high, bool outside);

}  // namespace insel::simd
