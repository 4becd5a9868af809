#include "bench_files.h"

#include "app/editor.h"
#include "container/game_file.h"
#include "dialogs/new_island.h"
#include "island/writer.h"

namespace insel::bench {
namespace {

void FillIsland(Editor& editor, int size, int seed) {
    editor.ClearIsland();
    NewIsland(editor, size, 2);
    IslandMap& island = editor.island;
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

std::vector<std::uint8_t> Bytes(const Editor& editor) {
    const auto data = editor.output.data();
    return {data.begin(), data.end()};
}

}  // namespace

std::vector<std::uint8_t> FilledIslandFile(int size) {
    Editor editor;
    FillIsland(editor, size, 0);
    AssembleIsland(editor);
    RecalculateKontorId(editor);
    return Bytes(editor);
}

std::vector<std::uint8_t> SavegameFile(int count, int size) {
    std::vector<std::uint8_t> file(16, 0);
    const char head[] = "SAVEGAME";
    std::copy(head, head + 8, file.begin());
    Editor editor;
    for (int i = 0; i < count; ++i) {
        FillIsland(editor, size, i);
        AssembleIsland(editor);
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

}  // namespace insel::bench
