// The quarter turn of a 1024 x 1024 island with every layer filled, against a memcpy of the
// layers' bytes, alone and as a step of the edit history; on the landscape island and on the
// one where every cell differs.
#include <benchmark/benchmark.h>

#include <memory>
#include <random>

#include "bench_timing.h"
#include "core/app/editor.h"
#include "core/tools/rotation.h"

namespace {

using namespace insel::bench;

// The island with 10,000 terrain elements of footprints from the terrain list, 1,000
// river cells, and a few hundred mines, quarry spots, animals and objects.
std::unique_ptr<insel::Editor> TurnableIsland(std::int64_t kind) {
    auto editor = std::make_unique<insel::Editor>();
    editor->LoadBytes(ToolIsland1024(kind), "bench.scp", insel::FileKind::Island);
    editor->definitions.terrain_list = {"700,y1x0,11,Eiche", "701,y1x0,23,Fels",
                                        "702,y1x0,32,Wrack", "2701,y1x0,11,Fluss"};
    insel::IslandMap& island = editor->doc.island;
    editor->Step("setup", [&] {
        for (int x = 0; x < 1024; ++x) {
            std::fill_n(island.terrain.column(x), 1024, std::uint16_t{0});
            std::fill_n(island.river.column(x), 1024, std::uint16_t{0});
        }
        std::mt19937 random(7);
        for (int i = 0; i < 10000; ++i) {
            const int x = 8 + static_cast<int>(random() % 1008);
            const int y = 8 + static_cast<int>(random() % 1008);
            island.terrain.set(x, y, static_cast<std::uint16_t>(700 + i % 3 + (i % 4) * 16384));
        }
        for (int i = 0; i < 1000; ++i) island.river.set(100 + i % 800, 500 + i / 800, 2701);
        for (int i = 0; i < 300; ++i) {
            island.mines.push_back(
                {.y = insel::EncodeCellFloat(i), .x = insel::EncodeCellFloat(i)});
            island.quarry_spots.push_back(
                {.y = static_cast<std::uint32_t>(i + 10), .x = static_cast<std::uint32_t>(i)});
            island.animals.push_back({static_cast<std::uint16_t>(i), 7, 0, 0});
            island.objects.push_back({.x = i, .y = 2 * i, .width = 2, .height = 3});
        }
    });
    editor->StartHistory();
    return editor;
}

void BM_QuarterTurn1024(benchmark::State& state) {
    state.SetLabel(ToolIslandName(state.range(0)));
    auto editor = TurnableIsland(state.range(0));
    std::vector<std::uint8_t> sink(1);
    double turn = 1e9, step = 1e9;
    for (auto _ : state) {
        turn = BestOf(sink, [&](int) {
            insel::RotateQuarter(editor->doc, editor->definitions, editor->status);
        });
        state.SetIterationTime(turn);
        step = BestStep(*editor, [] {}, [&](int) {
            insel::RotateQuarter(editor->doc, editor->definitions, editor->status);
        });
    }
    // The island square of the seven recorded layers: 1 byte of height, 2 of every other.
    const std::size_t bytes = std::size_t{1024} * 1024 * (1 + 2 * 6);
    const double memcpy_layers = MemcpySeconds(bytes);
    state.counters["turn_ms"] = turn * 1e3;
    state.counters["x_turn_vs_memcpy_layers"] = turn / memcpy_layers;
    state.counters["step_ms"] = step * 1e3;
    state.counters["x_step_vs_memcpy_layers"] = step / memcpy_layers;
}
BENCHMARK(BM_QuarterTurn1024)->Arg(0)->Arg(1)->UseManualTime()->Iterations(1)->Unit(benchmark::kMillisecond);

}  // namespace
