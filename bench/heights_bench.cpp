// The height-profile tools on a 1024 x 1024 island, each as a step of the history (which keeps
// the block counts in step), against a memcpy of the layers they read and write; and a pen
// square marked with the part view repainted, against the repaint alone.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <array>
#include <memory>
#include <vector>

#include "bench_timing.h"
#include "core/app/editor.h"
#include "core/display/renderer.h"
#include "core/tools/heights.h"
#include "core/tools/tool_frame.h"

namespace {

using namespace insel::bench;

constexpr std::size_t kLayerBytes = std::size_t{1024} * 1024;  // one byte per island cell

// The commonest height of the island, so that replacing or framing it has work to do.
int CommonestHeight(const insel::IslandMap& island) {
    std::array<long long, 256> counts{};
    for (int x = 0; x < island.record.width; ++x) {
        const std::uint8_t* column = island.height.column(x);
        for (int y = 0; y < island.record.height; ++y) ++counts[column[y]];
    }
    return static_cast<int>(std::max_element(counts.begin(), counts.end()) - counts.begin());
}

void BM_HeightToolsWholeIsland1024(benchmark::State& state) {
    state.SetLabel(ToolIslandName(state.range(0)));
    auto editor = Loaded1024(state.range(0));
    insel::IslandMap& island = editor->doc.island;
    const int common = CommonestHeight(island);
    const int other = common == 48 ? 52 : 48;
    double replace = 0, frame = 0, take = 0;
    for (auto _ : state) {
        replace = BestStep(
            *editor, [] {}, [&](int) { insel::ReplaceHeight(island, common, other); });
        frame = BestStep(
            *editor, [] {}, [&](int) { insel::FrameHeight(island, common, 20); });
        take = BestStep(
            *editor, [&] { insel::MarkPenSquare(island, 0, 0, 1024); },
            [&](int) { insel::TakeProfile(island, insel::ProfileLayer::Height, other); });
        state.SetIterationTime(replace + frame + take);
    }
    // The layers read and written, each once: replace and frame the heights (frame a few
    // fertilities too), the take-over the marks and the heights.
    const double one_layer = MemcpySeconds(kLayerBytes);
    const double two_layers = MemcpySeconds(2 * kLayerBytes);
    // What a step costs that changes nothing: the history's own share.
    const double empty = BestStep(
        *editor, [] {}, [](int) {});
    state.counters["empty_step_ms"] = empty * 1e3;
    // The operations alone, without a history: back and forth on a second island.
    auto plain = Loaded1024(state.range(0));
    insel::IslandMap& bare = plain->doc.island;
    std::vector<std::uint8_t> unused(1);
    const double replace_alone = BestOf(unused, [&](int i) {
        insel::ReplaceHeight(bare, i % 2 ? other : common, i % 2 ? common : other);
    });
    const double frame_alone = BestOf(unused, [&](int) { insel::FrameHeight(bare, common, 20); });
    const double take_alone = BestOf(unused, [&](int i) {
        insel::MarkPenSquare(bare, 0, 0, 1024);
        insel::TakeProfile(bare, insel::ProfileLayer::Height, i % 2 ? common : other);
    });
    state.counters["x_replace_alone_vs_memcpy"] = replace_alone / one_layer;
    state.counters["x_frame_alone_vs_memcpy"] = frame_alone / one_layer;
    state.counters["x_take_alone_vs_memcpy"] = take_alone / two_layers;
    state.counters["common_height_cells"] = [&] {
        long long n = 0;
        for (int x = 0; x < 1024; ++x)
            for (int y = 0; y < 1024; ++y) n += island.height.get(x, y) == common;
        return static_cast<double>(n);
    }();
    state.counters["replace_ms"] = replace * 1e3;
    state.counters["frame_ms"] = frame * 1e3;
    state.counters["take_ms"] = take * 1e3;
    state.counters["x_replace_vs_memcpy"] = replace / one_layer;
    state.counters["x_frame_vs_memcpy"] = frame / one_layer;
    state.counters["x_take_vs_memcpy"] = take / two_layers;
}
BENCHMARK(BM_HeightToolsWholeIsland1024)
    ->Arg(0)
    ->Arg(1)
    ->UseManualTime()
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond);

// A pen stroke's move in the part view: the square marked and the canvas drawn again.
void BM_HeightPenSquareAndRepaint(benchmark::State& state) {
    auto editor = Loaded1024();
    insel::ResetView(editor->view, editor->doc.island, editor->status);
    insel::ShowPartAt(editor->view, editor->doc.island, editor->status, 60, 60);
    editor->tools.height_profile_page = true;
    editor->tools.stroke_active = true;
    editor->tools.pen_size = 4;
    insel::RenderSettings settings;
    settings.height_profile_page = true;
    insel::Raster raster;
    std::vector<std::uint8_t> unused(1);
    double repaint = 1e9, stroke = 1e9;
    int px = 0;
    for (auto _ : state) {
        repaint = BestOf(
            unused, [&](int) { insel::RenderMap(editor->doc, editor->view, settings, raster); });
        stroke = BestOf(unused, [&](int) {
            px = (px + 7) % 500;
            insel::ContinuePenStroke(editor->tools, editor->view, editor->doc.island,
                                     editor->status, px, 200);
            insel::RenderMap(editor->doc, editor->view, settings, raster);
        });
        state.SetIterationTime(stroke);
    }
    state.counters["repaint_ms"] = repaint * 1e3;
    state.counters["pen_and_repaint_ms"] = stroke * 1e3;
    state.counters["x_pen_and_repaint_vs_repaint"] = stroke / repaint;
    state.counters["x_repaint_vs_memset"] =
        repaint / MemsetSeconds(raster.pixels.size() * sizeof(std::uint32_t));
}
BENCHMARK(BM_HeightPenSquareAndRepaint)
    ->UseManualTime()
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond);

}  // namespace
