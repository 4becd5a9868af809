// Ground tiles and the block buffer on a 1024 x 1024 island: each change as a step of the
// history (the counters' upkeep included), against a memcpy of the bytes it reads and writes.
#include <benchmark/benchmark.h>

#include <memory>

#include "bench_timing.h"
#include "core/app/editor.h"
#include "core/tools/block_buffer.h"
#include "core/tools/ground_tiles.h"

namespace {

using namespace insel::bench;

constexpr std::size_t kLayerCells = static_cast<std::size_t>(insel::kLayerSide) * insel::kLayerSide;
constexpr std::size_t kCellBytes = 1 + 6 * 2;  // the seven layers a block holds

// Best of ten steps of `change`, which takes the island and a run's number: the steps, each
// undone, all run as number 0; the same change without a history, on a second island, runs
// back and forth by the number and is reported as "change_ms".
template <class Change>
double BestTileStep(benchmark::State& state, insel::Editor& editor, Change change) {
    auto plain = Loaded1024(state.range(0));
    double best = 1e9, without = 1e9;
    for (auto _ : state) {
        for (int i = 0; i < 10; ++i)
            without = std::min(without, Seconds([&] { change(plain->doc.island, i); }));
        best = BestStep(editor, [] {}, [&](int) { change(editor.doc.island, 0); });
        state.SetIterationTime(best);
    }
    state.counters["change_ms"] = without * 1e3;
    return best;
}

void Report(benchmark::State& state, double seconds, std::size_t bytes) {
    const double memcpy = MemcpySeconds(bytes);
    state.counters["ms"] = seconds * 1e3;
    state.counters["memcpy_ms"] = memcpy * 1e3;
    state.counters["x_vs_memcpy"] = seconds / memcpy;
}

// Every cell changes series, back and forth: the whole tile layer read and written.
void BM_TilesReplaceSeries1024(benchmark::State& state) {
    state.SetLabel(ToolIslandName(state.range(0)));
    auto editor = Loaded1024(state.range(0));
    editor->Step("setup", [&] {
        insel::FillBase(editor->doc.island, editor->tools.tiles,
                        "Hibyte 20 top 00 04 08 middle 32 36 40 bottom 64 68 72",
                        insel::FillWhere::All, 0);
    });
    const double best = BestTileStep(state, *editor, [&](insel::IslandMap& island, int i) {
        insel::ReplaceSeries(island, i % 2 ? 21 : 20, i % 2 ? 20 : 21);
    });
    Report(state, best, kLayerCells * 2);
}
BENCHMARK(BM_TilesReplaceSeries1024)->Arg(0)->Arg(1)->UseManualTime()->Iterations(1)->Unit(benchmark::kMillisecond);

// The whole layer from a pattern by the heights: heights read, tiles written.
void BM_TilesFillBase1024(benchmark::State& state) {
    state.SetLabel(ToolIslandName(state.range(0)));
    auto editor = Loaded1024(state.range(0));
    const double best = BestTileStep(state, *editor, [&](insel::IslandMap& island, int i) {
        insel::FillBase(island, editor->tools.tiles,
                        i % 2 ? "Hibyte 20 top 00 04 08 middle 32 36 40 bottom 64 68 72"
                              : "Hibyte 21 top 12 16 20 middle 44 48 52 bottom 76 80 84",
                        insel::FillWhere::All, 0);
    });
    Report(state, best, kLayerCells * (1 + 2));
}
BENCHMARK(BM_TilesFillBase1024)->Arg(0)->Arg(1)->UseManualTime()->Iterations(1)->Unit(benchmark::kMillisecond);

// A 300 x 300 block with every layer into the buffer.
void BM_TilesBlockCopy300(benchmark::State& state) {
    state.SetLabel(ToolIslandName(state.range(0)));
    auto editor = Loaded1024(state.range(0));
    insel::BlockBuffer buffer;
    double best = 1e9;
    for (auto _ : state) {
        for (int i = 0; i < 10; ++i) {
            const double took = Seconds([&] {
                insel::CopyBlock(buffer, editor->doc.island, 100 + i, 200, 300, 300, true, true);
            });
            state.SetIterationTime(took);
            best = std::min(best, took);
        }
    }
    Report(state, best, 300 * 300 * kCellBytes);
}
BENCHMARK(BM_TilesBlockCopy300)->Arg(0)->Arg(1)->UseManualTime()->Iterations(1)->Unit(benchmark::kMillisecond);

// That block pasted 3 x 3 times with every layer, as a step.
void BM_TilesBlockPaste300x3x3(benchmark::State& state) {
    state.SetLabel(ToolIslandName(state.range(0)));
    auto editor = Loaded1024(state.range(0));
    insel::BlockBuffer buffer;
    insel::CopyBlock(buffer, editor->doc.island, 100, 200, 300, 300, true, true);
    const double best = BestTileStep(state, *editor, [&](insel::IslandMap& island, int i) {
        insel::PasteBlock(island, buffer, 10 + i % 2, 20, 3, 3, {});
    });
    Report(state, best, 9 * 300 * 300 * kCellBytes);
}
BENCHMARK(BM_TilesBlockPaste300x3x3)->Arg(0)->Arg(1)->UseManualTime()->Iterations(1)->Unit(benchmark::kMillisecond);

// A 3 x 3 field flooded 300 x 300 times: 900 x 900 cells, as a step.
void BM_TilesFlood900(benchmark::State& state) {
    state.SetLabel(ToolIslandName(state.range(0)));
    auto editor = Loaded1024(state.range(0));
    insel::ComposeField(editor->tools, "20", "0", "00");
    const double best = BestTileStep(state, *editor, [&](insel::IslandMap& island, int i) {
        editor->tools.tiles.series = 20 + i % 2;
        insel::FloodField(island, editor->tools.tiles, 10, 10, 3, 3, 300, 300);
    });
    Report(state, best, 900 * 900 * 2);
}
BENCHMARK(BM_TilesFlood900)->Arg(0)->Arg(1)->UseManualTime()->Iterations(1)->Unit(benchmark::kMillisecond);

}  // namespace
