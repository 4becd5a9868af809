// The colour pass, the overlays and the overview picture, checked on raster pixels.
#include "core/display/renderer.h"

#include <gtest/gtest.h>

#include <memory>
#include <tuple>
#include <utility>
#include <vector>

#include "core/app/editor.h"
#include "test_helpers.h"

namespace insel {
namespace {

std::unique_ptr<Editor> Shown(int width, int height) { return test::ShownIsland(width, height); }

// Pixels of the 4 x 4 cell (x, y) of a whole 128-cell view that differ from `expected`.
int CellMismatches(const Raster& raster, int x, int y, std::uint32_t expected) {
    int wrong = 0;
    for (int dy = 0; dy < 4; ++dy)
        for (int dx = 0; dx < 4; ++dx) wrong += raster.at(4 * x + dx, 4 * y + dy) != expected;
    return wrong;
}

struct Box {
    int left = Raster::kWidth, top = Raster::kHeight, right = -1, bottom = -1;  // inclusive
    bool operator==(const Box&) const = default;
};

Box BoxOf(const Raster& raster, Colour colour) {
    const std::uint32_t pixel = ToPixel(colour);
    Box box;
    for (int y = 0; y < Raster::kHeight; ++y)
        for (int x = 0; x < Raster::kWidth; ++x)
            if (raster.at(x, y) == pixel) {
                box.left = std::min(box.left, x);
                box.top = std::min(box.top, y);
                box.right = std::max(box.right, x);
                box.bottom = std::max(box.bottom, y);
            }
    return box;
}

TEST(ColourPass, WholeViewFillsEveryCellInItsColour) {
    auto editor = Shown(128, 128);
    for (int x = 0; x < 128; ++x)
        for (int y = 0; y < 128; ++y)
            editor->doc.island.height.set(x, y, static_cast<std::uint8_t>((x * 3 + y) & 0xFF));
    editor->doc.island.river.set(7, 9, 2701);
    Raster raster;
    RenderMap(editor->doc, editor->view, RenderSettings{}, raster);
    int wrong = 0;
    for (int x = 0; x < 128; ++x)
        for (int y = 0; y < 128; ++y) {
            const Colour c = (x == 7 && y == 9) ? 0xC0C0C0 : CellColour(0, (x * 3 + y) & 0xFF);
            wrong += CellMismatches(raster, x, y, ToPixel(c));
        }
    EXPECT_EQ(wrong, 0);
    EXPECT_EQ(raster.at(512, 0), 0xFFFFFFFFu);
    EXPECT_EQ(raster.at(1023, 511), 0xFFFFFFFFu);
    EXPECT_EQ(ToPixel(0x0000FF), 0xFFFF0000u);  // 0xBBGGRR red is RGB32 red
}

TEST(ColourPass, LayersAndHighlights) {
    auto editor = Shown(128, 128);
    editor->view.layer = static_cast<DisplayLayer>(3);
    editor->doc.island.fertility.set(1, 0, 25);
    editor->doc.island.fertility.set(2, 0, 4);
    Raster raster;
    RenderMap(editor->doc, editor->view, RenderSettings{}, raster);
    EXPECT_EQ(CellMismatches(raster, 1, 0, ToPixel(kFertilityColours[10])) +
                  CellMismatches(raster, 2, 0, ToPixel(kFertilityColours[4])),
              0);

    editor->view.layer = static_cast<DisplayLayer>(0);
    editor->doc.island.terrain.set(1, 1, 0xC123);  // element 0x0123 turned three quarters
    editor->doc.island.terrain.set(2, 1, 0x0124);
    editor->doc.island.terrain.set(3, 1, 0x0123);
    RenderSettings settings;
    settings.highlight_kind = kTerrainHighlight;
    settings.highlight_value = 0x0123;
    settings.terrain_highlight = 0x00FF00;
    const std::uint32_t lit = ToPixel(0x00FF00), plain = ToPixel(CellColour(0, 0));
    RenderMap(editor->doc, editor->view, settings, raster);
    EXPECT_EQ(std::tuple(CellMismatches(raster, 1, 1, lit), CellMismatches(raster, 2, 1, plain),
                         CellMismatches(raster, 3, 1, lit)),
              std::tuple(0, 0, 0));
    settings.any_orientation = false;
    RenderMap(editor->doc, editor->view, settings, raster);
    EXPECT_EQ(std::pair(CellMismatches(raster, 1, 1, plain), CellMismatches(raster, 3, 1, lit)),
              std::pair(0, 0));

    editor->doc.island.gfx.set(5, 5, 0x2A07);
    settings.highlight_kind = kGfxSeriesHighlight;
    settings.highlight_value = 0x2A;
    settings.gfx_highlight = 0xFF0000;
    RenderMap(editor->doc, editor->view, settings, raster);
    EXPECT_EQ(CellMismatches(raster, 5, 5, ToPixel(0xFF0000)), 0);
    EXPECT_EQ(CellMismatches(raster, 1, 1, plain), 0);
}

TEST(ColourPass, NothingDrawnWhileHidden) {
    auto editor = Shown(128, 128);
    Raster raster;
    raster.Fill(0x12345678);
    editor->view.island_shown = false;
    EXPECT_EQ(RenderMap(editor->doc, editor->view, RenderSettings{}, raster), 0);
    EXPECT_EQ(std::count(raster.pixels.begin(), raster.pixels.end(), 0x12345678u),
              static_cast<long>(raster.pixels.size()));
}

TEST(Overlays, QuarrySpotOutlineFollowsOrientation) {
    auto editor = Shown(128, 128);
    MineRecord spot;
    spot.x = 10;
    spot.y = 20;
    spot.orientation = 1;
    editor->doc.island.quarry_spots.push_back(spot);
    RenderSettings settings;
    settings.pen_width = 1;
    Raster raster;
    RenderMap(editor->doc, editor->view, settings, raster);
    EXPECT_EQ(BoxOf(raster, settings.quarry), (Box{40, 80, 51, 95}));  // 3 wide, 4 high
    EXPECT_EQ(raster.at(41, 81), ToPixel(CellColour(0, 0)));           // inside the anchor cell
    editor->doc.island.quarry_spots[0].orientation = 2;
    RenderMap(editor->doc, editor->view, settings, raster);
    EXPECT_EQ(BoxOf(raster, settings.quarry), (Box{40, 80, 55, 91}));
}

TEST(Overlays, MinesAndAnimalsAtTheirCells) {
    auto editor = Shown(128, 128);
    MineRecord mine;
    mine.x = EncodeCellFloat(30);
    mine.y = EncodeCellFloat(40);
    editor->doc.island.mines.push_back(mine);
    editor->doc.island.animals.push_back(AnimalEntry{50, 60, 0, 0});
    RenderSettings settings;
    settings.mine = 0x123456;
    Raster raster;
    RenderMap(editor->doc, editor->view, settings, raster);
    EXPECT_EQ(BoxOf(raster, settings.mine), (Box{120, 160, 123, 163}));
    EXPECT_EQ(BoxOf(raster, settings.animal), Box{});
    settings.animals = true;
    RenderMap(editor->doc, editor->view, settings, raster);
    EXPECT_EQ(BoxOf(raster, settings.animal), (Box{200, 240, 203, 243}));
}

TEST(Overlays, ObjectFootprintAnchorAndMarket) {
    auto editor = Shown(128, 128);
    ObjectEntry object;
    object.graphic_id = 821;
    object.x = 20;
    object.y = 30;
    object.width = 3;
    object.height = 2;
    object.market_x = 40;
    object.market_y = 50;
    editor->doc.island.objects.push_back(object);
    RenderSettings settings;
    Raster raster;
    EXPECT_EQ(RenderMap(editor->doc, editor->view, settings, raster), 0);
    EXPECT_EQ(BoxOf(raster, settings.object_anchor), (Box{80, 120, 83, 123}));
    EXPECT_EQ(BoxOf(raster, settings.object_outline),
              (Box{80, 120, 167, 207}));  // footprint to market
    EXPECT_EQ(raster.at(166, 206), ToPixel(settings.object_outline));
    EXPECT_EQ(raster.at(92, 120), ToPixel(CellColour(0, 0)));  // right of the footprint

    editor->doc.island.objects[0].market_x = -8000;
    editor->doc.island.objects[0].market_y = -8000;
    RenderMap(editor->doc, editor->view, settings, raster);
    EXPECT_EQ(BoxOf(raster, settings.object_outline), (Box{80, 120, 91, 127}));

    settings.shown_object_id = 821;
    EXPECT_EQ(RenderMap(editor->doc, editor->view, settings, raster), 1);
    EXPECT_EQ(BoxOf(raster, settings.animal), (Box{80, 120, 91, 127}));
    EXPECT_EQ(BoxOf(raster, settings.object_anchor), Box{});

    settings.objects = false;
    EXPECT_EQ(RenderMap(editor->doc, editor->view, settings, raster), 0);
    EXPECT_EQ(BoxOf(raster, settings.animal), Box{});
}

TEST(Overlays, CatchmentOnlyAboveHeight16) {
    auto editor = Shown(128, 128);
    editor->doc.cities.cities.resize(1);
    editor->doc.cities.cities[0].number = 3;
    editor->doc.cities.current = 0;
    for (int x = 5; x <= 6; ++x) editor->doc.cities.catchment[x * kCatchmentSide + 5] = 3;
    editor->doc.island.height.set(5, 5, 17);
    editor->doc.island.height.set(6, 5, 16);
    RenderSettings settings;
    settings.catchment = 0x654321;
    Raster raster;
    RenderMap(editor->doc, editor->view, settings, raster);
    EXPECT_EQ(BoxOf(raster, settings.catchment), Box{});
    settings.catchment_shown = true;
    RenderMap(editor->doc, editor->view, settings, raster);
    EXPECT_EQ(BoxOf(raster, settings.catchment), (Box{20, 20, 23, 23}));
    editor->doc.cities.current.reset();
    RenderMap(editor->doc, editor->view, settings, raster);
    EXPECT_EQ(BoxOf(raster, settings.catchment), Box{});
}

// A view of whole columns scans the grid in one go; cells at the ends of columns must still
// land on their own column.
TEST(Overlays, CatchmentOfAWholeIslandAtColumnEnds) {
    auto editor = Shown(512, 512);
    editor->doc.cities.cities.resize(1);
    editor->doc.cities.cities[0].number = 4;
    editor->doc.cities.current = 0;
    const std::pair<int, int> cells[] = {{5, 511}, {6, 0}, {100, 300}, {101, 300}};
    for (auto [x, y] : cells) {
        editor->doc.cities.catchment[x * kCatchmentSide + y] = 4;
        editor->doc.island.height.set(x, y, x == 101 ? 16 : 30);
    }
    editor->doc.cities.catchment[7 * kCatchmentSide + 7] = 3;  // another city's
    editor->doc.island.height.set(7, 7, 30);
    RenderSettings settings;
    settings.pen_width = 1;
    settings.catchment_shown = true;
    settings.catchment = 0x654321;
    Raster raster;
    RenderMap(editor->doc, editor->view, settings, raster);
    const std::uint32_t pen = ToPixel(settings.catchment);
    EXPECT_EQ(std::tuple(raster.at(5, 511), raster.at(6, 0), raster.at(100, 300)),
              std::tuple(pen, pen, pen));
    EXPECT_EQ(std::count(raster.pixels.begin(), raster.pixels.end(), pen), 3);
}

TEST(Overlays, HeightProfilePageKeepsCanvasAndShowsMarks) {
    auto editor = Shown(128, 128);
    editor->doc.island.mark.set(2, 3, 1);
    ObjectEntry object;
    object.x = 8;
    object.y = 8;
    editor->doc.island.objects.push_back(object);
    RenderSettings settings;
    settings.height_profile_page = true;
    settings.marked = 0x0A0B0C;
    Raster raster;
    raster.Fill(0x12345678);
    RenderMap(editor->doc, editor->view, settings, raster);
    EXPECT_EQ(raster.at(700, 10), 0x12345678u);
    EXPECT_EQ(CellMismatches(raster, 2, 3, ToPixel(0x0A0B0C)), 0);
    EXPECT_EQ(CellMismatches(raster, 8, 8, ToPixel(CellColour(0, 0))), 0);
}

TEST(Overview, SamplesRoundHalvesToEven) {
    auto editor = Shown(256, 6);
    // Green is the sampled height, one colour per value.
    editor->view.layer = static_cast<DisplayLayer>(1);
    for (int x = 0; x < 256; ++x)
        for (int y = 0; y < 6; ++y)
            editor->doc.island.height.set(x, y, static_cast<std::uint8_t>((x + 37 * y) & 0xFF));
    const auto image = DrawOverviewImage(editor->doc.island, editor->view.layer);
    ASSERT_EQ(image.size(), 128u * 128u);
    auto at = [&](int px, int py) { return image[py * 128 + px]; };
    auto cell = [](int x, int y) { return ToPixel(CellColour(1, (x + 37 * y) & 0xFF)); };
    // Rows 1.5 -> 2, 4.5 -> 4, 3.52 -> 4; 5.95 stays on the last row.
    EXPECT_EQ(
        std::vector({at(0, 0), at(127, 0), at(3, 32), at(3, 96), at(5, 75), at(9, 127)}),
        std::vector({cell(0, 0), cell(254, 0), cell(6, 2), cell(6, 4), cell(10, 4), cell(18, 5)}));

    editor->doc.island.record.height = 0;
    const auto empty = DrawOverviewImage(editor->doc.island, editor->view.layer);
    EXPECT_EQ(std::count(empty.begin(), empty.end(), 0xFFFFFFFFu), 128 * 128);
}

}  // namespace
}  // namespace insel
