// The colour pass's block path against its cell-by-cell path, on views whose edges do not fall
// on block boundaries, views reaching past the layers or the raster, and every layer.
#include "core/display/cell_pass.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <random>
#include <tuple>
#include <vector>

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
    const int cell = oversize ? 1 : 512 / side;
    return {.cell_width = cell,
            .cell_height = cell,
            .origin_y = origin_y,
            .visible_columns = side,
            .visible_rows = oversize ? 512 : side,
            .oversize_mode = oversize};
}

ViewState PartView(int zoom, int origin_x, int origin_y, int columns, int rows) {
    return {.part_index = 0,
            .zoom_cell_size = zoom,
            .origin_x = origin_x,
            .origin_y = origin_y,
            .visible_columns = columns,
            .visible_rows = rows};
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
    {"one-pixel cells at the layers' far corner",
     {.cell_width = 1,
      .cell_height = 1,
      .origin_x = 925,
      .origin_y = 925,
      .visible_columns = 100,
      .visible_rows = 100}},
    {"zoom 8 with origin off the blocks", PartView(8, 3, 5, 128, 64)},
    {"zoom 42, cells cut by the raster", PartView(42, 10, 20, 25, 13)},
    {"view reaching past the layers", PartView(4, 1000, 1010, 256, 128)},
    {"view starting left of the layers", PartView(16, -3, -9, 64, 32)},
};

TEST(CellPass, BlockPathPaintsWhatTheCellPathPaints) {
    const IslandMap& i = Island();
    std::vector<CellPass> passes;
    for (int layer : {0, 1, 2, 3, 5})
        passes.push_back({.island = i, .display_layer = layer, .river = 0xFFC0C0C0u});
    // Highlights and marks, a translucent river whose alpha byte must survive, and values that
    // match only when cut to the layers' 16 bits or the series' 8 bits.
    const CellPass terrain{.island = i,
                           .highlight_kind = kTerrainHighlight,
                           .highlight_value = 0x0123,
                           .marks = true,
                           .river = 0x00C0C0C0u,
                           .terrain_highlight = 0xFF00FF00u,
                           .marked = 0xFF0000FFu};
    const CellPass series{.island = i,
                          .display_layer = 3,
                          .highlight_kind = kGfxSeriesHighlight,
                          .highlight_value = 0x2A,
                          .marks = true,
                          .gfx_highlight = 0xFFFFFFFFu,
                          .marked = 0xFF102030u};
    for (int k = 0; k < 3; ++k) passes.push_back(terrain);
    for (int k = 0; k < 3; ++k) passes.push_back(series);
    passes[6].any_orientation = false;
    passes[7].highlight_value = 0x10123;
    passes[9].display_layer = 2, passes[9].marks = false;
    passes[10].highlight_value = 0x12A;
    for (std::size_t p = 0; p < passes.size(); ++p) {
        for (const Case& c : kViews) {
            Raster wide, plain;
            wide.Fill(0x12345678u);
            plain.Fill(0x12345678u);
            PaintCells(passes[p], c.view, wide, true);
            PaintCells(passes[p], c.view, plain, false);
            EXPECT_EQ(std::ranges::mismatch(wide.pixels, plain.pixels).in1, wide.pixels.end())
                << c.name << ", pass " << p;
        }
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
