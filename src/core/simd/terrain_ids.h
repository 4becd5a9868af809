#pragma once
// Terrain cells by element id (the low 14 bits of the word): counting and clearing those whose
// id lies in a range, or outside it. Plain loops for the vectoriser.
#include <cstdint>

namespace insel::simd {

// How many non-zero words of cells[0..n) have an id in [low, high] (outside it when `outside`).
int CountIds(const std::uint16_t* cells, int n, int low, int high, bool outside);
// Sets those words to 0; returns how many.
int ClearIds(std::uint16_t* cells, int n, int low, int high, bool outside);

}  // namespace insel::simd
