// The edit history: what recording, undoing and redoing a step cost against the same change
// made without a history, and what the steps hold.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <memory>
#include <random>

#include "bench_timing.h"
#include "core/app/editor.h"
#include "core/container/file_io.h"
#include "core/document/journal.h"
#include "core/island/loader.h"
#include "temp_file.h"

namespace {

using namespace insel::bench;

// Every height of the island set to `value`.
void SetHeights(insel::IslandMap& island, std::uint8_t value) {
    const int side = island.record.width;
    for (int x = 0; x < side; ++x)
        std::fill_n(island.height.column(x), island.record.height, value);
}

// The same change without a history, keeping the block counts right itself, cell by cell.
void SetHeightsCounting(insel::IslandMap& island, std::uint8_t value) {
    const int side = island.record.width;
    for (int x = 0; x < side; ++x) {
        std::uint8_t* column = island.height.column(x);
        for (int y = 0; y < island.record.height; ++y) {
            auto& counts = island.block_height_counts[island.BlockOf(x, y)];
            --counts[column[y]];
            ++counts[value];
            column[y] = value;
        }
    }
}

// A step that changes every height of a 1024 x 1024 island: the step, its undo and redo,
// against the change made without a history and a memcpy of all the layers' bytes.
void BM_HistoryEveryHeight1024(benchmark::State& state) {
    auto editor = Loaded1024();
    auto plain = Loaded1024();
    double step = 1e9, without = 1e9, undo = 1e9, redo = 1e9;
    std::size_t held = 0;
    for (auto _ : state) {
        for (int i = 0; i < 10; ++i) {
            const auto value = static_cast<std::uint8_t>(100 + i % 2);
            without =
                std::min(without, Seconds([&] { SetHeightsCounting(plain->doc.island, value); }));
            const std::size_t before = editor->history.MemoryBytes();
            const double took = Seconds(
                [&] { editor->Step("Höhe", [&] { SetHeights(editor->doc.island, value); }); });
            state.SetIterationTime(took);
            step = std::min(step, took);
            held = editor->history.MemoryBytes() - before;
            undo = std::min(undo, Seconds([&] { editor->history.Undo(editor->doc); }));
            redo = std::min(redo, Seconds([&] { editor->history.Redo(editor->doc); }));
        }
    }
    const std::size_t cells = static_cast<std::size_t>(1024) * 1024;
    const std::size_t layers =
        static_cast<std::size_t>(insel::kLayerSide) * insel::kLayerSide * (1 + 2 * 6 + 1);
    const double memcpy_layers = MemcpySeconds(layers);
    state.counters["step_ms"] = step * 1e3;
    state.counters["x_step_vs_without_history"] = step / without;
    state.counters["x_undo_vs_step"] = undo / step;
    state.counters["x_redo_vs_step"] = redo / step;
    state.counters["x_undo_vs_memcpy_layers"] = undo / memcpy_layers;
    state.counters["x_redo_vs_memcpy_layers"] = redo / memcpy_layers;
    state.counters["x_held_vs_changed_bytes"] = static_cast<double>(held) / cells;
}
BENCHMARK(BM_HistoryEveryHeight1024)->UseManualTime()->Iterations(1)->Unit(benchmark::kMillisecond);

// 1,000 steps that each change 100 scattered tiles: what the history holds.
void BM_History1000ScatteredSteps(benchmark::State& state) {
    auto editor = Loaded1024();
    std::mt19937 random(1);
    for (auto _ : state) {
        editor->StartHistory();
        const double took = Seconds([&] {
            for (int step = 0; step < 1000; ++step) {
                editor->Step("Punkte", [&] {
                    for (int k = 0; k < 100; ++k) {
                        editor->doc.island.gfx.set(random() % 1024, random() % 1024,
                                                   static_cast<std::uint16_t>(0x0C00 + k));
                    }
                });
            }
        });
        state.SetIterationTime(took);
    }
    state.counters["history_MB"] = static_cast<double>(editor->history.MemoryBytes()) / 1e6;
    state.counters["bytes_per_step"] = static_cast<double>(editor->history.MemoryBytes()) / 1000.0;
}
BENCHMARK(BM_History1000ScatteredSteps)
    ->UseManualTime()
    ->Iterations(3)
    ->Unit(benchmark::kMillisecond);

// 1,000 steps of 100 scattered tiles with `journal` attached (or none). The first step after a
// load is timed apart: with a journal it also takes the snapshot of the document the journal
// starts from.
struct StepTimes {
    double first = 0, others = 0;
    std::uint64_t snapshot_bytes = 0;  // what the journal wrote for the first step
};
StepTimes ScatteredSteps(insel::Editor& editor, insel::Journal* journal) {
    std::mt19937 random(1);
    editor.AttachJournal(journal);
    editor.StartHistory();
    auto step = [&](int n) {
        editor.Step("Punkte", [&] {
            for (int k = 0; k < 100; ++k) {
                editor.doc.island.gfx.set(random() % 1024, random() % 1024,
                                          static_cast<std::uint16_t>(0x0C00 + n % 200));
            }
        });
    };
    StepTimes times;
    times.first = Seconds([&] { step(0); });
    if (journal != nullptr) {
        journal->Flush();
        times.snapshot_bytes = journal->bytes_written();
    }
    times.others = Seconds([&] {
        for (int n = 1; n < 1000; ++n) step(n);
    });
    editor.AttachJournal(nullptr);
    return times;
}

// The recovery journal: what it costs the editing path (the writing happens on its own
// thread), what it writes per step, and replaying against applying.
void BM_Journal(benchmark::State& state) {
    const auto folder = std::filesystem::temp_directory_path();
    const auto path = folder / ("insel_bench_" + std::to_string(::getpid()) + ".journal");
    auto editor = Loaded1024();
    double small_with = 1e9, small_without = 1e9, whole_with = 1e9, whole_without = 1e9;
    double replay = 1e9, replay_base = 1e9, first_with = 1e9, first_without = 1e9, applying = 1e9;
    std::uint64_t written = 0, snapshot = 0;
    for (auto _ : state) {
        for (int round = 0; round < 3; ++round) {
            const StepTimes without = ScatteredSteps(*editor, nullptr);
            small_without = std::min(small_without, without.others);
            first_without = std::min(first_without, without.first);
            applying = std::min(applying, without.others);  // the 999 after the first
            {
                insel::Journal journal(path);
                const StepTimes with = ScatteredSteps(*editor, &journal);
                small_with = std::min(small_with, with.others);
                first_with = std::min(first_with, with.first);
                journal.Flush();
                written = journal.bytes_written();
                snapshot = with.snapshot_bytes;
            }
            const auto bytes = insel::fixture::ReadFileBytes(path);
            auto replayed = std::make_unique<insel::Editor>();
            // The steps alone: the document the journal starts from (and its first step)
            // is read in both.
            for (int k = 0; k < 3; ++k) {
                replay_base =
                    std::min(replay_base, Seconds([&] {
                                 insel::RecoverJournal(*replayed, std::span(bytes).first(snapshot));
                             }));
                replay =
                    std::min(replay, Seconds([&] { insel::RecoverJournal(*replayed, bytes); }));
            }
            for (const bool with : {false, true}) {
                insel::Journal journal(path);
                editor->AttachJournal(with ? &journal : nullptr);
                editor->StartHistory();
                editor->Step("Anfang", [&] { editor->doc.island.gfx.set(0, 0, 1); });
                const double took = Seconds([&] {
                    editor->Step("Höhe", [&] {
                        SetHeights(editor->doc.island,
                                   static_cast<std::uint8_t>(50 + 2 * round + with));
                    });
                });
                (with ? whole_with : whole_without) =
                    std::min(with ? whole_with : whole_without, took);
                journal.Flush();
                editor->AttachJournal(nullptr);
            }
        }
        state.SetIterationTime(small_with);
    }
    std::filesystem::remove(path);
    state.counters["x_small_steps_with_vs_without"] = small_with / small_without;
    state.counters["x_whole_island_step_with_vs_without"] = whole_with / whole_without;
    state.counters["first_step_snapshot_ms"] = (first_with - first_without) * 1e3;
    state.counters["x_replaying_steps_vs_applying"] = (replay - replay_base) / applying;
    state.counters["x_recovering_all_vs_applying"] = replay / applying;
    state.counters["snapshot_MB"] = static_cast<double>(snapshot) / 1e6;
    state.counters["bytes_per_small_step"] = static_cast<double>(written - snapshot) / 999.0;
}
BENCHMARK(BM_Journal)->UseManualTime()->Iterations(1)->Unit(benchmark::kMillisecond);

}  // namespace
