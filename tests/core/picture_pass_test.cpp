// The part view with tile pictures, checked pixel by pixel against pictures sampled the plain
// way: RotateTile on the working tiles, nearest-neighbour lookups per pixel.
#include <gtest/gtest.h>

#include <memory>
#include <random>
#include <tuple>

#include "core/app/editor.h"
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
    std::unique_ptr<Editor> editor = test::ShownIsland(256, 256);
    TextureCache textures{"/prog", LoadCoded};
    TextureCache reference{"/prog", LoadCoded};

    PictureView() {
        std::mt19937 random(11);
        const int series[] = {kResident, kCut, kMissing, kUnused};
        for (int x = 0; x < 256; ++x) {
            for (int y = 0; y < 256; ++y) {
                // Any tile byte, also rows 6 and 7 and columns 6 and 7, which do not exist.
                const int s = series[random() % 4];
                editor->doc.island.gfx.set(
                    x, y, static_cast<std::uint16_t>((s + 11) << 8 | (random() & 0xFF)));
                editor->doc.island.height.set(x, y, static_cast<std::uint8_t>(random() & 0xFF));
            }
        }
        for (int s : {kResident, kCut, kMissing}) editor->doc.island.series_usage[s] = 1;
        editor->view.layer = static_cast<DisplayLayer>(1);
        textures.AllocatePreloadSlots(1);
        PreloadChoice choice;
        choice.listed = {kResident};
        choice.auto_preload = true;
        choice.attempted = 1;
        textures.PreloadTextures(choice);
        reference.SetupBitmaps(kCut);
    }

    void Show(int zoom, int origin_x, int origin_y) {
        SetZoom(editor->view, editor->doc.island, editor->status, zoom);
        ShowPartAt(editor->view, editor->doc.island, editor->status, 30, 30);
        editor->view.origin_x = origin_x;
        editor->view.origin_y = origin_y;
        if (zoom == 42) {
            // One more column and row than fit, so that the raster cuts them.
            editor->view.visible_columns = 25;
            editor->view.visible_rows = 13;
        }
    }

    // What cell (x, y) shows at (dx, dy) of its rectangle, for a cell that gets a picture.
    std::uint32_t Expected(int x, int y, int dx, int dy) {
        const std::uint16_t value = editor->doc.island.gfx.get(x, y);
        const int series = (value >> 8) - kSeriesCodeOffset, tile = value & 0xFF;
        const int cw = editor->view.zoom_cell_size;
        const int sx = dx * kTileSize / cw, sy = dy * kTileSize / cw;
        if (series == kMissing || tile >= kTileByteCount) return ToPixel(CellColour(1, value));
        if (series == kResident) {
            return textures.Slot(1).at(kTileTables.full_left[tile] + sx,
                                       kTileTables.full_top[tile] + sy);
        }
        const int index = kTileTables.texture_index[tile];
        if (tile % 4 == 0) return reference.Tile(index).at(sx, sy);
        reference.RotateTile(index, tile % 4);
        return reference.ScratchTile().at(sx, sy);
    }

    // Pixels of picture cells that differ from the plain sampling.
    int PictureMismatches(const Raster& raster) {
        const ViewState& v = editor->view;
        const int cw = v.zoom_cell_size;
        int wrong = 0;
        for (int j = 0; j < v.visible_rows; ++j) {
            for (int i = 0; i < v.visible_columns; ++i) {
                const int x = v.origin_x + i, y = v.origin_y + j;
                if ((editor->doc.island.gfx.get(x, y) >> 8) - kSeriesCodeOffset == kUnused)
                    continue;
                for (int dy = 0; dy < cw && j * cw + dy < Raster::kHeight; ++dy)
                    for (int dx = 0; dx < cw && i * cw + dx < Raster::kWidth; ++dx)
                        wrong += raster.at(i * cw + dx, j * cw + dy) != Expected(x, y, dx, dy);
            }
        }
        return wrong;
    }
};

TEST(PicturePass, ResidentCutPlainAndOutlinedCellsAtEveryZoom) {
    PictureView view;
    RenderSettings settings;
    settings.use_tile_bitmaps = true;
    settings.objects = false;
    // Zoom 42 cuts the last column and row at the raster's edge.
    for (auto [zoom, x, y] : {std::tuple{16, 0, 0}, {8, 100, 130}, {42, 201, 37}, {32, 5, 240}}) {
        view.Show(zoom, x, y);
        Raster raster;
        RenderMap(view.editor->doc, view.editor->view, settings, raster, &view.textures);
        EXPECT_EQ(view.PictureMismatches(raster), 0) << "zoom " << zoom;
    }

    // Unused series keep their outline on white, also with a wide pen.
    view.Show(8, 64, 64);
    for (int pen : {2, 12}) {
        settings.pen_width = pen;
        Raster raster;
        raster.Fill(0x12345678u);
        RenderMap(view.editor->doc, view.editor->view, settings, raster, &view.textures);
        EXPECT_EQ(view.PictureMismatches(raster), 0) << "pen " << pen;
        int outlined = 0, cleared = 0;
        for (int j = 0; j < 64; ++j) {
            for (int i = 0; i < 128; ++i) {
                const int x = 64 + i, y = 64 + j;
                if ((view.editor->doc.island.gfx.get(x, y) >> 8) - kSeriesCodeOffset != kUnused)
                    continue;
                outlined += raster.at(8 * i, 8 * j) ==
                            ToPixel(CellColour(0, view.editor->doc.island.height.get(x, y)));
                // The middle of a narrow pen's frame is the cleared background.
                if (pen == 2) cleared += raster.at(8 * i + 4, 8 * j + 4) == 0xFFFFFFFFu;
            }
        }
        EXPECT_GT(outlined, 1000);
        if (pen == 2) {
            EXPECT_EQ(cleared, outlined);
        }
    }
}

}  // namespace
}  // namespace insel
