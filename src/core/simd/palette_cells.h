#pragma once
// The colour pass for small-palette layers on the widest tier.
#include "core/simd/cell_blocks.h"

namespace insel::simd {

// Paints all of `cells` and returns true, or returns false without drawing where the layer
// or the cell width is not one it serves.
bool PaintPaletteCellsAvx512(const CellPass& pass, const CellRect& cells, Raster& raster);

}  // namespace insel::simd
