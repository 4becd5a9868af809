// The colour pass's block path against its cell-by-cell path, on views whose edges do not fall
// on block boundaries, views reaching past the layers or the raster, and every layer.
#include "core/display/cell_pass.h"

#include <gtest/gtest.h>

#include <memory>
#include <random>
#include <tuple>

#include "core/display/renderer.h"
#include "core/display/view.h"

namespace insel {
namespace {

// Every layer filled with values that hit the table edges (heights 127/128, fertility above 10,
// river cells, marked cells, highlight hits).
std::unique_ptr<IslandMap> RandomIsland() {
    auto island = std::make_unique<IslandMap>();
    std::mt19937 random(7);
    auto byte = [&] { return static_cast<std::uint8_t>(random() & 0xFF); };
    for (int x = 0; x < kLayerSide; ++x) {
        for (int y = 0; y < kLayerSide; ++y) {
            island->height.set(x, y, byte());
            island->gfx.set(x, y, static_cast<std::uint16_t>(random() & 0xFFFF));
            island->terrain.set(x, y, static_cast<std::uint16_t>((random() % 4) << 14 | 0x0123));
            island->fertility.set(x, y, static_cast<std::uint16_t>(random() % 14));
            // Bands of columns without rivers and of rivers only, then scattered river cells.
            const int band = x % 48;
            const bool river = band < 16 ? false : band < 32 ? y % 100 != 99 : random() % 5 == 0;
            island->river.set(x, y, river ? 2701 : 0);
            island->mark.set(x, y, random() % 7 == 0 ? 1 : 0);
        }
    }
    return island;
}

const IslandMap& Island() {
    static const auto island = RandomIsland();
    return *island;
}

ViewState WholeView(int side, int origin_y = 0, bool oversize = false) {
    ViewState v;
    v.origin_y = origin_y;
    v.visible_columns = side;
    v.visible_rows = oversize ? 512 : side;
    v.cell_width = v.cell_height = oversize ? 1 : 512 / side;
    v.oversize_mode = oversize;
    return v;
}

ViewState PartView(int zoom, int origin_x, int origin_y, int columns, int rows) {
    ViewState v;
    v.part_index = 0;
    v.zoom_cell_size = zoom;
    v.origin_x = origin_x;
    v.origin_y = origin_y;
    v.visible_columns = columns;
    v.visible_rows = rows;
    return v;
}

// The last 100 x 100 cells, one pixel each: the last column ends the layers' storage.
ViewState CornerView() {
    ViewState v = WholeView(100);
    v.origin_x = v.origin_y = kLayerSide - 100;
    v.cell_width = v.cell_height = 1;
    return v;
}

struct Case {
    const char* name;
    ViewState view;
};

const Case kViews[] = {
    {"whole 512, one-pixel cells", WholeView(512)},
    {"whole 256, two-pixel cells", WholeView(256)},
    {"whole 100, five-pixel cells and ragged edges", WholeView(100)},
    {"whole 1000", WholeView(1000)},
    {"whole 300, tiles cut on both sides", WholeView(300)},
    {"whole 200 near the layers' far edge", WholeView(200, 900)},
    {"oversize 1024, lower half", WholeView(1024, 512, true)},
    {"zoom 16 at the layers' far corner", PartView(16, 961, 993, 64, 32)},
    {"one-pixel cells at the layers' far corner", CornerView()},
    {"zoom 8 with origin off the blocks", PartView(8, 3, 5, 128, 64)},
    {"zoom 42, cells cut by the raster", PartView(42, 10, 20, 25, 13)},
    {"view reaching past the layers", PartView(4, 1000, 1010, 256, 128)},
    {"view starting left of the layers", PartView(16, -3, -9, 64, 32)},
};

Raster Painted(const CellPass& pass, const ViewState& view, bool wide) {
    Raster raster;
    raster.Fill(0x12345678u);
    PaintCells(pass, view, raster, wide);
    return raster;
}

std::int64_t Mismatches(const Raster& a, const Raster& b) {
    std::int64_t wrong = 0;
    for (std::size_t i = 0; i < a.pixels.size(); ++i) wrong += a.pixels[i] != b.pixels[i];
    return wrong;
}

TEST(CellPass, BlockPathPaintsWhatTheCellPathPaints) {
    for (int layer : {0, 1, 2, 3, 5}) {
        CellPass pass{Island(), layer};
        pass.river = 0xFFC0C0C0u;
        for (const Case& c : kViews) {
            EXPECT_EQ(Mismatches(Painted(pass, c.view, true), Painted(pass, c.view, false)), 0)
                << c.name << ", layer " << layer;
        }
    }
}

TEST(CellPass, HighlightsMarksAndTranslucentColoursAgree) {
    CellPass terrain{Island(), 0, kTerrainHighlight, 0x0123, true, true};
    terrain.terrain_highlight = 0xFF00FF00u;
    terrain.marked = 0xFF0000FFu;
    terrain.river = 0x00C0C0C0u;  // translucent: the alpha byte must survive
    CellPass exact = terrain;
    exact.any_orientation = false;
    CellPass series{Island(), 2, kGfxSeriesHighlight, 0x2A};
    series.gfx_highlight = 0xFFFFFFFFu;
    CellPass fertile_series = series;
    fertile_series.display_layer = 3;
    fertile_series.marks = true;
    fertile_series.marked = 0xFF102030u;
    // Values that match only when cut to the layers' 16 bits or the series' 8 bits.
    CellPass terrain_beyond = terrain;
    terrain_beyond.highlight_value = 0x10123;
    CellPass series_beyond = fertile_series;
    series_beyond.highlight_value = 0x12A;
    for (const CellPass* pass :
         {&terrain, &exact, &series, &fertile_series, &terrain_beyond, &series_beyond}) {
        for (const Case& c : kViews) {
            EXPECT_EQ(Mismatches(Painted(*pass, c.view, true), Painted(*pass, c.view, false)), 0)
                << c.name << ", highlight " << pass->highlight_kind;
        }
    }
}

TEST(CellPass, CellPathUsesTheColourFunction) {
    const ViewState view = WholeView(100);
    for (int layer : {0, 3}) {
        const CellPass pass{Island(), layer, kNoHighlight, 0, true, false, 0xFFC0C0C0u};
        const Raster raster = Painted(pass, view, false);
        const int x = 37, y = 61;  // a 5 x 5 cell at (185, 305)
        const int value = layer == 0 ? Island().height.get(x, y) : Island().fertility.get(x, y);
        const std::uint32_t expected = layer == 0 && Island().river.get(x, y) != 0
                                           ? 0xFFC0C0C0u
                                           : ToPixel(CellColour(layer, value));
        EXPECT_EQ(raster.at(185, 305), expected);
        EXPECT_EQ(raster.at(189, 309), expected);
        EXPECT_EQ(raster.at(500, 10), 0x12345678u);  // right of the island: not painted
    }
}

TEST(CellPass, CoveredRectangle) {
    const PixelRect whole = CoveredByCells(WholeView(100));
    const PixelRect cut = CoveredByCells(PartView(42, 10, 20, 25, 13));
    EXPECT_EQ(std::tuple(whole.right, whole.bottom, cut.right, cut.bottom),
              std::tuple(500, 500, 1024, 512));
    // Cells outside the layers stay unpainted, so nothing counts as covered.
    const PixelRect outside = CoveredByCells(PartView(4, 1000, 1010, 256, 128));
    EXPECT_EQ(outside.right - outside.left, 0);
}

}  // namespace
}  // namespace insel
