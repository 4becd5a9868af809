#pragma once
// Small helpers shared by the core tests.
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "core/app/editor.h"
#include "core/display/view.h"
#include "core/island/city_writer.h"
#include "core/island/loader.h"
#include "island_fixture.h"

namespace insel::test {

// Loads `bytes` as a file of the given kind, as the open command does.
inline void Load(Editor& editor, std::span<const std::uint8_t> bytes, FileKind kind,
                 const std::string& file_name = "test.scp") {
    editor.LoadBytes(bytes, file_name, kind);
}

// What a city-file save of the editor works on.
inline CityFileTarget CityTarget(Editor& editor) {
    return {editor.doc, editor.save, editor.output, editor.status.memo2, editor.status.memo3};
}

// An editor showing an empty island of the given size in the whole-island view.
inline std::unique_ptr<Editor> ShownIsland(int width, int height) {
    auto editor = std::make_unique<Editor>();
    editor->doc.island.record.width = static_cast<std::uint16_t>(width);
    editor->doc.island.record.height = static_cast<std::uint16_t>(height);
    editor->doc.island.cell_block_count = CellBlocksAlong(width) * CellBlocksAlong(height);
    editor->view.island_shown = true;
    ResetView(editor->view, editor->doc.island, editor->status);
    return editor;
}

// 100 x 72 (narrow cell blocks along both far sides) with every layer and list filled.
inline fixture::IslandSpec RichIsland() {
    using fixture::Element;
    // clang-format off
    return {
        .width = 100, .height = 72, .world_first = 30, .world_second = 40, .number = 3,
        .climate = 4, .city_byte = 2, .people_byte = 1, .info_a = 9, .block_figure = 99,
        .info_b = 4242,
        .heights = [](int x, int y) { return std::uint8_t((x * 3 + y) % 200); },
        .fertility = [](int x, int y) { return std::uint8_t((x + y) % 11); },
        .gfx = [](int x, int y) {
            return std::uint16_t(((11 + (x + y) % 140) << 8) | (x * 4 + y) % 256);
        },
        .terrain = [](int x, int y) {
            return (x * 7 + y * 3) % 29 ? Element{}
                                        : Element{std::uint16_t(0x4000 * (x % 4) + 700 + y % 50),
                                                  std::uint16_t(x * 256 + y)};
        },
        .rivers = [](int x, int y) {
            if (x == 13 && y == 20) return Element{0x0A9D, 0x0102};
            return y == 60 && x > 40 ? Element{std::uint16_t(2701 + x % 5), std::uint16_t(x)}
                                     : Element{};
        },
        .quarry_spots = {{.x = 300, .y = 700, .orientation = 2}, {.x = 12, .y = 40},
                         {.x = 1023, .y = 1023, .orientation = 3}},
        // Short, whale-ground and long entries: the WHALE search must stay within its entry.
        .mines = {{.building_id = 1562u << 14, .x = 10, .y = 20, .treasure = 2000, .visible = 1},
                  {.building_id = 1559u << 14, .x = 2, .y = 60, .symbol_value = 0x40A66666u,
                   .data_length = 42},
                  {.building_id = 1664u << 14, .x = 50, .y = 5, .symbol_value = 0x40A66666u,
                   .data_length = 16}},
        .animals = {{1, 2, 3, 4}, {0x1111, 0x2222, 0x3333, 0xFFFF}},
        .objects = {{.id_word = 0x4000 | 821, .parameter = 0x3C00, .x = 5, .y = 6},
                    {.id_word = 0x0123, .parameter = 1, .x = 5, .y = 6},
                    {.id_word = 0x8000 | 100, .parameter = 2, .x = 40, .y = 7}},
        .kontorid = fixture::KontorIdSpec{5, 3}, .name = "Quelle"};
    // clang-format on
}

// The first cell (0..width x 0..height, so one beyond an island of that size) where a layer of
// `a` and `b` differ.
inline std::string LayerDifference(const IslandMap& a, const IslandMap& b, int width, int height) {
    for (int x = 0; x <= width; ++x) {
        for (int y = 0; y <= height; ++y) {
            const char* layer =
                a.height.get(x, y) != b.height.get(x, y)             ? "height"
                : a.gfx.get(x, y) != b.gfx.get(x, y)                 ? "gfx"
                : a.fertility.get(x, y) != b.fertility.get(x, y)     ? "fertility"
                : a.terrain.get(x, y) != b.terrain.get(x, y)         ? "terrain"
                : a.river.get(x, y) != b.river.get(x, y)             ? "river"
                : a.river_param.get(x, y) != b.river_param.get(x, y) ? "river parameter"
                // The parameter of a cell without element carries nothing.
                : a.terrain.get(x, y) && a.terrain_param.get(x, y) != b.terrain_param.get(x, y)
                    ? "terrain parameter"
                    : nullptr;
            if (layer)
                return std::string(layer) + " at " + std::to_string(x) + ", " + std::to_string(y);
        }
    }
    return {};
}

}  // namespace insel::test
