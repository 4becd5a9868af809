// The editor window's speed: a full repaint of the canvas (render and paint of the widget,
// offscreen) against the core's render alone, and the time from start to the sample island
// shown.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QTabWidget>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <memory>
#include <vector>

#include "core/app/definitions.h"
#include "gui/app/main_window.h"
#include "core/display/renderer.h"
#include "core/display/view.h"
#include "core/simd/tier.h"
#include "platform/image_files.h"

namespace {

using Clock = std::chrono::steady_clock;
const std::filesystem::path kBin = INSEL_BIN_DIR;

double Seconds(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

// The window on the sample island, in the part view at zoom 16 with the tile pictures on.
std::unique_ptr<insel::gui::TInselZeichner> PartViewWithTiles() {
    auto window =
        std::make_unique<insel::gui::TInselZeichner>(kBin, insel::LoadDefinitionFiles(kBin), "");
    window->confirm_exit = [] { return true; };
    window->SetCommandLineFile((kBin / "samples" / "sample_island.scp").string());
    window->show();
    QApplication::processEvents();
    insel::Editor& editor = window->editor();
    editor.view.layer = insel::DisplayLayer::GraphicTiles;
    insel::ShowPartAt(editor.view, editor.doc.island, editor.status, 60, 60);
    window->settings().use_tile_bitmaps = true;
    return window;
}

// Render + synchronous paint of the canvas widget, against the render alone with the same
// settings and an equal texture cache; both as medians.
void BM_CanvasRepaintWithTiles(benchmark::State& state) {
    auto window = PartViewWithTiles();
    QWidget* canvas = window->findChild<QWidget*>("FlickerFreePaintBox2");
    insel::TextureCache textures(kBin, insel::platform::LoadPicture);
    insel::Raster raster;
    std::vector<double> full, core;
    for (auto _ : state) {
        auto start = Clock::now();
        window->RepaintCanvas();
        canvas->repaint();
        full.push_back(Seconds(start));
        state.SetIterationTime(full.back());

        start = Clock::now();
        insel::RenderMap(window->editor().doc, window->editor().view, window->settings(), raster,
                         &textures);
        benchmark::DoNotOptimize(raster.pixels.data());
        core.push_back(Seconds(start));
    }
    const double full_median = Median(full), core_median = Median(core);
    state.counters["full_ms"] = full_median * 1e3;
    state.counters["render_ms"] = core_median * 1e3;
    state.counters["x_render"] = full_median / core_median;
    state.counters["frames_per_60Hz"] = (1.0 / 60.0) / full_median;
}
BENCHMARK(BM_CanvasRepaintWithTiles)->UseManualTime()->Unit(benchmark::kMillisecond);

// What the program does from its start to the island on screen: read the definition files,
// build the window, show it and load the file named on the command line.
void BM_StartToSampleShown(benchmark::State& state) {
    for (auto _ : state) {
        const auto start = Clock::now();
        insel::gui::TInselZeichner window(kBin, insel::LoadDefinitionFiles(kBin), "");
        window.confirm_exit = [] { return true; };
        window.SetCommandLineFile((kBin / "samples" / "sample_island.scp").string());
        window.show();
        QApplication::processEvents();
        if (!window.editor().view.island_shown) state.SkipWithError("the sample was not shown");
        state.SetIterationTime(Seconds(start));
    }
}
BENCHMARK(BM_StartToSampleShown)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(10);

}  // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    std::printf("tier: %s\n", std::string(insel::simd::TierName()).c_str());
    std::fflush(stdout);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
