// Terrain tools on a 1024 x 1024 island: "Clear all !" as a step of the
// history against a memcpy of the terrain layer it reads and writes, and scattering 1,000
// elements.
#include <benchmark/benchmark.h>

#include <memory>
#include <random>

#include "bench_timing.h"
#include "core/app/editor.h"
#include "core/tools/terrain.h"

namespace {

using namespace insel::bench;

constexpr std::size_t kTerrainLayerBytes =
    static_cast<std::size_t>(insel::kLayerSide) * insel::kLayerSide * sizeof(std::uint16_t);

// Every element of the island removed, one step; undone between runs.
void BM_TerrainClearAll1024(benchmark::State& state) {
    state.SetLabel(ToolIslandName(state.range(0)));
    auto editor = Loaded1024(state.range(0));
    double best = 1e9;
    int removed_cells = 0;
    for (auto _ : state) {
        for (int i = 0; i < 10; ++i) {
            const double took = Seconds([&] { insel::ClearTerrainStep(*editor, {}); });
            best = std::min(best, took);
            state.SetIterationTime(took);
            removed_cells = 0;
            editor->history.Undo(editor->doc);
        }
    }
    for (int x = 0; x < 1024; ++x)
        for (int y = 0; y < 1024; ++y) removed_cells += editor->doc.island.terrain.get(x, y) != 0;
    // The layer it reads and writes: the terrain layer.
    const double memcpy_layer = MemcpySeconds(kTerrainLayerBytes);
    state.counters["clear_ms"] = best * 1e3;
    state.counters["x_clear_vs_memcpy"] = best / memcpy_layer;
    state.counters["cells_with_elements"] = removed_cells;
}
BENCHMARK(BM_TerrainClearAll1024)->Arg(0)->Arg(1)->UseManualTime()->Iterations(1)->Unit(benchmark::kMillisecond);

// 1,000 elements scattered over the whole island, overwriting, away from objects.
void BM_TerrainDistribute1000(benchmark::State& state) {
    auto editor = Loaded1024();
    std::mt19937 random(5);
    insel::DistributeOptions options;
    options.id = 1001;
    options.count = 1000;
    options.min_height = 0;
    options.max_height = 255;
    options.overwrite = true;
    double best = 1e9;
    long long attempts = 0;
    for (auto _ : state) {
        for (int i = 0; i < 10; ++i) {
            insel::DistributeResult result;
            const double took =
                Seconds([&] { result = insel::DistributeStep(*editor, options, random, {}); });
            best = std::min(best, took);
            attempts = result.attempts;
            state.SetIterationTime(took);
            editor->history.Undo(editor->doc);
        }
    }
    // What the step's history reads and writes at most: the two terrain layers' columns it
    // touched, compared with one memcpy of both layers.
    const double memcpy_layers = MemcpySeconds(2 * kTerrainLayerBytes);
    state.counters["distribute_ms"] = best * 1e3;
    state.counters["us_per_element"] = best * 1e6 / 1000.0;
    state.counters["x_vs_memcpy_both_layers"] = best / memcpy_layers;
    state.counters["objects"] = static_cast<double>(editor->doc.island.objects.size());
    state.counters["attempts"] = static_cast<double>(attempts);
}
BENCHMARK(BM_TerrainDistribute1000)->UseManualTime()->Iterations(1)->Unit(benchmark::kMillisecond);

}  // namespace
