#pragma once
// Draws the island as coloured cells with outlines for mines, quarry spots, the catchment,
// objects and animals into a raster the window shows as it is, and builds the overview picture.
#include <cstdint>
#include <vector>

#include "core/display/colours.h"
#include "core/display/textures.h"
#include "core/display/view.h"

namespace insel {

struct Document;
struct IslandMap;

// 0xAARRGGBB pixels, rows top to bottom, so the window can wrap them without a copy.
struct Raster {
    static constexpr int kWidth = kCanvasWidth, kHeight = kCanvasHeight;
    std::vector<std::uint32_t> pixels =
        std::vector<std::uint32_t>(static_cast<std::size_t>(kWidth) * kHeight);

    std::uint32_t at(int x, int y) const {
        return pixels[static_cast<std::size_t>(y) * kWidth + x];
    }
    void Fill(std::uint32_t argb);
    // [left, right) x [top, bottom), clipped to the raster.
    void FillRect(int left, int top, int right, int bottom, std::uint32_t argb);
    // Everything but [left, right) x [top, bottom); all of it when that is empty.
    void FillOutside(int left, int top, int right, int bottom, std::uint32_t argb);
};

// A 0xBBGGRR colour as an opaque raster pixel.
constexpr std::uint32_t ToPixel(Colour c) {
    return 0xFF000000u | ((c & 0xFFu) << 16) | (c & 0xFF00u) | ((c >> 16) & 0xFFu);
}

// What the cells of a kind are picked out by: a terrain element or a graphic tile series.
enum HighlightKind : int { kNoHighlight = 0, kTerrainHighlight = 1, kGfxSeriesHighlight = 2 };

// The window's drawing controls. Colours are 0xBBGGRR like everything the colour dialogs give.
struct RenderSettings {
    int pen_width = 2;  // 1..12
    HighlightKind highlight_kind = kNoHighlight;
    int highlight_value = 0;
    int shown_object_id = 0;  // 0 or less: no object picked out

    Colour river = 0xC0C0C0;
    Colour terrain_highlight = 0xFFFFFF;
    Colour gfx_highlight = 0xFFFFFF;
    Colour marked = 0xFFFFFF;
    Colour mine = 0xFFFFFF;
    Colour quarry = 0x00FFFF;
    Colour animal = 0x0000FF;  // also picked-out objects
    Colour object_anchor = 0x800000;
    Colour object_outline = 0x808080;
    Colour catchment = 0x00FFFF;

    bool animals = false;
    bool objects = true;
    bool catchment_shown = false;
    bool any_orientation = true;  // terrain highlight ignores the element's turn
    bool height_profile_page = false;
    bool use_tile_bitmaps = false;  // "als Bitmaps": graphic tiles as pictures in the part view
    bool island_image = false;      // the hidden island-image mode: height outlines only
};

// Outline of w x h cells whose top-left cell is (i, j) relative to the view origin. The nib
// hangs right of and below the path, so a pen of width p stays inside the cells.
void DrawCellFrame(Raster& raster, int cell_width, int cell_height, int pen_width, int i, int j,
                   int w, int h, std::uint32_t argb);

// Redraws the visible part of the island; does nothing unless the island is shown. Returns
// how many objects with the shown id are visible. With tile pictures asked for, `textures`
// supplies them (it cuts series as they are needed).
int RenderMap(const Document& doc, const ViewState& view, const RenderSettings& settings,
              Raster& raster, TextureCache* textures = nullptr);

// The 128 x 128 overview from sampled heights under the current display layer, row by row,
// as raster pixels.
std::vector<std::uint32_t> DrawOverviewImage(const IslandMap& island, DisplayLayer layer);

}  // namespace insel
