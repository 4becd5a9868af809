// The colour function, the legend, and the colour pass, overlays and overview picture checked
// on raster pixels.
#include "core/display/renderer.h"

#include <gtest/gtest.h>

#include <array>
#include <initializer_list>
#include <memory>
#include <tuple>
#include <utility>
#include <vector>

#include "core/app/editor.h"
#include "core/display/colours.h"
#include "core/display/legend.h"
#include "test_helpers.h"

namespace insel {
namespace {

using test::ShownIsland;

// Pixels of the 4 x 4 cells (x, y) of a whole 128-cell view that differ from their colour.
int Mismatches(const Raster& raster, std::initializer_list<std::tuple<int, int, Colour>> cells) {
    int wrong = 0;
    for (auto [x, y, colour] : cells)
        for (int dy = 0; dy < 4; ++dy)
            for (int dx = 0; dx < 4; ++dx)
                wrong += raster.at(4 * x + dx, 4 * y + dy) != ToPixel(colour);
    return wrong;
}

// Per colour, the smallest box holding all its pixels: left, top, right, bottom, inclusive.
using Box = std::array<int, 4>;
using Boxes = std::vector<Box>;
constexpr Box kNoBox{Raster::kWidth, Raster::kHeight, -1, -1};

Boxes BoxesOf(const Raster& raster, std::initializer_list<Colour> colours) {
    Boxes boxes;
    for (Colour colour : colours) {
        Box& box = boxes.emplace_back(kNoBox);
        for (int y = 0; y < Raster::kHeight; ++y)
            for (int x = 0; x < Raster::kWidth; ++x)
                if (raster.at(x, y) == ToPixel(colour))
                    box = {std::min(box[0], x), std::min(box[1], y), std::max(box[2], x),
                           std::max(box[3], y)};
    }
    return boxes;
}

Raster Render(const Editor& ed, const RenderSettings& settings = {}) {
    Raster raster;
    RenderMap(ed.doc, ed.view, settings, raster);
    return raster;
}

TEST(ColourPass, WholeViewFillsEveryCellInItsColour) {
    auto ed = ShownIsland(128, 128);
    for (int x = 0; x < 128; ++x)
        for (int y = 0; y < 128; ++y) ed->doc.island.height.set(x, y, std::uint8_t(x * 3 + y));
    ed->doc.island.river.set(7, 9, 2701);
    const Raster raster = Render(*ed);
    int wrong = 0;
    for (int x = 0; x < 128; ++x)
        for (int y = 0; y < 128; ++y)
            wrong += Mismatches(
                raster, {{x, y, x == 7 && y == 9 ? 0xC0C0C0 : CellColour(0, (x * 3 + y) & 0xFF)}});
    // 0xBBGGRR red is RGB32 red.
    EXPECT_EQ(std::tuple(wrong, raster.at(512, 0), raster.at(1023, 511), ToPixel(0x0000FF)),
              std::tuple(0, 0xFFFFFFFFu, 0xFFFFFFFFu, 0xFFFF0000u));
}

TEST(ColourPass, LayersAndHighlights) {
    auto ed = ShownIsland(128, 128);
    IslandMap& island = ed->doc.island;
    ed->view.layer = static_cast<DisplayLayer>(3);
    island.fertility.set(1, 0, 25), island.fertility.set(2, 0, 4);
    EXPECT_EQ(
        Mismatches(Render(*ed), {{1, 0, kFertilityColours[10]}, {2, 0, kFertilityColours[4]}}), 0);

    ed->view.layer = static_cast<DisplayLayer>(0);
    island.terrain.set(1, 1, 0xC123);  // element 0x0123 turned three quarters
    island.terrain.set(2, 1, 0x0124), island.terrain.set(3, 1, 0x0123);
    RenderSettings settings;
    settings.highlight_kind = kTerrainHighlight, settings.highlight_value = 0x0123;
    settings.terrain_highlight = 0x00FF00;
    const Colour lit = 0x00FF00, plain = CellColour(0, 0);
    EXPECT_EQ(Mismatches(Render(*ed, settings), {{1, 1, lit}, {2, 1, plain}, {3, 1, lit}}), 0);
    settings.any_orientation = false;
    EXPECT_EQ(Mismatches(Render(*ed, settings), {{1, 1, plain}, {3, 1, lit}}), 0);

    island.gfx.set(5, 5, 0x2A07);
    settings.highlight_kind = kGfxSeriesHighlight, settings.highlight_value = 0x2A;
    settings.gfx_highlight = 0xFF0000;
    EXPECT_EQ(Mismatches(Render(*ed, settings), {{5, 5, 0xFF0000}, {1, 1, plain}}), 0);
}

TEST(Overlays, QuarrySpotsMinesAndAnimalsAtTheirCells) {
    auto ed = ShownIsland(128, 128);
    ed->doc.island.quarry_spots = {{.orientation = 1, .y = 20, .x = 10}};
    ed->doc.island.mines = {{.y = EncodeCellFloat(40), .x = EncodeCellFloat(30)}};
    ed->doc.island.animals.push_back(AnimalEntry{50, 60, 0, 0});
    RenderSettings settings{.pen_width = 1, .mine = 0x123456};
    Raster raster = Render(*ed, settings);
    // The quarry spot 3 wide and 4 high, the anchor cell inside it left as it was.
    EXPECT_EQ(BoxesOf(raster, {settings.quarry, settings.mine, settings.animal}),
              (Boxes{{40, 80, 51, 95}, {120, 160, 123, 163}, kNoBox}));
    EXPECT_EQ(raster.at(41, 81), ToPixel(CellColour(0, 0)));
    ed->doc.island.quarry_spots[0].orientation = 2;
    settings.animals = true;
    EXPECT_EQ(BoxesOf(Render(*ed, settings), {settings.quarry, settings.animal}),
              (Boxes{{40, 80, 55, 91}, {200, 240, 203, 243}}));
}

TEST(Overlays, ObjectFootprintAnchorAndMarket) {
    auto ed = ShownIsland(128, 128);
    ObjectEntry& object = ed->doc.island.objects.emplace_back();
    object.graphic_id = 821, object.x = 20, object.y = 30, object.width = 3, object.height = 2;
    object.market_x = 40, object.market_y = 50;
    RenderSettings settings;
    Raster raster;
    EXPECT_EQ(RenderMap(ed->doc, ed->view, settings, raster), 0);
    // The outline runs from the footprint to the market; right of the footprint is plain.
    EXPECT_EQ(BoxesOf(raster, {settings.object_anchor, settings.object_outline}),
              (Boxes{{80, 120, 83, 123}, {80, 120, 167, 207}}));
    EXPECT_EQ(std::pair(raster.at(166, 206), raster.at(92, 120)),
              std::pair(ToPixel(settings.object_outline), ToPixel(CellColour(0, 0))));

    object.market_x = object.market_y = -8000;
    EXPECT_EQ(BoxesOf(Render(*ed, settings), {settings.object_outline}),
              (Boxes{{80, 120, 91, 127}}));

    settings.shown_object_id = 821;
    EXPECT_EQ(RenderMap(ed->doc, ed->view, settings, raster), 1);
    EXPECT_EQ(BoxesOf(raster, {settings.animal, settings.object_anchor}),
              (Boxes{{80, 120, 91, 127}, kNoBox}));
    settings.objects = false;
    EXPECT_EQ(RenderMap(ed->doc, ed->view, settings, raster), 0);
    EXPECT_EQ(BoxesOf(raster, {settings.animal}), (Boxes{kNoBox}));
}

// A view of whole columns scans the grid in one go, a smaller one column by column; cells at
// the ends of columns must still land on their own column.
TEST(Overlays, CatchmentOfTheCurrentCityAboveHeight16AtColumnEnds) {
    for (int side : {512, 128}) {
        auto ed = ShownIsland(side, side);
        ed->doc.cities.cities.emplace_back().number = 4;
        ed->doc.cities.current = 0;
        // x, y, city, height: the last two drawn neither, as too low and another city's.
        const std::array<int, 4> cells[] = {
            {5, side - 1, 4, 17}, {6, 0, 4, 17}, {100, 30, 4, 17}, {101, 30, 4, 16}, {7, 7, 3, 30}};
        for (auto [x, y, city, height] : cells) {
            ed->doc.cities.catchment.Edit()[x * kCatchmentSide + y] = city;
            ed->doc.island.height.set(x, y, height);
        }
        RenderSettings settings{.pen_width = 1, .catchment = 0x654321};
        const std::uint32_t pen = ToPixel(settings.catchment);
        const int cell = 512 / side;
        Raster raster;
        auto drawn = [&] {
            raster = Render(*ed, settings);
            return std::count(raster.pixels.begin(), raster.pixels.end(), pen);
        };
        EXPECT_EQ(drawn(), 0);
        settings.catchment_shown = true;
        EXPECT_EQ(drawn(), 3 * (cell == 1 ? 1 : 4 * cell - 4)) << side;  // outlines of 3 cells
        for (auto [x, y, city, height] : {cells[0], cells[1], cells[2]})
            EXPECT_EQ(raster.at(cell * x, cell * y), pen) << side << ": " << x << ", " << y;
        ed->doc.cities.current.reset();
        EXPECT_EQ(drawn(), 0);
    }
}

TEST(Overlays, HeightProfilePageKeepsCanvasAndShowsMarksAndAHiddenIslandNothing) {
    auto ed = ShownIsland(128, 128);
    ed->doc.island.mark.set(2, 3, 1);
    ed->doc.island.objects = {{.x = 8, .y = 8}};
    Raster raster;
    raster.Fill(0x12345678);
    RenderMap(ed->doc, ed->view, {.marked = 0x0A0B0C, .height_profile_page = true}, raster);
    EXPECT_EQ(std::pair(raster.at(700, 10),
                        Mismatches(raster, {{2, 3, 0x0A0B0C}, {8, 8, CellColour(0, 0)}})),
              std::pair(0x12345678u, 0));

    raster.Fill(0x12345678);
    ed->view.island_shown = false;
    EXPECT_EQ(RenderMap(ed->doc, ed->view, RenderSettings{}, raster), 0);
    EXPECT_EQ(std::count(raster.pixels.begin(), raster.pixels.end(), 0x12345678u),
              std::ssize(raster.pixels));
}

TEST(CellColour, HeightBandsOtherLayersAndOverviewSamplesRoundingHalvesToEven) {
    auto ed = ShownIsland(256, 6);
    // Green is the sampled height, one colour per value.
    ed->view.layer = static_cast<DisplayLayer>(1);
    for (int x = 0; x < 256; ++x)
        for (int y = 0; y < 6; ++y) ed->doc.island.height.set(x, y, std::uint8_t(x + 37 * y));
    const auto image = DrawOverviewImage(ed->doc.island, ed->view.layer);
    ASSERT_EQ(image.size(), 128u * 128u);
    auto at = [&](int px, int py) { return image[py * 128 + px]; };
    auto cell = [](int x, int y) { return ToPixel(CellColour(1, (x + 37 * y) & 0xFF)); };
    // Rows 1.5 -> 2, 4.5 -> 4, 3.52 -> 4; 5.95 stays on the last row.
    EXPECT_EQ(
        std::vector({at(0, 0), at(127, 0), at(3, 32), at(3, 96), at(5, 75), at(9, 127)}),
        std::vector({cell(0, 0), cell(254, 0), cell(6, 2), cell(6, 4), cell(10, 4), cell(18, 5)}));

    ed->doc.island.record.height = 0;
    const auto empty = DrawOverviewImage(ed->doc.island, ed->view.layer);
    EXPECT_EQ(std::count(empty.begin(), empty.end(), 0xFFFFFFFFu), 128 * 128);

    // Height, band, legend panel: a value falls in the first band whose bound reaches it.
    const int bands[][3] = {{0, 0, 0},     {1, 1, 1},     {4, 1, 1},     {5, 2, 2},
                            {40, 14, 14},  {41, 15, 15},  {232, 52, 52}, {240, 53, 53},
                            {241, 54, -1}, {254, 54, -1}, {255, 54, 0}};
    for (const auto& [height, band, panel] : bands) {
        EXPECT_EQ(
            std::tuple(HeightBand(height), CellColour(0, height), LegendPanelOfHeight(height)),
            std::tuple(band, kHeightColours[band], panel))
            << height;
    }
    // Tiles and vegetation swap the value's bytes into red and green; fertility above ten takes
    // the colour of ten; unknown layers are red.
    for (int layer : {1, 2}) EXPECT_EQ(CellColour(layer, 0x1234), 0x3412u) << layer;
    EXPECT_EQ(CellColour(3, 4), kFertilityColours[4]);
    for (int value : {10, 11, 60000}) EXPECT_EQ(CellColour(3, value), 0x00FF00u) << value;
    for (int layer : {4, -1}) EXPECT_EQ(CellColour(layer, 7), 0x0000FFu) << layer;
}

// The chosen panels as "shown caption/count" rows.
std::string Rows(const Legend& legend, const std::vector<int>& panels) {
    std::string rows;
    for (int i : panels) {
        const LegendEntry& e = legend[static_cast<std::size_t>(i)];
        rows += (e.shown ? " shown " : " hidden ") + e.caption + "/" + e.count;
    }
    return rows;
}

// Two cell blocks with counts set directly, as the loader leaves them.
TEST(Legend, WholeIslandAndViewLegends) {
    auto ed = std::make_unique<Editor>();
    IslandMap& island = ed->doc.island;
    island.cell_block_count = island.block_counts_used = 2;
    auto &b0 = island.block_height_counts[0], &b1 = island.block_height_counts[1];
    b0[0] = 5, b0[1] = 2, b0[4] = 3;
    b1[4] = 1, b1[40] = 7, b1[60] = 8, b1[241] = 9, b1[255] = 4;
    auto &f0 = island.block_fertility_counts[0], &f1 = island.block_fertility_counts[1];
    f0[0] = 2, f0[10] = 6, f1[10] = 1, f1[3] = 5;
    auto whole = [&](int layer) { return FullIslandLegend(island, DisplayLayer(layer)); };
    {
        SCOPED_TRACE("whole island: heights take the last value of each panel");
        // 255 replaces the 5 cells of height 0, 4 (3 + 1) replaces 1; band 2 has no cells: its
        // bound, no count; 241 has no panel.
        EXPECT_EQ(Rows(whole(0), {0, 1, 2, 14, 53}),
                  " shown 255/4 shown 4/4 shown 8/ shown 40/7 shown 240/");
        EXPECT_EQ(whole(0)[14].colour, kHeightColours[14]);
        // Other layers show only the values present.
        EXPECT_EQ(Rows(whole(1), {1, 2}), " shown 4/4 hidden /");
        EXPECT_EQ(Rows(whole(3), {0, 1, 3, 10, 11}),
                  " shown 0/2 shown 1/ shown 3/5 shown 10/7 hidden /");
        EXPECT_EQ(whole(3)[4].colour, kFertilityColours[4]);
    }
    SCOPED_TRACE("view: counts of the shown block under the band bounds");
    ViewState& view = ed->view;
    // Block 1 (255 has no panel here), the whole island, a block beyond the island's.
    for (const auto& [part, panels, rows] :
         {std::tuple{1, std::vector{0, 1, 23}, " shown 0/ shown 4/1 shown 60/8"},
          {-1, std::vector{0, 1}, " shown 0/5 shown 4/4"},
          {2, std::vector{1}, " shown 4/"}}) {
        view.part_index = part;
        EXPECT_EQ(Rows(ViewLegend(island, view), panels), rows) << part;
    }
    view.layer = static_cast<DisplayLayer>(3);
    view.part_index = 1;
    EXPECT_EQ(Rows(ViewLegend(island, view), {0, 3, 10, 11}),
              " shown 0/ shown 3/5 shown 10/1 hidden /");
    for (int layer : {1, 2}) {
        view.layer = static_cast<DisplayLayer>(layer);
        for (const LegendEntry& e : ViewLegend(island, view))
            EXPECT_EQ(std::tuple(e.shown, e.caption, e.count), std::tuple(false, "", "")) << layer;
    }
}

}  // namespace
}  // namespace insel
