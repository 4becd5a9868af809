#pragma once
// The colour pass for layers whose colours form a small palette (heights with rivers,
// fertility, and the highlights and marks over them): each cell becomes a one-byte palette
// entry, tiles of 64 x 64 entries are turned from the layers' column order into raster rows,
// and only then are entries looked up as pixels. Turning bytes moves a quarter of what
// turning pixels would.
#include "core/display/cell_pass.h"

namespace insel {

// Visible cells [i0, i1) x [j0, j1) of a view whose first cell is (origin_x, origin_y), each
// cw x ch pixels; every one of them lies in the layers and wholly in the raster.
struct CellRect {
    int origin_x = 0, origin_y = 0;
    int i0 = 0, i1 = 0, j0 = 0, j1 = 0;
    int cw = 0, ch = 0;
};

// Paints the cells and returns true, or returns false without drawing where the processor,
// the layer or the cell width is not one this pass serves.
bool PaintPaletteCells(const CellPass& pass, const CellRect& cells, Raster& raster);

}  // namespace insel
