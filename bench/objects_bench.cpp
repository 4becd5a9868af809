// Element lists: 5,000 buildings inserted into a new town on a 1024 x 1024 island, as one step
// of the history with the plants below them cleared, against a memcpy of the bytes the insert
// reads and writes.
#include <benchmark/benchmark.h>

#include <memory>
#include <string>
#include <vector>

#include "bench_timing.h"
#include "core/app/editor.h"
#include "core/tools/element_list.h"
#include "core/tools/objects.h"

namespace {

using namespace insel::bench;

// A warehouse, then houses of 2 x 2 cells side by side in rows.
std::vector<std::string> TownList(int buildings) {
    std::vector<std::string> lines = {"$Volk=9", "Kontor,3000,500,500,0"};
    for (int i = 1; i < buildings; ++i) {
        const int x = 100 + 2 * (i % 400), y = 100 + 2 * (i / 400);
        lines.push_back("Haus,2101," + std::to_string(y) + "," + std::to_string(x) + ",0");
    }
    return lines;
}

void BM_ElementListTown5000(benchmark::State& state) {
    constexpr int kBuildings = 5000;
    auto editor = std::make_unique<insel::Editor>();
    editor->definitions = insel::LoadDefinitionFiles(INSEL_BIN_DIR);
    editor->LoadBytes(File1024(), "bench.scp", insel::FileKind::Island);
    const std::vector<std::string> lines = TownList(kBuildings);
    double parse = 1e9, insert = 1e9, undo = 1e9;
    insel::ElementList list;
    for (auto _ : state) {
        for (int i = 0; i < 5; ++i) {
            parse = std::min(parse, Seconds([&] { list = insel::ParseElementList(lines); }));
            insel::ElementListResult result;
            const double took = Seconds([&] {
                editor->Step("Insert file", [&] {
                    result = insel::InsertElementList(editor->doc, editor->tools,
                                                      editor->definitions, editor->status, list,
                                                      {.town = true, .clear_plants = true});
                });
            });
            if (result.inserted != kBuildings) state.SkipWithError("not every building went in");
            state.SetIterationTime(took);
            insert = std::min(insert, took);
            undo = std::min(undo, Seconds([&] { editor->history.Undo(editor->doc); }));
            editor->history.Redo(editor->doc);
            editor->history.Undo(editor->doc);
        }
    }
    // Read and written: the placed objects and the city's building records once each, the
    // terrain cells below them read and cleared.
    const std::size_t bytes =
        2 * kBuildings *
        (sizeof(insel::ObjectEntry) + sizeof(insel::BuildingEntry) + 4 * sizeof(std::uint16_t));
    const double copy = MemcpySeconds(bytes);
    state.counters["insert_ms"] = insert * 1e3;
    state.counters["parse_ms"] = parse * 1e3;
    state.counters["undo_ms"] = undo * 1e3;
    state.counters["x_insert_vs_memcpy"] = insert / copy;
    state.counters["x_parse_and_insert_vs_memcpy"] = (insert + parse) / copy;
}
BENCHMARK(BM_ElementListTown5000)->UseManualTime()->Iterations(1)->Unit(benchmark::kMillisecond);

}  // namespace
