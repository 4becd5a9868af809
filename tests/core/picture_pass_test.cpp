// The colour pass's block path against its cell-by-cell path, on views whose edges do not fall
// on block boundaries and views reaching past the layers or the raster; and the part view with
// tile pictures, checked pixel by pixel against pictures sampled the plain way (RotateTile on
// the working tiles, nearest-neighbour lookups per pixel).
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <random>
#include <tuple>
#include <vector>

#include "core/app/editor.h"
#include "core/display/cell_pass.h"
#include "core/display/renderer.h"
#include "core/display/textures.h"
#include "core/display/view.h"
#include "test_helpers.h"

namespace insel {
namespace {

constexpr int kResident = 0;  // series 0B, preloaded into slot 1
constexpr int kCut = 1;       // series 0C, cut from its base bitmap each repaint
constexpr int kMissing = 2;   // series 0D, no bitmap at all: plain colour
constexpr int kUnused = 3;    // series 0E, counted 0 on the island: keeps its outline

// Every pixel says which series, bitmap and position it came from.
std::uint32_t Coded(int series, bool full, int x, int y) {
    return 0xFF000000u | static_cast<std::uint32_t>(series) << 20 | (full ? 1u << 19 : 0u) |
           static_cast<std::uint32_t>(x) << 10 | static_cast<std::uint32_t>(y);
}

std::optional<Picture> LoadCoded(const std::filesystem::path& path) {
    const std::string name = path.filename().string();
    const int series = std::stoi(name.substr(6, 2), nullptr, 16) - kSeriesCodeOffset;
    if (series == kMissing) return std::nullopt;
    const bool full = name.find("Full") != std::string::npos;
    const int side = full ? 512 : 256;
    Picture picture{side, side, std::vector<std::uint32_t>(static_cast<std::size_t>(side) * side)};
    for (int y = 0; y < side; ++y)
        for (int x = 0; x < side; ++x)
            picture.pixels[static_cast<std::size_t>(y) * side + x] = Coded(series, full, x, y);
    return picture;
}

struct PictureView {
    std::unique_ptr<Editor> ed = test::ShownIsland(256, 256);
    TextureCache textures{"/prog", LoadCoded};
    TextureCache reference{"/prog", LoadCoded};

    PictureView() {
        std::mt19937 random(11);
        const int series[] = {kResident, kCut, kMissing, kUnused};
        // Any tile byte, also rows 6 and 7 and columns 6 and 7, which do not exist.
        for (int x = 0; x < 256; ++x)
            for (int y = 0; y < 256; ++y) {
                const int s = series[random() % 4];
                ed->doc.island.gfx.set(x, y, std::uint16_t((s + 11) << 8 | (random() & 0xFF)));
                ed->doc.island.height.set(x, y, std::uint8_t(random() & 0xFF));
            }
        for (int s : {kResident, kCut, kMissing}) ed->doc.island.series_usage[s] = 1;
        ed->view.layer = static_cast<DisplayLayer>(1);
        textures.AllocatePreloadSlots(1);
        textures.PreloadTextures({.listed = {kResident}, .auto_preload = true, .attempted = 1});
        reference.SetupBitmaps(kCut);
    }

    void Show(int zoom, int origin_x, int origin_y) {
        SetZoom(ed->view, ed->doc.island, ed->status, zoom);
        ShowPartAt(ed->view, ed->doc.island, ed->status, 30, 30);
        ed->view.origin_x = origin_x, ed->view.origin_y = origin_y;
        // At zoom 42 one more column and row than fit, so that the raster cuts them.
        if (zoom == 42) ed->view.visible_columns = 25, ed->view.visible_rows = 13;
    }

    // What cell (x, y) shows at (dx, dy) of its rectangle, for a cell that gets a picture.
    std::uint32_t Expected(int x, int y, int dx, int dy) {
        const std::uint16_t value = ed->doc.island.gfx.get(x, y);
        const int series = (value >> 8) - kSeriesCodeOffset, tile = value & 0xFF;
        const int cw = ed->view.zoom_cell_size;
        const int sx = dx * kTileSize / cw, sy = dy * kTileSize / cw;
        if (series == kMissing || tile >= kTileByteCount) return ToPixel(CellColour(1, value));
        if (series == kResident)
            return textures.Slot(1).at(kTileTables.full_left[tile] + sx,
                                       kTileTables.full_top[tile] + sy);
        const int index = kTileTables.texture_index[tile];
        if (tile % 4 == 0) return reference.Tile(index).at(sx, sy);
        reference.RotateTile(index, tile % 4);
        return reference.ScratchTile().at(sx, sy);
    }

    // Pixels of picture cells that differ from the plain sampling.
    int PictureMismatches(const Raster& raster) {
        const ViewState& v = ed->view;
        const int cw = v.zoom_cell_size;
        int wrong = 0;
        for (int j = 0; j < v.visible_rows; ++j)
            for (int i = 0; i < v.visible_columns; ++i) {
                const int x = v.origin_x + i, y = v.origin_y + j;
                if ((ed->doc.island.gfx.get(x, y) >> 8) - kSeriesCodeOffset == kUnused) continue;
                for (int dy = 0; dy < cw && j * cw + dy < Raster::kHeight; ++dy)
                    for (int dx = 0; dx < cw && i * cw + dx < Raster::kWidth; ++dx)
                        wrong += raster.at(i * cw + dx, j * cw + dy) != Expected(x, y, dx, dy);
            }
        return wrong;
    }
};

TEST(PicturePass, ResidentCutPlainAndOutlinedCellsAtEveryZoom) {
    PictureView view;
    RenderSettings settings{.objects = false, .use_tile_bitmaps = true};
    // Zoom 42 cuts the last column and row at the raster's edge.
    for (auto [zoom, x, y] : {std::tuple{16, 0, 0}, {8, 100, 130}, {42, 201, 37}, {32, 5, 240}}) {
        view.Show(zoom, x, y);
        Raster raster;
        RenderMap(view.ed->doc, view.ed->view, settings, raster, &view.textures);
        EXPECT_EQ(view.PictureMismatches(raster), 0) << "zoom " << zoom;
    }

    // Unused series keep their outline on white, also with a wide pen.
    view.Show(8, 64, 64);
    for (int pen : {2, 12}) {
        settings.pen_width = pen;
        Raster raster;
        raster.Fill(0x12345678u);
        RenderMap(view.ed->doc, view.ed->view, settings, raster, &view.textures);
        EXPECT_EQ(view.PictureMismatches(raster), 0) << "pen " << pen;
        int outlined = 0, cleared = 0;
        const IslandMap& island = view.ed->doc.island;
        for (int j = 0; j < 64; ++j)
            for (int i = 0; i < 128; ++i) {
                const int x = 64 + i, y = 64 + j;
                if ((island.gfx.get(x, y) >> 8) - kSeriesCodeOffset != kUnused) continue;
                outlined +=
                    raster.at(8 * i, 8 * j) == ToPixel(CellColour(0, island.height.get(x, y)));
                // The middle of a narrow pen's frame is the cleared background.
                if (pen == 2) cleared += raster.at(8 * i + 4, 8 * j + 4) == 0xFFFFFFFFu;
            }
        EXPECT_GT(outlined, 1000);
        EXPECT_EQ(cleared, pen == 2 ? outlined : 0);
    }
}

// Every layer filled with values that hit the table edges (heights 127/128, fertility above 10,
// river cells, marked cells, highlight hits).
std::unique_ptr<IslandMap> RandomIsland() {
    auto island = std::make_unique<IslandMap>();
    std::mt19937 random(7);
    auto byte = [&] { return static_cast<std::uint8_t>(random() & 0xFF); };
    for (int x = 0; x < kLayerSide; ++x)
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
    return island;
}

const IslandMap& Island() {
    static const auto island = RandomIsland();
    return *island;
}

// clang-format off
ViewState WholeView(int side, int origin_y = 0, bool oversize = false) {
    const int cell = oversize ? 1 : 512 / side;
    return {.cell_width = cell, .cell_height = cell, .origin_y = origin_y, .visible_columns = side,
            .visible_rows = oversize ? 512 : side, .oversize_mode = oversize, .part_frame = {}};
}

ViewState PartView(int zoom, int origin_x, int origin_y, int columns, int rows) {
    return {.part_index = 0, .zoom_cell_size = zoom, .origin_x = origin_x, .origin_y = origin_y,
            .visible_columns = columns, .visible_rows = rows, .part_frame = {}};
}

const std::pair<const char*, ViewState> kViews[] = {
    {"whole 512, one-pixel cells", WholeView(512)},
    {"whole 256, two-pixel cells", WholeView(256)},
    {"whole 100, five-pixel cells and ragged edges", WholeView(100)},
    {"whole 1000", WholeView(1000)},
    {"whole 300, tiles cut on both sides", WholeView(300)},
    {"whole 200 near the layers' far edge", WholeView(200, 900)},
    {"oversize 1024, lower half", WholeView(1024, 512, true)},
    {"zoom 16 at the layers' far corner", PartView(16, 961, 993, 64, 32)},
    {"one-pixel cells at the layers' far corner", {.cell_width = 1, .cell_height = 1,
        .origin_x = 925, .origin_y = 925, .visible_columns = 100, .visible_rows = 100,
        .part_frame = {}}},
    {"zoom 8 with origin off the blocks", PartView(8, 3, 5, 128, 64)},
    {"zoom 42, cells cut by the raster", PartView(42, 10, 20, 25, 13)},
    {"view reaching past the layers", PartView(4, 1000, 1010, 256, 128)},
    {"view starting left of the layers", PartView(16, -3, -9, 64, 32)},
};

TEST(CellPass, BlockPathPaintsWhatTheCellPathPaintsAndCoversItsRectangle) {
    const IslandMap& i = Island();
    std::vector<CellPass> passes;
    for (int layer : {0, 1, 2, 3, 5})
        passes.push_back({.island = i, .display_layer = layer, .river = 0xFFC0C0C0u});
    // Highlights and marks, a translucent river whose alpha byte must survive, and values that
    // match only when cut to the layers' 16 bits or the series' 8 bits.
    const CellPass terrain{.island = i, .highlight_kind = kTerrainHighlight,
        .highlight_value = 0x0123, .marks = true, .river = 0x00C0C0C0u,
        .terrain_highlight = 0xFF00FF00u, .marked = 0xFF0000FFu};
    const CellPass series{.island = i, .display_layer = 3, .highlight_kind = kGfxSeriesHighlight,
        .highlight_value = 0x2A, .marks = true, .gfx_highlight = 0xFFFFFFFFu,
        .marked = 0xFF102030u};
    // clang-format on
    for (int k = 0; k < 3; ++k) passes.push_back(terrain);
    for (int k = 0; k < 3; ++k) passes.push_back(series);
    passes[6].any_orientation = false, passes[7].highlight_value = 0x10123;
    passes[9].display_layer = 2, passes[9].marks = false, passes[10].highlight_value = 0x12A;
    for (std::size_t p = 0; p < passes.size(); ++p)
        for (const auto& [name, view] : kViews) {
            Raster wide, plain;
            wide.Fill(0x12345678u), plain.Fill(0x12345678u);
            PaintCells(passes[p], view, wide, true);
            PaintCells(passes[p], view, plain, false);
            EXPECT_EQ(std::ranges::mismatch(wide.pixels, plain.pixels).in1, wide.pixels.end())
                << name << ", pass " << p;
        }

    // The covered rectangle; cells outside the layers stay unpainted, so none of them counts.
    const PixelRect whole = CoveredByCells(WholeView(100));
    const PixelRect cut = CoveredByCells(PartView(42, 10, 20, 25, 13));
    const PixelRect outside = CoveredByCells(PartView(4, 1000, 1010, 256, 128));
    EXPECT_EQ(
        std::tuple(whole.right, whole.bottom, cut.right, cut.bottom, outside.right - outside.left),
        std::tuple(500, 500, 1024, 512, 0));
}

}  // namespace
}  // namespace insel
