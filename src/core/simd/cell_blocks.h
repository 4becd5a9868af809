#pragma once
// The colour pass's bulk: the cells that lie wholly in the raster and in the layers, painted
// many at a time. Cells at the view's edges stay with the caller's cell-by-cell path.
#include "core/display/cell_pass.h"

namespace insel::simd {

// Visible cells [i0, i1) x [j0, j1) of a view whose first cell is (origin_x, origin_y), each
// cw x ch pixels; every one of them lies in the layers and wholly in the raster.
struct CellRect {
    int origin_x = 0, origin_y = 0;
    int i0 = 0, i1 = 0, j0 = 0, j1 = 0;
    int cw = 0, ch = 0;
};

// Paints a part of `cells` with the pixels the cell-by-cell path would give and returns that
// part (the same view with a smaller or equal range); the caller paints the rest.
CellRect PaintCellBlocks(const CellPass& pass, const CellRect& cells, Raster& raster);
CellRect PaintCellBlocksPortable(const CellPass& pass, const CellRect& cells, Raster& raster);

}  // namespace insel::simd
