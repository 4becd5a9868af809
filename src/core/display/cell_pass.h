#pragma once
// The colour pass of the map: one filled rectangle per visible cell in the colour of the shown
// layer, with the highlights and marks laid over it.
#include <array>
#include <cstdint>

#include "core/document/island_map.h"

namespace insel {

struct Raster;
struct ViewState;

// The pixel of a cell value under one display layer, without a call per cell: listed colours
// come from tables, the tile and vegetation layers from a formula.
class LayerPixels {
  public:
    explicit LayerPixels(int display_layer);
    std::uint32_t operator()(int value) const;
    const std::uint32_t* heights() const { return heights_; }
    const std::uint32_t* fertility() const { return fertility_; }

  private:
    int layer_;
    // The colour function's fixed tables as pixels, made once for the program.
    const std::uint32_t* heights_;
    const std::uint32_t* fertility_;
};

// The layers' cells as raw columns; read once, since every store into the raster could
// otherwise make the compiler fetch them again.
struct LayerColumns {
    explicit LayerColumns(const IslandMap& island)
        : height(island.height.column(0)),
          mark(island.mark.column(0)),
          gfx(island.gfx.column(0)),
          terrain(island.terrain.column(0)),
          fertility(island.fertility.column(0)),
          river(island.river.column(0)) {}
    const std::uint8_t *height, *mark;
    const std::uint16_t *gfx, *terrain, *fertility, *river;
};

// Everything the colour of a cell depends on, with the colours as raster pixels.
struct CellPass {
    const IslandMap& island;
    int display_layer = 0;
    int highlight_kind = 0;
    int highlight_value = 0;
    bool any_orientation = true;
    bool marks = false;  // the height-profile page shows marked cells
    std::uint32_t river = 0, terrain_highlight = 0, gfx_highlight = 0, marked = 0;
};

// The rectangle of the raster that PaintCells covers completely, so that nothing needs to be
// cleared there first; empty when some visible cell lies outside the layers.
struct PixelRect {
    int left = 0, top = 0, right = 0, bottom = 0;
};
PixelRect CoveredByCells(const ViewState& view);

// Fills the rectangle of every visible cell. `wide` paints the cells inside the layers and the
// raster many at a time, with the kernels of the active processor tier; without it every cell
// is painted alone. Both give the same pixels.
void PaintCells(const CellPass& pass, const ViewState& view, Raster& raster, bool wide = true);

}  // namespace insel
