// The edit history: random runs of every document operation, undone and redone step by step,
// must give back each state exactly: the files a save would write, the layers and counters.
#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <set>

#include "../support/city_fixture.h"
#include "../support/temp_file.h"
#include "core/container/output_buffer.h"
#include "core/document/journal.h"
#include "core/island/city_writer.h"
#include "core/island/island_list.h"
#include "core/island/writer.h"
#include "core/tools/heights.h"
#include "core/tools/rotation.h"
#include "test_helpers.h"

namespace insel {
namespace {

// Everything a step may change, in a form that compares cheaply.
struct State {
    std::vector<std::uint8_t> scp, cty;
    std::uint64_t cells = 0;
    std::vector<std::int32_t> counters;
    std::int32_t rotation_angle = 0;
    bool operator==(const State&) const = default;
};

constexpr int kSide = 72;  // the islands are 64 x 64; operations reach a little past them

template <class T>
void Hash(std::uint64_t& hash, const Layer<T>& layer) {
    for (int x = 0; x < kSide; ++x) {
        for (int y = 0; y < kSide; ++y) hash = (hash ^ layer.get(x, y)) * 1099511628211u;
    }
}

std::vector<std::int32_t> Counters(const IslandMap& island) {
    std::vector<std::int32_t> all(island.series_usage.begin(), island.series_usage.end());
    for (int b = 0; b < 8; ++b) {
        all.insert(all.end(), island.block_height_counts[b].begin(),
                   island.block_height_counts[b].end());
        all.insert(all.end(), island.block_fertility_counts[b].begin(),
                   island.block_fertility_counts[b].end());
    }
    return all;
}

State Capture(const Editor& editor) {
    State state;
    OutputBuffer out;
    LogLines log, log3;
    AssembleIsland(editor.doc, editor.save, out, log);
    state.scp.assign(out.data().begin(), out.data().end());
    // The city save changes its document, so it works on a copy.
    Document copy = editor.doc;
    OutputBuffer city_out;
    AssembleCityFile({copy, editor.save, city_out, log, log3}, "1.1.2000");
    state.cty.assign(city_out.data().begin(), city_out.data().end());
    const IslandMap& island = editor.doc.island;
    state.cells = 14695981039346656037u;
    Hash(state.cells, island.height);
    Hash(state.cells, island.gfx);
    Hash(state.cells, island.fertility);
    Hash(state.cells, island.terrain);
    Hash(state.cells, island.terrain_param);
    Hash(state.cells, island.river);
    Hash(state.cells, island.river_param);
    for (const std::uint16_t owner : editor.doc.cities.catchment.cells())
        state.cells = (state.cells ^ owner) * 1099511628211u;
    state.counters = Counters(island);
    state.rotation_angle = island.rotation_angle;
    return state;
}

// The block counts the cells give: what the history must keep them at.
std::vector<std::int32_t> Recounted(const Editor& editor) {
    auto copy = std::make_unique<Document>(editor.doc);
    copy->island.RecountBlockCounts();
    return Counters(copy->island);
}

// An island file with two cities whose warehouses the clean-up renumbers.
fixture::Bytes CityIsland() {
    fixture::IslandSpec island;
    island.number = 7;
    island.city_byte = 2;
    island.heights = [](int x, int y) { return std::uint8_t((3 * x + y) % 50); };
    island.gfx = [](int x, int y) { return std::uint16_t(0x0C00 + (x * 7 + y) % 256); };
    island.fertility = [](int x, int y) { return std::uint8_t((x * y) % 11); };
    island.terrain = [](int x, int y) {
        return (x + y) % 13 == 0 ? fixture::Element{std::uint16_t(1501 + x), std::uint16_t(y)}
                                 : fixture::Element{};
    };
    island.rivers = [](int x, int y) {
        return x == 30 ? fixture::Element{0x0A9D, std::uint16_t(y % 4)} : fixture::Element{};
    };
    island.mines = {{.x = 10, .y = 20}, {.x = 40, .y = 5}};
    island.quarry_spots = {{.x = 12, .y = 12, .orientation = 2}};
    island.animals = {{1, 2, 3, 4}, {5, 6, 7, 8}};
    island.objects = {{.id_word = 2600, .x = 10, .y = 10}, {.id_word = 601, .x = 13, .y = 10}};
    fixture::CitySpec first, second;
    first.player = fixture::PlayerSpec{};
    first.name = "Hafenstadt";
    first.buildings = {fixture::WarehouseEntry(10, 10, 7), fixture::PlainEntry(13, 10)};
    second.name = "Kueste";
    second.buildings = {fixture::WarehouseEntry(25, 50, 9, 1)};
    return fixture::IslandFileWithCities(island, {first, second}).bytes;
}

std::unique_ptr<Editor> LoadedEditor() {
    auto editor = std::make_unique<Editor>();
    editor->definitions.buildings_by_id[2600] = {33, 143};
    editor->definitions.buildings_by_id[601] = {22, 180};
    test::Load(*editor, CityIsland(), FileKind::Island, "Geschichte_ESK.scp");
    return editor;
}

// One height replaced by another as a step, whose block counts then pass from the one to the
// other whole; `with` 1 to 3: another write of the layer in the same step, before or after it,
// after which the cells are counted.
void ReplaceHeightStep(Editor& editor, int from, int to, int with, int x, int y) {
    IslandMap& island = editor.doc.island;
    editor.Step("Ersetzen", [&] {
        if (with == 1) island.height.set(x, y, std::uint8_t(to + 1));
        ReplaceHeight(island, from, to);
        if (with == 2) island.height.set(x, y, std::uint8_t(from));
        if (with == 3) ReplaceHeight(island, to, from == 0 ? 1 : from - 1);
    });
}

// One random operation of those the editor has, as the window or a script would run it;
// `turns`: the island may be turned, a step of every cell.
void RandomStep(Editor& editor, std::mt19937& random, bool turns = true) {
    auto pick = [&](int low, int high) {
        return std::uniform_int_distribution<int>(low, high)(random);
    };
    IslandMap& island = editor.doc.island;
    switch (pick(0, 10)) {
        case 0:
            editor.SetClimate(pick(0, 5));
            break;
        case 1:
            editor.TidyWarehouses();
            break;
        case 2:
            editor.ShiftNow(pick(0, 3), pick(-3, 3), pick(-3, 3));
            break;
        case 3:
        case 4: {
            // A rectangle of one layer, as the tools paint them.
            const int layer = pick(0, 6), x0 = pick(0, kSide - 8), y0 = pick(0, kSide - 8);
            const int w = pick(1, 8), h = pick(1, 8), value = pick(0, 0xFFFF);
            editor.Step("Malen", [&] {
                for (int x = x0; x < x0 + w; ++x) {
                    for (int y = y0; y < y0 + h; ++y) {
                        switch (layer) {
                            case 0: island.height.set(x, y, std::uint8_t(value)); break;
                            case 1: island.gfx.set(x, y, std::uint16_t(value)); break;
                            case 2: island.fertility.set(x, y, std::uint16_t(value % 13)); break;
                            case 3: island.terrain.set(x, y, std::uint16_t(value)); break;
                            case 4: island.terrain_param.set(x, y, std::uint16_t(value)); break;
                            case 5: island.river.set(x, y, std::uint16_t(value)); break;
                            default: island.river_param.set(x, y, std::uint16_t(value)); break;
                        }
                    }
                }
            });
            break;
        }
        case 5:
            editor.Step("Listen", [&] {
                island.mines.push_back(island.mines.empty() ? MineRecord{} : island.mines[0]);
                if (!island.animals.empty()) island.animals.pop_back();
                if (!island.objects.empty()) island.objects[0].x += 1;
                island.record.name = "Umbenannt";
            });
            break;
        case 6: {
            // Whole columns of one layer, past the island's edge, as a base fill or a turn
            // writes them; a few cells inside keep their values.
            const int layer = pick(0, 2), x0 = pick(0, kSide - 8), w = pick(1, 8);
            const int value = pick(0, 0xFFFF);
            editor.Step("Spalten", [&] {
                for (int x = x0; x < x0 + w; ++x) {
                    for (int y = 0; y < kLayerSide; ++y) {
                        if ((x + y) % 29 == 0) continue;
                        const int cell = value + (y / 5) * (x % 3);
                        switch (layer) {
                            case 0: island.height.set(x, y, std::uint8_t(cell)); break;
                            case 1: island.gfx.set(x, y, std::uint16_t(cell)); break;
                            default: island.fertility.set(x, y, std::uint16_t(cell % 11)); break;
                        }
                    }
                }
            });
            break;
        }
        case 7: {
            // Single cells first, then their whole column, then the cells again: the column
            // saved after the cells' first writes must still give back their first values.
            const int x = pick(0, kSide - 1), y = pick(0, kSide - 1), value = pick(0, 250);
            editor.Step("Zellen", [&] {
                island.height.set(x, y, std::uint8_t(value));
                island.gfx.set(x, y, std::uint16_t(value * 7));
                island.height.set(x, kSide - 1 - y, std::uint8_t(value + 1));
                std::uint8_t* column = island.height.column(x);
                for (int k = 0; k < kLayerSide; k += 3) column[k] = std::uint8_t(value + 2);
                island.height.set(x, y, std::uint8_t(value + 3));
                island.gfx.column(x)[y] = 0;
            });
            break;
        }
        case 8: {
            // The island turned, once or twice in a step: the counters turn with the cells.
            if (!turns) break;
            const int quarters = pick(1, 2);
            editor.Step(kQuarterTurnStep, [&] {
                for (int k = 0; k < quarters; ++k)
                    RotateQuarter(editor.doc, editor.definitions, editor.status);
            });
            break;
        }
        case 9: {
            const int from = island.height.get(pick(0, 63), pick(0, 63)), to = pick(0, 255);
            ReplaceHeightStep(editor, from, to, pick(0, 3), pick(0, 63), pick(0, 63));
            break;
        }
        default: {
            // Fails part-way: everything it wrote is rolled back and no step is recorded.
            const State before = Capture(editor);
            const std::size_t steps = editor.history.size();
            EXPECT_THROW(editor.Step("Kaputt",
                                     [&] {
                                         island.height.set(1, 1, 200);
                                         island.height.set(2, 2, 200);
                                         island.height.column(2)[5] = 9;
                                         island.fertility.set(3, 3, 1);
                                         island.objects.clear();
                                         editor.TidyWarehouses();
                                         island.gfx.set(kLayerSide, 0, 1);
                                     }),
                         BoundsError);
            EXPECT_EQ(editor.history.size(), steps);
            EXPECT_TRUE(Capture(editor) == before);
        }
    }
}

TEST(History, RandomRunsUndoAndRedoToEveryStateAndKeepTheCountsRight) {
    for (const unsigned seed : {1u, 2u, 3u, 4u}) {
        SCOPED_TRACE(seed);
        auto editor = LoadedEditor();
        std::mt19937 random(seed);
        ASSERT_EQ(Recounted(*editor), Counters(editor->doc.island));
        std::vector<State> states = {Capture(*editor)};
        while (states.size() < 14) {
            const std::size_t steps = editor->history.position();
            RandomStep(*editor, random);
            if (editor->history.position() == steps) continue;  // failed or changed nothing
            states.push_back(Capture(*editor));
            ASSERT_EQ(Recounted(*editor), states.back().counters) << editor->history.UndoName();
            if (states.size() == 5) editor->history.MarkSaved();
        }
        ASSERT_EQ(editor->history.size(), states.size() - 1);
        for (std::size_t i = states.size() - 1; i > 0; --i) {
            ASSERT_EQ(editor->history.Undo(editor->doc), 1);
            ASSERT_TRUE(Capture(*editor) == states[i - 1]) << "after undoing step " << i;
            EXPECT_EQ(editor->history.IsSaved(), i - 1 == 4);
        }
        EXPECT_EQ(editor->history.Undo(editor->doc), 0);
        EXPECT_EQ(editor->history.Redo(editor->doc, 100), static_cast<int>(states.size() - 1));
        EXPECT_TRUE(Capture(*editor) == states.back());
        editor->history.GoTo(editor->doc, 6);
        EXPECT_TRUE(Capture(*editor) == states[6]);

        // A new step after undo drops the redo side, and with it the saved state.
        editor->history.GoTo(editor->doc, 3);
        editor->SetClimate(editor->doc.island.record.climate == 1 ? 2 : 1);
        EXPECT_EQ(editor->history.size(), 4u);
        EXPECT_FALSE(editor->history.CanRedo());
        editor->history.Undo(editor->doc);
        EXPECT_TRUE(Capture(*editor) == states[3]);
        EXPECT_FALSE(editor->history.IsSaved());
    }
}

TEST(History, AHeightReplacedKeepsTheCountsRightAloneOrWithOtherWrites) {
    for (int with = 0; with < 4; ++with) {
        SCOPED_TRACE(with);
        auto editor = LoadedEditor();
        const IslandMap& island = editor->doc.island;
        const State before = Capture(*editor);
        // Cell (5, 9) holds height 24, as does a cell of every column.
        ReplaceHeightStep(*editor, 24, 7, with, 5, 9);
        ASSERT_EQ(editor->history.size(), 1u);
        EXPECT_EQ(island.height.get(5, 9), (std::array{7, 8, 24, 23}[with]));
        EXPECT_EQ(island.height.get(6, 6), with == 3 ? 23 : 7);
        const State after = Capture(*editor);
        EXPECT_EQ(Recounted(*editor), after.counters);
        editor->history.Undo(editor->doc);
        EXPECT_TRUE(Capture(*editor) == before);
        editor->history.Redo(editor->doc);
        EXPECT_TRUE(Capture(*editor) == after);
    }
}

TEST(History, SaveStepsAndFileBytes) {
    auto editor = LoadedEditor();
    const std::vector<std::uint8_t> loaded = editor->doc.file.bytes;
    ASSERT_TRUE(editor->TidyWarehouses());
    EXPECT_EQ(editor->history.UndoName(), "Aufräumen");
    EXPECT_NE(editor->doc.file.bytes, loaded);  // the warehouse numbers are patched in
    EXPECT_FALSE(editor->TidyWarehouses());      // already tidy: no step
    EXPECT_EQ(editor->history.size(), 1u);
    editor->history.Undo(editor->doc);
    EXPECT_EQ(editor->doc.file.bytes, loaded);

    // Loading empties the history; the save-time shift is a step of its own.
    test::Load(*editor, CityIsland(), FileKind::Island, "Geschichte_ESK.scp");
    EXPECT_FALSE(editor->history.CanUndo());
    const State before = Capture(*editor);
    editor->save.shifts[kShiftHeights] = {true, 2, 1};
    const auto path = std::filesystem::temp_directory_path() / "insel_history_save.scp";
    editor->SaveIsland(path);
    std::filesystem::remove(path);
    EXPECT_TRUE(editor->history.IsSaved());
    EXPECT_EQ(editor->history.StepName(0), "Verschiebung beim Speichern");
    editor->history.Undo(editor->doc, 5);
    EXPECT_FALSE(editor->history.IsSaved());
    EXPECT_TRUE(Capture(*editor) == before);

    // A save that fails leaves the document as it was.
    editor->history.Redo(editor->doc, 5);
    const State saved = Capture(*editor);
    EXPECT_THROW(editor->SaveIsland("/nonexistent-folder/x.scp"), Error);
    EXPECT_TRUE(Capture(*editor) == saved);
}

// The catchment grid is compared after every step by a version its copies share; a grid
// written with what it held is still equal, and a change of one cell is a step.
TEST(History, CatchmentGridChangesAreFoundWhetherOrNotItsVersionMoved) {
    CatchmentGrid grid;
    CatchmentGrid copy = grid;
    EXPECT_TRUE(copy == grid);
    copy.Edit()[5] = 0;
    EXPECT_TRUE(copy == grid);
    copy.Edit()[5] = 3;
    EXPECT_FALSE(copy == grid);

    auto editor = LoadedEditor();
    const auto cell = [&] { return editor->doc.cities.CatchmentAt(1, 7); };
    const std::uint16_t before = cell();
    EXPECT_FALSE(editor->Step(
        "same", [&] { editor->doc.cities.catchment.Edit()[7 + kCatchmentSide] = before; }));
    EXPECT_TRUE(editor->Step(
        "one cell", [&] { editor->doc.cities.catchment.Edit()[7 + kCatchmentSide] = 99; }));
    editor->history.Undo(editor->doc);
    EXPECT_EQ(cell(), before);
    editor->history.Redo(editor->doc);
    EXPECT_EQ(cell(), 99);
    // Undone and written again as it was: the grid the history holds is that one, not a copy
    // of the same version.
    editor->history.Undo(editor->doc);
    EXPECT_TRUE(editor->Step(
        "again", [&] { editor->doc.cities.catchment.Edit()[7 + kCatchmentSide] = 98; }));
    EXPECT_EQ(cell(), 98);
    editor->history.Undo(editor->doc);
    EXPECT_EQ(cell(), before);
}

TEST(History, ChoosingAnotherIslandKeepsItsCountsAsDecodedAndStartsAfresh) {
    fixture::IslandSpec first, second;
    first.number = 1, second.number = 2, second.world_first = 300;
    first.heights = [](int x, int y) { return std::uint8_t((x + y) % 40); };
    second.heights = [](int x, int) { return std::uint8_t(x % 7); };
    second.gfx = [](int x, int y) { return std::uint16_t(0x0D00 + x * y % 200); };
    const auto file = fixture::SavegameBytes({first, second});
    Editor chosen, decoded;
    test::Load(chosen, file, FileKind::Savegame, "zwei.sav");
    test::Load(decoded, file, FileKind::Savegame, "zwei.sav");
    chosen.SetClimate(3);
    ASSERT_TRUE(chosen.SelectIsland(2));
    ASSERT_TRUE(SelectIslandRow(decoded.doc, decoded.definitions, decoded.status, 2));
    EXPECT_EQ(Counters(chosen.doc.island), Counters(decoded.doc.island));
    EXPECT_EQ(std::tuple(chosen.history.size(), chosen.history.IsSaved()), std::tuple(0u, true));
    // A row that fails leaves the island shown and its history as they were.
    chosen.SetClimate(4);
    EXPECT_FALSE(chosen.SelectIsland(9));
    EXPECT_EQ(std::tuple(chosen.doc.island.record.number, chosen.history.size()), std::tuple(2, 1u));
}

TEST(History, TheMemoryLimitDropsTheOldestSteps) {
    auto editor = LoadedEditor();
    std::mt19937 random(7);
    // 1,000 steps of 100 scattered cells each.
    for (int step = 0; step < 1000; ++step) {
        editor->Step("Punkte", [&] {
            for (int k = 0; k < 100; ++k) {
                editor->doc.island.gfx.set(random() % 64, random() % 64,
                                           std::uint16_t(random() % 0x9000));
            }
        });
    }
    EXPECT_EQ(editor->history.size(), 1000u);
    EXPECT_LT(editor->history.MemoryBytes(), std::size_t{4} << 20);

    const std::size_t per_step = editor->history.MemoryBytes() / 1000;
    editor->history.SetLimit(per_step * 100);
    EXPECT_LE(editor->history.MemoryBytes(), per_step * 100);
    EXPECT_GT(editor->history.size(), 50u);
    EXPECT_LT(editor->history.size(), 200u);
    EXPECT_FALSE(editor->history.IsSaved());  // the saved state went with the oldest steps
    const int kept = static_cast<int>(editor->history.size());
    EXPECT_EQ(editor->history.Undo(editor->doc, 2000), kept);

    // A step larger than the limit is still recorded, alone.
    editor->history.SetLimit(1000);
    editor->Step("Alles", [&] {
        for (int x = 0; x < 64; ++x) {
            for (int y = 0; y < 64; ++y) editor->doc.island.height.set(x, y, 9);
        }
    });
    EXPECT_EQ(editor->history.size(), 1u);
    EXPECT_TRUE(editor->history.CanUndo());
}

// -- the recovery journal ------------------------------------------------------------------------

// A run of random steps, undos and redos recorded in a journal; `states[k]` is the state after
// the journal's k-th whole record (0: its document alone).
struct JournalRun {
    std::vector<std::uint8_t> journal;
    std::vector<State> states;
    std::vector<std::size_t> record_ends;  // journal length after each record
    std::vector<std::size_t> positions;    // the history's position after each record
    std::vector<int> steps;                // step records up to each record
};

JournalRun RecordRun(unsigned seed, const std::filesystem::path& path) {
    JournalRun run;
    auto editor = LoadedEditor();
    Journal journal(path, std::chrono::hours(1));
    editor->AttachJournal(&journal);
    std::mt19937 random(seed);
    for (int k = 0; k < 12; ++k) {
        const std::size_t position = editor->history.position();
        const std::size_t size = editor->history.size();
        bool step = false;
        if (k > 2 && random() % 4 == 0) {
            if (editor->history.Undo(editor->doc, 1 + random() % 2) == 0) continue;
        } else if (k > 2 && random() % 5 == 0) {
            if (editor->history.Redo(editor->doc) == 0) continue;
        } else {
            // Turns make records of every cell, too long to cut at every 97th byte.
            RandomStep(*editor, random, false);
            if (editor->history.position() == position && editor->history.size() == size)
                continue;
            step = true;
        }
        journal.Flush();
        if (run.states.empty()) {
            // The first record is the document before the first change; it follows a head of
            // 54 bytes and the document's name (no origin path), and its own length and checksum.
            const auto bytes = fixture::ReadFileBytes(path);
            const std::size_t head = 54 + 4 + editor->doc.file_name.size();
            std::uint32_t length = 0;
            std::memcpy(&length, bytes.data() + head, sizeof length);
            run.states.push_back(Capture(*LoadedEditor()));
            run.record_ends.push_back(head + 12 + length);
            run.positions.push_back(0);
            run.steps.push_back(0);
        }
        run.steps.push_back(run.steps.back() + (step ? 1 : 0));
        run.states.push_back(Capture(*editor));
        run.record_ends.push_back(std::filesystem::file_size(path));
        run.positions.push_back(editor->history.position());
    }
    editor->AttachJournal(nullptr);
    run.journal = fixture::ReadFileBytes(path);
    return run;
}

TEST(Journal, ReplaysRandomRunsAndEveryCutUpToItsLastWholeRecord) {
    fixture::TempDir dir;
    for (const unsigned seed : {5u, 6u}) {
        SCOPED_TRACE(seed);
        const JournalRun run = RecordRun(seed, dir / "run.journal");
        ASSERT_GE(run.states.size(), 6u);

        Editor recovered;
        const JournalSummary summary = RecoverJournal(recovered, run.journal);
        EXPECT_FALSE(summary.origin_changed);
        EXPECT_TRUE(Capture(recovered) == run.states.back());
        EXPECT_EQ(recovered.history.position(), run.positions.back());
        EXPECT_FALSE(recovered.history.IsSaved());
        recovered.history.GoTo(recovered.doc, 0);
        EXPECT_TRUE(Capture(recovered) == run.states.front());

        // Cut at every byte near the head and the records' edges, and every 97th byte inside
        // them: read up to the last whole record, or refused before the document is whole;
        // replayed in full at a few cuts per record.
        std::set<std::size_t> cuts;
        for (std::size_t cut = 0; cut <= run.journal.size(); cut += 97) cuts.insert(cut);
        for (std::size_t cut = 0; cut < 200; ++cut) cuts.insert(cut);
        for (const std::size_t end : run.record_ends) {
            for (std::size_t cut = end - 13; cut <= std::min(end + 13, run.journal.size()); ++cut)
                cuts.insert(cut);
        }
        for (std::size_t record = 0; const std::size_t cut : cuts) {
            while (record + 1 < run.record_ends.size() && run.record_ends[record + 1] <= cut)
                ++record;
            const auto cut_journal = std::span(run.journal).first(cut);
            if (cut < run.record_ends[0]) {
                EXPECT_THROW(ReadJournalSummary(cut_journal), FormatError) << cut;
            } else {
                EXPECT_EQ(ReadJournalSummary(cut_journal).steps, run.steps[record]) << cut;
            }
        }
        std::mt19937 random(seed);
        for (std::size_t record = 1; record < run.record_ends.size(); ++record) {
            for (const std::size_t cut : {run.record_ends[record - 1] + 1 +
                                              random() % (run.record_ends[record] -
                                                          run.record_ends[record - 1] - 1),
                                          run.record_ends[record] - 1}) {
                Editor partial;
                RecoverJournal(partial, std::span(run.journal).first(cut));
                EXPECT_EQ(partial.history.position(), run.positions[record - 1]) << cut;
            }
        }
        Editor whole;
        RecoverJournal(whole, std::span(run.journal).first(run.record_ends[2]));
        EXPECT_TRUE(Capture(whole) == run.states[2]);
        for (const std::size_t cut : {std::size_t{0}, std::size_t{11}, run.record_ends[0] - 1}) {
            Editor refused;
            EXPECT_THROW(RecoverJournal(refused, std::span(run.journal).first(cut)), FormatError);
        }
    }
}

// Turns recovered from a journal move the counters as the live ones did, both ways.
TEST(Journal, RecoversTurnsWithTheirCounters) {
    fixture::TempDir dir;
    const auto path = dir / "turns.journal";
    auto editor = LoadedEditor();
    Journal journal(path, std::chrono::hours(1));
    editor->AttachJournal(&journal);
    const auto turn = [&](int quarters) {
        editor->Step(kQuarterTurnStep, [&] {
            for (int k = 0; k < quarters; ++k)
                RotateQuarter(editor->doc, editor->definitions, editor->status);
        });
    };
    std::vector<State> states = {Capture(*editor)};
    turn(1);
    states.push_back(Capture(*editor));
    turn(2);
    states.push_back(Capture(*editor));
    editor->history.Undo(editor->doc);
    journal.Flush();
    editor->AttachJournal(nullptr);

    Editor recovered;
    RecoverJournal(recovered, fixture::ReadFileBytes(path));
    EXPECT_TRUE(Capture(recovered) == states[1]);
    EXPECT_EQ(recovered.doc.island.rotation_angle, 1);
    EXPECT_EQ(Recounted(recovered), Counters(recovered.doc.island));
    recovered.history.Redo(recovered.doc);
    EXPECT_TRUE(Capture(recovered) == states[2]);
    recovered.history.Undo(recovered.doc, 2);
    EXPECT_TRUE(Capture(recovered) == states[0]);
    EXPECT_EQ(Recounted(recovered), Counters(recovered.doc.island));
}

TEST(Journal, RefusesAChangedFileAndForeignBytesAndWritesOnlyWhenDue) {
    fixture::TempDir dir;
    const auto island = dir / "Geschichte_ESK.scp";
    fixture::WriteFileBytes(island, CityIsland());
    const auto path = dir / "work.journal";
    auto editor = LoadedEditor();
    Journal journal(path, std::chrono::hours(1));
    editor->AttachJournal(&journal);
    editor->Load(island, FileKind::Island);
    editor->SetClimate(4);
    EXPECT_FALSE(std::filesystem::exists(path));  // not yet due
    journal.Flush();
    const auto bytes = fixture::ReadFileBytes(path);
    EXPECT_EQ(ReadJournalSummary(bytes).steps, 1);
    EXPECT_EQ(ReadJournalSummary(bytes).file_name, "Geschichte_ESK.scp");
    Editor same;
    RecoverJournal(same, bytes);
    EXPECT_EQ(same.doc.island.record.climate, 4);

    // A save removes the journal; moving past the saved steps starts it again from there.
    editor->TidyWarehouses();
    editor->SaveIsland(dir / "Gespeichert.scp");
    journal.Flush();
    EXPECT_FALSE(std::filesystem::exists(path));
    editor->history.Undo(editor->doc, 2);
    editor->history.Redo(editor->doc);
    editor->ShiftNow(kShiftGraphics, 1, 0);
    editor->history.Undo(editor->doc);
    editor->history.Redo(editor->doc);
    journal.Flush();
    Editor moved;
    RecoverJournal(moved, fixture::ReadFileBytes(path));
    EXPECT_TRUE(Capture(moved) == Capture(*editor));
    editor->AttachJournal(nullptr);

    auto changed = CityIsland();
    changed[100] ^= 1;
    fixture::WriteFileBytes(island, changed);
    EXPECT_TRUE(ReadJournalSummary(bytes).origin_changed);
    Editor refused;
    refused.doc.island.record.climate = 77;
    EXPECT_THROW(RecoverJournal(refused, bytes), FileError);
    EXPECT_EQ(refused.doc.island.record.climate, 77);

    std::vector<std::uint8_t> foreign = CityIsland();
    EXPECT_THROW(ReadJournalSummary(foreign), FormatError);
    auto other_version = bytes;
    other_version[12] = 9;
    EXPECT_THROW(ReadJournalSummary(other_version), FormatError);
}

}  // namespace
}  // namespace insel
