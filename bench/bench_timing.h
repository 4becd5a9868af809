#pragma once
// Timing against the physical limit: the best of repeated runs, and the memcpy or memset of
// the same bytes measured in the same process.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstring>
#include <memory>
#include <vector>

#include "bench_files.h"
#include "core/app/editor.h"

namespace insel::bench {

using Clock = std::chrono::steady_clock;

// Best of twenty runs of `run`, which touches `target`, in seconds.
template <class Run>
double BestOf(std::vector<std::uint8_t>& target, Run run) {
    double best = 1e9;
    for (int i = 0; i < 20; ++i) {
        const auto start = Clock::now();
        run(i);
        benchmark::DoNotOptimize(target.data());
        benchmark::ClobberMemory();
        best = std::min(best, std::chrono::duration<double>(Clock::now() - start).count());
    }
    return best;
}

// Best memcpy of `bytes` bytes, in seconds.
inline double MemcpySeconds(std::size_t bytes) {
    std::vector<std::uint8_t> from(bytes, 1), to(bytes);
    return BestOf(to, [&](int) { std::memcpy(to.data(), from.data(), bytes); });
}

inline double MemsetSeconds(std::size_t bytes) {
    std::vector<std::uint8_t> target(bytes);
    return BestOf(target, [&](int i) { std::memset(target.data(), i, bytes); });
}

// The 1024 x 1024 island file with every layer filled.
inline const std::vector<std::uint8_t>& File1024() {
    static const auto file = FilledIslandFile(1024);
    return file;
}

// The tool benchmarks' islands, chosen by the benchmark's argument: 0 an island as players
// shape them, 1 the filled island, where every cell differs from its neighbours in every
// layer: the worst case for the history's counters.
inline const std::vector<std::uint8_t>& ToolIsland1024(std::int64_t kind) {
    static const auto landscape = LandscapeIslandFile(1024);
    return kind == 0 ? landscape : File1024();
}
inline const char* ToolIslandName(std::int64_t kind) {
    return kind == 0 ? "landscape" : "every cell different";
}

// An editor with a 1024 island loaded, as the window holds it.
inline std::unique_ptr<Editor> Loaded1024(std::int64_t kind = 1) {
    auto editor = std::make_unique<Editor>();
    editor->LoadBytes(ToolIsland1024(kind), "bench.scp", FileKind::Island);
    return editor;
}

// One run of `run`, in seconds.
template <class Run>
double Seconds(Run run) {
    const auto start = Clock::now();
    run();
    benchmark::ClobberMemory();
    return std::chrono::duration<double>(Clock::now() - start).count();
}

// Best of ten runs of `change` as one step of the history, each undone untimed: the next run
// starts from the same island, and the step's memory is reused, as when a user tries a change,
// undoes it and tries another. `prepare` runs untimed before each; `change` gets the run's number.
template <class Prepare, class Change>
double BestStep(Editor& editor, Prepare prepare, Change change) {
    double best = 1e9;
    for (int i = 0; i < 10; ++i) {
        prepare();
        const auto start = Clock::now();
        const bool changed = editor.Step("Bench", [&] { change(i); });
        benchmark::ClobberMemory();
        best = std::min(best, std::chrono::duration<double>(Clock::now() - start).count());
        if (changed) editor.history.Undo(editor.doc);
    }
    return best;
}

}  // namespace insel::bench
