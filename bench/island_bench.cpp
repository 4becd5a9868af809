// Loading and writing speed against the physical limit (a memcpy of the same bytes, measured
// in the same run).
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <memory>

#include "core/app/editor.h"
#include "core/container/file_io.h"
#include "bench_files.h"
#include "bench_timing.h"
#include "core/display/renderer.h"
#include "core/display/view.h"
#include "platform/image_files.h"
#include "core/island/city_writer.h"
#include "core/island/loader.h"
#include "core/island/writer.h"
#include "core/reports/export.h"
#include "core/simd/tier.h"

namespace {

using namespace insel::bench;

// Runs `work` per iteration, after the untimed `prepare`, and reports its mean time as a
// multiple of `limit` seconds.
template <class Work, class Prepare = void (*)()>
void RunAgainst(benchmark::State& state, double limit, const char* name, Work work,
                Prepare prepare = [] {}) {
    double total = 0;
    for (auto _ : state) {
        prepare();
        const auto start = Clock::now();
        work();
        const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
        state.SetIterationTime(seconds);
        total += seconds;
    }
    state.counters[std::string(name) + "_ms"] = limit * 1e3;
    state.counters[std::string("x_") + name] =
        total / static_cast<double>(state.iterations()) / limit;
}

template <class Work>
void RunAgainstMemcpy(benchmark::State& state, std::size_t bytes, Work work) {
    state.counters["MB"] = static_cast<double>(bytes) / 1e6;
    RunAgainst(state, MemcpySeconds(bytes), "memcpy", work);
}

void BM_LoadIsland1024(benchmark::State& state) {
    const auto& file = File1024();
    auto editor = std::make_unique<insel::Editor>();
    editor->doc.file_kind = insel::FileKind::Island;
    RunAgainstMemcpy(state, file.size(), [&] {
        insel::LoadIslandFromBytes(editor->doc, editor->definitions, editor->status, file,
                                   "bench.scp");
    });
}
BENCHMARK(BM_LoadIsland1024)->UseManualTime()->Unit(benchmark::kMillisecond);

void BM_LoadSavegame40x256(benchmark::State& state) {
    static const auto file = insel::bench::SavegameFile(40, 256);
    auto editor = std::make_unique<insel::Editor>();
    editor->doc.file_kind = insel::FileKind::Savegame;
    RunAgainstMemcpy(state, file.size(), [&] {
        insel::LoadIslandFromBytes(editor->doc, editor->definitions, editor->status, file,
                                   "bench.sav");
    });
}
BENCHMARK(BM_LoadSavegame40x256)->UseManualTime()->Unit(benchmark::kMillisecond);

void BM_LoadSavegame40x256With120Cities(benchmark::State& state) {
    static const auto file = insel::bench::SavegameWithCitiesFile(40, 256, 120, 30);
    auto editor = std::make_unique<insel::Editor>();
    editor->doc.file_kind = insel::FileKind::Savegame;
    RunAgainstMemcpy(state, file.size(), [&] {
        editor->status.memo2.clear();
        editor->status.memo3.clear();
        insel::LoadIslandFromBytes(editor->doc, editor->definitions, editor->status, file,
                                   "bench.sav");
    });
}
BENCHMARK(BM_LoadSavegame40x256With120Cities)->UseManualTime()->Unit(benchmark::kMillisecond);

// A 512 x 512 island of an island file with ten cities of 30 buildings, written as *.cty.
void BM_WriteCityFile512(benchmark::State& state) {
    static const auto file = insel::bench::SavegameWithCitiesFile(1, 512, 10, 30);
    auto editor = std::make_unique<insel::Editor>();
    editor->doc.file_kind = insel::FileKind::City;
    // Read as an extracted-city file, so the island is assembled from the model.
    std::vector<std::uint8_t> city_file = file;
    insel::LoadIslandFromBytes(editor->doc, editor->definitions, editor->status, city_file,
                               "bench.cty");
    const insel::CityFileTarget target{editor->doc, editor->save, editor->output,
                                       editor->status.memo2, editor->status.memo3};
    insel::AssembleCityFile(target, "1.1.2000");
    const auto bytes = static_cast<std::size_t>(editor->output.position());
    RunAgainstMemcpy(state, bytes, [&] {
        editor->status.memo2.clear();
        editor->status.memo3.clear();
        const insel::CityFileTarget target{editor->doc, editor->save, editor->output,
                                           editor->status.memo2, editor->status.memo3};
        insel::AssembleCityFile(target, "1.1.2000");
    });
}
BENCHMARK(BM_WriteCityFile512)->UseManualTime()->Unit(benchmark::kMillisecond);

// Best memset of `bytes` bytes, in seconds.
// The whole-island view of a 512 x 512 island, colour pass with every overlay drawn.
void BM_RenderWholeIsland512(benchmark::State& state) {
    static const auto file = insel::bench::SavegameWithCitiesFile(1, 512, 10, 30);
    auto editor = std::make_unique<insel::Editor>();
    editor->LoadBytes(file, "bench.cty", insel::FileKind::City);
    // A view with no island shown draws nothing, which would time nothing.
    if (!editor->view.island_shown) state.SkipWithError("the island was not shown");
    insel::ResetView(editor->view, editor->doc.island, editor->status);
    editor->doc.cities.current = 0;
    insel::RenderSettings settings;
    settings.animals = settings.objects = settings.catchment_shown = true;
    insel::Raster raster;
    RunAgainst(state, MemsetSeconds(raster.pixels.size() * sizeof(std::uint32_t)), "memset",
               [&] { insel::RenderMap(editor->doc, editor->view, settings, raster); });
}
BENCHMARK(BM_RenderWholeIsland512)->UseManualTime()->Unit(benchmark::kMillisecond);

// The part view at zoom 16 with tile pictures of the sample island's series: all resident
// (range 1) or one series without a slot (range 0), whose tiles each repaint cuts afresh: the
// working set is given another series before every repaint, as a view showing a second
// non-resident series would.
void BM_RenderTilesZoom16(benchmark::State& state) {
    const bool resident = state.range(0) == 1;
    auto editor = std::make_unique<insel::Editor>();
    editor->Load(std::filesystem::path(INSEL_BIN_DIR) / "samples" / "sample_island.scp",
                 insel::FileKind::Island);
    insel::ResetView(editor->view, editor->doc.island, editor->status);
    editor->view.layer = insel::DisplayLayer::GraphicTiles;
    insel::ShowPartAt(editor->view, editor->doc.island, editor->status, 60, 60);
    insel::TextureCache textures(INSEL_BIN_DIR, insel::platform::LoadPicture);
    insel::PreloadChoice choice;
    for (int series = 0; series < 5; ++series) choice.listed.push_back(series);
    choice.ticked.fill(true);
    choice.attempted = resident ? 5 : 4;
    textures.AllocatePreloadSlots(choice.attempted);
    textures.PreloadTextures(choice);
    insel::RenderSettings settings;
    settings.use_tile_bitmaps = true;
    insel::Raster raster;
    RunAgainst(
        state, MemsetSeconds(raster.pixels.size() * sizeof(std::uint32_t)), "memset",
        [&] { insel::RenderMap(editor->doc, editor->view, settings, raster, &textures); },
        [&] {
            if (!resident) textures.SetupBitmaps(0);
        });
}
BENCHMARK(BM_RenderTilesZoom16)->Arg(1)->Arg(0)->UseManualTime()->Unit(benchmark::kMillisecond);

// The raw text export of a 1024 x 1024 island, in MB of text per second.
void BM_RawExport1024(benchmark::State& state) {
    auto editor = std::make_unique<insel::Editor>();
    editor->doc.file_kind = insel::FileKind::Island;
    insel::LoadIslandFromBytes(editor->doc, editor->definitions, editor->status, File1024(),
                               "bench.scp");
    std::size_t bytes = 0;
    for (auto _ : state) {
        const auto lines = insel::RawExportLines(editor->doc.island);
        bytes = 0;
        for (const auto& line : lines) bytes += line.size() + 2;
        benchmark::DoNotOptimize(lines.data());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(bytes) * state.iterations());
}
BENCHMARK(BM_RawExport1024)->Unit(benchmark::kMillisecond);

void BM_WriteIsland1024(benchmark::State& state) {
    auto editor = std::make_unique<insel::Editor>();
    editor->doc.file_kind = insel::FileKind::Island;
    insel::LoadIslandFromBytes(editor->doc, editor->definitions, editor->status, File1024(),
                               "bench.scp");
    insel::AssembleIsland(editor->doc, editor->save, editor->output, editor->status.memo2);
    const auto bytes = static_cast<std::size_t>(editor->output.position());
    RunAgainstMemcpy(state, bytes, [&] {
        editor->status.memo2.clear();
        insel::AssembleIsland(editor->doc, editor->save, editor->output, editor->status.memo2);
    });
}
BENCHMARK(BM_WriteIsland1024)->UseManualTime()->Unit(benchmark::kMillisecond);

}  // namespace

// `insel_bench --write-island1024 FILE` writes the large island for the memory measurement
// of `make bench` instead of running the benchmarks.
int main(int argc, char** argv) {
    if (argc == 3 && std::strcmp(argv[1], "--write-island1024") == 0) {
        try {
            insel::WriteFileAtomically(argv[2], File1024());
        } catch (const std::exception& error) {
            std::cerr << "error: " << error.what() << "\n";
            return 1;
        }
        return 0;
    }
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    // Figures of different processor tiers are told apart by this line (INSEL_CPU).
    std::printf("tier: %s\n", std::string(insel::simd::TierName()).c_str());
    std::fflush(stdout);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
