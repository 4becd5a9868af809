// Loading and writing speed against the physical limit (a memcpy of the same bytes, measured
// in the same run), and the peak memory of `inseltool info` on a large island.
#include <benchmark/benchmark.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <fcntl.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>

#include "app/editor.h"
#include "bench_files.h"
#include "island/loader.h"
#include "island/writer.h"

namespace {

using Clock = std::chrono::steady_clock;

// Best of several memcpy runs of `bytes` bytes, in seconds.
double MemcpySeconds(std::size_t bytes) {
    std::vector<std::uint8_t> from(bytes, 1), to(bytes);
    double best = 1e9;
    for (int i = 0; i < 20; ++i) {
        const auto start = Clock::now();
        std::memcpy(to.data(), from.data(), bytes);
        benchmark::DoNotOptimize(to.data());
        benchmark::ClobberMemory();
        best = std::min(best, std::chrono::duration<double>(Clock::now() - start).count());
    }
    return best;
}

// Runs `work` per iteration and reports its mean time as a multiple of the memcpy time.
template <class Work>
void RunAgainstMemcpy(benchmark::State& state, std::size_t bytes, Work work) {
    const double limit = MemcpySeconds(bytes);
    double total = 0;
    for (auto _ : state) {
        const auto start = Clock::now();
        work();
        const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
        state.SetIterationTime(seconds);
        total += seconds;
    }
    state.counters["MB"] = static_cast<double>(bytes) / 1e6;
    state.counters["memcpy_ms"] = limit * 1e3;
    state.counters["x_memcpy"] = total / static_cast<double>(state.iterations()) / limit;
}

const std::vector<std::uint8_t>& File1024() {
    static const auto file = insel::bench::FilledIslandFile(1024);
    return file;
}

void BM_LoadIsland1024(benchmark::State& state) {
    const auto& file = File1024();
    auto editor = std::make_unique<insel::Editor>();
    editor->file_kind = insel::kIslandFile;
    RunAgainstMemcpy(state, file.size(), [&] { insel::LoadIslandFromBytes(*editor, file, "bench.scp"); });
}
BENCHMARK(BM_LoadIsland1024)->UseManualTime()->Unit(benchmark::kMillisecond);

void BM_LoadSavegame40x256(benchmark::State& state) {
    static const auto file = insel::bench::SavegameFile(40, 256);
    auto editor = std::make_unique<insel::Editor>();
    editor->file_kind = insel::kSavegame;
    RunAgainstMemcpy(state, file.size(), [&] { insel::LoadIslandFromBytes(*editor, file, "bench.sav"); });
}
BENCHMARK(BM_LoadSavegame40x256)->UseManualTime()->Unit(benchmark::kMillisecond);

void BM_WriteIsland1024(benchmark::State& state) {
    auto editor = std::make_unique<insel::Editor>();
    editor->file_kind = insel::kIslandFile;
    insel::LoadIslandFromBytes(*editor, File1024(), "bench.scp");
    insel::AssembleIsland(*editor);
    const auto bytes = static_cast<std::size_t>(editor->output.position());
    RunAgainstMemcpy(state, bytes, [&] {
        editor->memo2.clear();
        insel::AssembleIsland(*editor);
    });
}
BENCHMARK(BM_WriteIsland1024)->UseManualTime()->Unit(benchmark::kMillisecond);

// Peak resident memory of `inseltool info` on the 1024 x 1024 island file, in MB.
void BM_PeakMemoryInfo1024(benchmark::State& state) {
    const auto path = std::filesystem::temp_directory_path() / ("insel_bench_" + std::to_string(getpid()) + ".scp");
    {
        std::ofstream out(path, std::ios::binary);
        out.write(reinterpret_cast<const char*>(File1024().data()), static_cast<std::streamsize>(File1024().size()));
    }
    const std::string tool = std::string(INSEL_BIN_DIR) + "/inseltool";
    long peak_kb = 0;
    for (auto _ : state) {
        const pid_t child = fork();
        if (child == 0) {
            const int null = ::open("/dev/null", O_WRONLY);
            dup2(null, 1);
            execl(tool.c_str(), tool.c_str(), "info", path.c_str(), static_cast<char*>(nullptr));
            _exit(127);
        }
        int status = 0;
        rusage usage{};
        wait4(child, &status, 0, &usage);
        if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) state.SkipWithError("inseltool info failed");
        peak_kb = std::max(peak_kb, usage.ru_maxrss);
    }
    std::filesystem::remove(path);
    state.counters["peak_MB"] = static_cast<double>(peak_kb) / 1024.0;
}
BENCHMARK(BM_PeakMemoryInfo1024)->Iterations(3)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
