#include "bench_files.h"

#include <algorithm>
#include <cstdlib>

#include "core/app/editor.h"
#include "city_fixture.h"
#include "core/container/game_file.h"
#include "core/dialogs/new_island.h"
#include "core/island/writer.h"

namespace insel::bench {
namespace {

void FillIsland(Editor& editor, int size, int seed) {
    editor.ClearIsland();
    NewIsland(editor.doc, editor.status, size, 2);
    IslandMap& island = editor.doc.island;
    island.record.name = "Benchmark";
    for (int x = 0; x < size; ++x) {
        for (int y = 0; y < size; ++y) {
            const int v = (x * 31 + y * 17 + seed) & 0xFF;
            island.height.set(x, y, static_cast<std::uint8_t>(v));
            island.gfx.set(x, y, static_cast<std::uint16_t>(((11 + v % 140) << 8) | (v & 0x6F)));
            island.fertility.set(x, y, static_cast<std::uint16_t>(v % 11));
            island.terrain.set(x, y, static_cast<std::uint16_t>(700 + v % 50));
            island.terrain_param.set(x, y, static_cast<std::uint16_t>(v << 8));
            island.river.set(x, y, static_cast<std::uint16_t>(2701 + v % 40));
            island.river_param.set(x, y, 0x0100);
        }
    }
}

// An island as players shape them: a hill of plateaus 16 cells wide rising from the sea, the
// tiles of a base pattern in one series per height band, fertility by region, patches of
// forest and a river down the middle.
void ShapeIsland(Editor& editor, int size) {
    editor.ClearIsland();
    NewIsland(editor.doc, editor.status, size, 2);
    IslandMap& island = editor.doc.island;
    island.record.name = "Landscape";
    const int centre = size / 2, shore = size * 9 / 20;
    for (int x = 0; x < size; ++x) {
        for (int y = 0; y < size; ++y) {
            const int distance = std::max(std::abs(x - centre), std::abs(y - centre));
            const int height = distance >= shore ? 0 : std::min(120, (shore - distance) / 16 * 8);
            const int series = height == 0 ? 0x14 : height < 24 ? 0x15 : 0x16;
            island.height.set(x, y, static_cast<std::uint8_t>(height));
            island.gfx.set(x, y, static_cast<std::uint16_t>(series << 8 | (x % 3) * 4 | (y % 3) * 32));
            island.fertility.set(x, y, static_cast<std::uint16_t>((x / 200 + y / 200) % 11));
            if (height > 0 && (x / 64 + y / 64) % 5 == 0) {
                island.terrain.set(x, y, static_cast<std::uint16_t>(700 + (x + y) % 3));
                island.terrain_param.set(x, y, 0x0500);
            }
        }
    }
    for (int y = centre - shore; y < centre; ++y) {
        island.river.set(centre, y, 2701);
        island.river_param.set(centre, y, 0x0100);
    }
}

std::vector<std::uint8_t> Bytes(const Editor& editor) {
    const auto data = editor.output.data();
    return {data.begin(), data.end()};
}

}  // namespace

std::vector<std::uint8_t> FilledIslandFile(int size) {
    Editor editor;
    FillIsland(editor, size, 0);
    AssembleIsland(editor.doc, editor.save, editor.output, editor.status.memo2);
    RecalculateKontorId(editor.output, editor.status.memo2);
    return Bytes(editor);
}

std::vector<std::uint8_t> LandscapeIslandFile(int size) {
    Editor editor;
    ShapeIsland(editor, size);
    AssembleIsland(editor.doc, editor.save, editor.output, editor.status.memo2);
    RecalculateKontorId(editor.output, editor.status.memo2);
    return Bytes(editor);
}

std::vector<std::uint8_t> SavegameFile(int count, int size) {
    std::vector<std::uint8_t> file(16, 0);
    const char head[] = "SAVEGAME";
    std::copy(head, head + 8, file.begin());
    Editor editor;
    for (int i = 0; i < count; ++i) {
        FillIsland(editor, size, i);
        AssembleIsland(editor.doc, editor.save, editor.output, editor.status.memo2);
        std::vector<std::uint8_t> bytes = Bytes(editor);
        GameFileBuffer buffer{bytes};
        std::int64_t insel = 0;
        FindTagForward(buffer, -1, "INSEL5", insel);
        // World position and island number of this island.
        const int first = 40 + (i % 8) * (size + 20);
        const int second = 40 + (i / 8) * (size + 20);
        bytes[insel + 16] = first & 0xFF;
        bytes[insel + 17] = first >> 8;
        bytes[insel + 18] = second & 0xFF;
        bytes[insel + 19] = second >> 8;
        bytes[insel + 24] = static_cast<std::uint8_t>(i);
        file.insert(file.end(), bytes.begin() + insel, bytes.end());
    }
    return file;
}

std::vector<std::uint8_t> SavegameWithCitiesFile(int islands, int size, int cities, int buildings) {
    using namespace insel::fixture;
    std::vector<IslandSpec> plans;
    for (int i = 0; i < islands; ++i) {
        IslandSpec island;
        island.width = island.height = size;
        island.number = static_cast<std::uint32_t>(i + 1);
        island.world_first = static_cast<std::uint16_t>(40 + (i % 8) * (size + 20));
        island.world_second = static_cast<std::uint16_t>(40 + (i / 8) * (size + 20));
        island.heights = [i](int x, int y) {
            return static_cast<std::uint8_t>((x * 31 + y * 17 + i) & 0xFF);
        };
        island.gfx = [](int x, int y) {
            return static_cast<std::uint16_t>(0x0C00 + (y % 3) * 32 + (x % 3) * 4);
        };
        island.terrain = [](int x, int y) {
            return (x * 7 + y) % 5 == 0 ? Element{710, 0x4000} : Element{};
        };
        island.name = "Insel " + std::to_string(i + 1);
        plans.push_back(island);
    }
    std::vector<CitySpec> city_specs;
    const int per_island = (cities + islands - 1) / islands;
    for (int c = 0; c < cities; ++c) {
        const int i = c / per_island;
        IslandSpec& island = plans[i];
        CitySpec city;
        city.player =
            PlayerSpec{.type = 8, .number = static_cast<std::uint32_t>(c % 4 + 1), .forsch = {}};
        city.name = "Stadt " + std::to_string(c + 1);
        const int x0 = 8 + (c % per_island) * (size / per_island);
        city.abs_first = static_cast<std::uint16_t>(island.world_first + x0 + 2);
        city.abs_second = static_cast<std::uint16_t>(island.world_second + 10);
        for (int b = 0; b < buildings; ++b) {
            const int x = x0 + b % 6;
            const int y = 8 + b / 6 * 3;
            city.buildings.push_back(b == 0
                                         ? WarehouseEntry(x, y, static_cast<std::uint16_t>(c + 1))
                                         : PlainEntry(x, y));
            island.objects.push_back(
                {.id_word = static_cast<std::uint16_t>(b == 0 ? 2001 : 1200), .x = x, .y = y});
        }
        city_specs.push_back(city);
    }
    return SavegameWithCities(plans, city_specs).bytes;
}

}  // namespace insel::bench
