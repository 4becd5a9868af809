#include "core/display/cell_pass.h"

#include <algorithm>

#include "core/display/colours.h"
#include "core/display/renderer.h"
#include "core/display/view.h"
#include "core/simd/cell_blocks.h"

namespace insel {

namespace {

template <int kLayer, int kCount>
const std::array<std::uint32_t, kCount>& PixelTable() {
    static const std::array<std::uint32_t, kCount> table = [] {
        std::array<std::uint32_t, kCount> pixels{};
        for (int v = 0; v < kCount; ++v)
            pixels[static_cast<std::size_t>(v)] = ToPixel(CellColour(kLayer, v));
        return pixels;
    }();
    return table;
}

}  // namespace

LayerPixels::LayerPixels(int display_layer)
    : layer_(display_layer),
      heights_(PixelTable<0, 256>().data()),
      fertility_(PixelTable<3, 11>().data()) {}

std::uint32_t LayerPixels::operator()(int value) const {
    switch (layer_) {
        case 0:
            return heights_[static_cast<std::size_t>(std::clamp(value, 0, 255))];
        case 1:
        case 2:
            // Red the high byte, green the low byte: the value itself, moved up one byte.
            return 0xFF000000u | ((static_cast<std::uint32_t>(value) & 0xFFFFu) << 8);
        case 3:
            return fertility_[static_cast<std::size_t>(std::clamp(value, 0, 10))];
        default:
            return ToPixel(kUnknownLayerColour);
    }
}

namespace {

// Pixel size of a cell and the cells that can be drawn.
struct Geometry {
    explicit Geometry(const ViewState& view)
        : view(view), cw(CellSize(view).width), ch(CellSize(view).height) {}
    const ViewState& view;
    int cw = 0, ch = 0;
};

std::uint32_t CellPixel(const CellPass& pass, const LayerPixels& colour, int x, int y) {
    const IslandMap& island = pass.island;
    std::uint32_t pixel;
    switch (pass.display_layer) {
        case 0:
            pixel = island.river.get(x, y) != 0 ? pass.river : colour(island.height.get(x, y));
            break;
        case 1:
            pixel = colour(island.gfx.get(x, y));
            break;
        case 2:
            pixel = colour(island.terrain.get(x, y));
            break;
        case 3:
            pixel = colour(island.fertility.get(x, y));
            break;
        default:
            pixel = colour(island.height.get(x, y));
            break;
    }
    if (pass.highlight_kind == kTerrainHighlight) {
        int v = island.terrain.get(x, y);
        if (pass.any_orientation) v &= 0x3FFF;
        if (v == pass.highlight_value) pixel = pass.terrain_highlight;
    } else if (pass.highlight_kind == kGfxSeriesHighlight) {
        if (island.gfx.get(x, y) / 256 == pass.highlight_value) pixel = pass.gfx_highlight;
    }
    if (pass.marks && island.mark.get(x, y) != 0) pixel = pass.marked;
    return pixel;
}

// One cell, clipped to the raster; cells outside the layers are not drawn.
void PaintCell(const CellPass& pass, const LayerPixels& colour, const Geometry& g, int i, int j,
               Raster& raster) {
    const int x = g.view.origin_x + i, y = g.view.origin_y + j;
    if (!Layer<std::uint8_t>::InRange(x, y)) return;
    raster.FillRect(i * g.cw, j * g.ch, (i + 1) * g.cw, (j + 1) * g.ch,
                    CellPixel(pass, colour, x, y));
}

// Visible cells [i0, i1) x [j0, j1) that lie wholly in the raster and in the layers.
struct CellRange {
    int i0 = 0, i1 = 0, j0 = 0, j1 = 0;
};

CellRange WholeCells(const Geometry& g) {
    const ViewState& v = g.view;
    CellRange r;
    r.i0 = std::max(0, -v.origin_x);
    r.j0 = std::max(0, -v.origin_y);
    r.i1 = std::min({v.visible_columns, Raster::kWidth / g.cw, kLayerSide - v.origin_x});
    r.j1 = std::min({v.visible_rows, Raster::kHeight / g.ch, kLayerSide - v.origin_y});
    if (r.i1 < r.i0) r.i1 = r.i0;
    if (r.j1 < r.j0) r.j1 = r.j0;
    return r;
}

}  // namespace

PixelRect CoveredByCells(const ViewState& view) {
    const Geometry g(view);
    if (g.cw <= 0 || g.ch <= 0 || view.origin_x < 0 || view.origin_y < 0 ||
        view.visible_columns <= 0 || view.visible_rows <= 0 ||
        view.origin_x + view.visible_columns > kLayerSide ||
        view.origin_y + view.visible_rows > kLayerSide) {
        return {};
    }
    return {0, 0, std::min(Raster::kWidth, view.visible_columns * g.cw),
            std::min(Raster::kHeight, view.visible_rows * g.ch)};
}

void PaintCells(const CellPass& pass, const ViewState& view, Raster& raster, bool wide) {
    const Geometry g(view);
    if (g.cw <= 0 || g.ch <= 0) return;
    const LayerPixels colour(pass.display_layer);
    CellRange blocks;
    if (wide) {
        const CellRange whole = WholeCells(g);
        const simd::CellRect cells{view.origin_x, view.origin_y, whole.i0, whole.i1,
                                   whole.j0,      whole.j1,      g.cw,     g.ch};
        const simd::CellRect done = simd::PaintCellBlocks(pass, cells, raster);
        blocks = {done.i0, done.i1, done.j0, done.j1};
    }
    // Everything the blocks left: edges, cells cut by the raster, cells outside the layers.
    for (int j = 0; j < view.visible_rows && j * g.ch < Raster::kHeight; ++j) {
        const bool block_row = j >= blocks.j0 && j < blocks.j1;
        for (int i = 0; i < view.visible_columns && i * g.cw < Raster::kWidth; ++i) {
            if (block_row && i == blocks.i0 && blocks.i1 > blocks.i0) {
                i = blocks.i1 - 1;
                continue;
            }
            PaintCell(pass, colour, g, i, j, raster);
        }
    }
}

}  // namespace insel
