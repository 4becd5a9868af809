#include "samplegen/sample_island.h"

#include <cmath>

#include "core/app/editor.h"
#include "core/dialogs/new_island.h"

namespace insel {
namespace {

constexpr int kSize = 128;

// Height of a smooth island: a few hills on a round base, sea around it.
int SampleHeight(int x, int y) {
    const double cx = x - kSize / 2.0, cy = y - kSize / 2.0;
    const double r = std::sqrt(cx * cx + cy * cy);
    double h = 75.0 - r * 0.9;
    h += 12.0 * std::exp(-((x - 50) * (x - 50) + (y - 45) * (y - 45)) / 120.0);
    h += 18.0 * std::exp(-((x - 80) * (x - 80) + (y - 75) * (y - 75)) / 200.0);
    h += 2.0 * std::sin(x * 0.37) * std::cos(y * 0.29);
    return std::clamp(static_cast<int>(h), 0, 255);
}

// Tiles come in 3 x 3 fields: series by ground kind, the field position in the low byte.
std::uint16_t SampleTile(int x, int y, int height) {
    int series_code = 0x0B;                // deep water
    if (height >= 30) series_code = 0x0C;  // shallows
    if (height >= 40) series_code = 0x0D;  // beach
    if (height >= 44) series_code = 0x0E;  // meadow
    if (height >= 70) series_code = 0x0F;  // hills
    const int low = (y % 3) * 32 + (x % 3) * 4 + ((x / 3 + y / 3) % 4);
    return static_cast<std::uint16_t>((series_code << 8) | low);
}

}  // namespace

void BuildSampleIsland(Editor& editor) {
    editor.ClearIsland();
    NewIsland(editor.doc, editor.status, kSize, 2);
    IslandMap& island = editor.doc.island;
    island.record.name = "Sample island";
    for (int x = 0; x < kSize; ++x) {
        for (int y = 0; y < kSize; ++y) {
            const int h = SampleHeight(x, y);
            island.height.set(x, y, static_cast<std::uint8_t>(h));
            island.gfx.set(x, y, SampleTile(x, y, h));
            island.fertility.set(x, y,
                                 static_cast<std::uint16_t>(h < 40 ? 0 : (x * 7 + y * 3) % 11));
            if (h >= 46 && h < 70 && (x * 31 + y * 17) % 23 == 0) {
                // Trees and plants, turned by position; the parameter's high byte is the ground
                // height.
                island.terrain.set(
                    x, y, static_cast<std::uint16_t>((((x + y) % 4) << 14) | (700 + (x + y) % 20)));
                island.terrain_param.set(x, y, static_cast<std::uint16_t>(h << 8));
            } else if (h >= 70 && (x * 13 + y * 7) % 19 == 0) {
                island.terrain.set(x, y, static_cast<std::uint16_t>(1501 + (x + y) % 10));
                island.terrain_param.set(x, y, static_cast<std::uint16_t>(h << 8));
            }
        }
    }
    // A river running from the eastern hill to the southern shore.
    for (int step = 0; step < 40; ++step) {
        const int x = 80 - step / 3;
        const int y = 75 + step;
        if (y >= kSize) break;
        island.river.set(x, y, static_cast<std::uint16_t>(2701 + step % 6));
        island.river_param.set(x, y, 0x0100);
    }
    const int mine_ids[] = {1560, 1562, 1564, 1559};
    const int mine_cells[][2] = {{50, 45}, {82, 70}, {78, 80}, {10, 20}};
    for (int i = 0; i < 4; ++i) {
        MineRecord mine;
        mine.building_id = mine_ids[i] * 16384;
        mine.x = EncodeCellFloat(mine_cells[i][0]);
        mine.y = EncodeCellFloat(mine_cells[i][1]);
        mine.whale = mine_ids[i] == 1559 ? 1 : 0;
        mine.symbol_value = static_cast<std::uint32_t>(16384 + 20) << 16;
        mine.symbol_elevation = 20;
        mine.treasure = 400;
        mine.visible = i == 0 ? 1 : 0;
        island.mines.push_back(mine);
    }
    for (int i = 0; i < 3; ++i) {
        MineRecord spot;
        spot.x = static_cast<std::uint32_t>(40 + 12 * i);
        spot.y = static_cast<std::uint32_t>(60 + 5 * i);
        spot.x_band = static_cast<std::int32_t>(spot.x / 16);
        spot.orientation = i;
        island.quarry_spots.push_back(spot);
    }
    // Animals stand at (first, second), the cell the loader and the renderer read; the other
    // two words (kind and number here) are carried unchanged.
    island.animals.push_back(AnimalEntry{60, 64, 3, 1});
    island.animals.push_back(AnimalEntry{70, 52, 3, 2});
}

}  // namespace insel
