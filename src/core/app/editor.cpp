#include "core/app/editor.h"

#include <utility>

#include "core/dialogs/new_island.h"
#include "core/document/journal.h"
#include "core/island/cities.h"
#include "core/island/city_writer.h"
#include "core/island/island_list.h"
#include "core/island/loader.h"
#include "core/island/writer.h"
#include "core/tools/rotation.h"

namespace insel {

void Editor::ClearIsland() {
    doc.ClearIsland(clear_series_usage_on_load);
    tools.ResetForNewIsland();
}

void Editor::AttachJournal(Journal* journal) {
    journal_ = journal;
    history.SetObserver(journal);
}

void Editor::FlushJournal() {
    if (journal_ == nullptr) return;
    try {
        journal_->Flush();
    } catch (const Error& error) {
        status.memo2.push_back(std::string("Wiederherstellungsdatei: ") + error.what());
    }
}

template <typename Read>
LoadSummary Editor::LoadWith(FileKind kind, Read read) {
    FlushJournal();
    Document next = SuccessorOf(doc, clear_series_usage_on_load);
    next.file_kind = kind;
    // The load only adds to the logs (and starts the city log afresh); a failed one leaves them
    // as they were.
    const std::size_t memo2_size = status.memo2.size();
    const LogLines memo3 = status.memo3;
    LoadSummary summary;
    try {
        summary = read(next, status);
    } catch (...) {
        status.memo2.resize(memo2_size);
        status.memo3 = memo3;
        throw;
    }
    doc = std::move(next);
    status.ShowLoadSummary(summary);
    tools.ResetForNewIsland();
    // A new file starts without save-time shifts.
    for (LayerShift& shift : save.shifts) shift.apply = false;
    view.island_shown = true;
    history.Reset(doc);
    return summary;
}

LoadSummary Editor::Load(const std::filesystem::path& path, FileKind kind) {
    return LoadWith(kind, [&](Document& next, Status& next_status) {
        LoadSummary summary = LoadIsland(next, definitions, next_status, path);
        if (journal_ != nullptr) {
            const auto size = static_cast<std::size_t>(std::max<std::int64_t>(next.file_size, 0));
            journal_->SetOrigin(OriginOf(path, std::span(next.file.bytes).first(
                                                   std::min(size, next.file.bytes.size()))));
        }
        return summary;
    });
}

LoadSummary Editor::LoadBytes(std::span<const std::uint8_t> bytes, const std::string& file_name,
                              FileKind kind) {
    return LoadWith(kind, [&](Document& next, Status& next_status) {
        LoadSummary summary = LoadIslandFromBytes(next, definitions, next_status, bytes, file_name);
        if (journal_ != nullptr) journal_->SetOrigin({});
        return summary;
    });
}

bool Editor::TidyWarehouses() {
    return Step("Aufräumen", [&] { insel::TidyWarehouses(doc, status.memo3); });
}

bool Editor::SetClimate(int climate) {
    return Step("Klima", [&] { SetIslandClimate(doc, climate); });
}

bool Editor::ShiftNow(int kind, int dx, int dy) {
    return Step("Verschiebung", [&] { ShiftLayer(doc.island, kind, {true, dx, dy}); });
}

bool Editor::SelectIsland(int row) {
    // Decoding another island is a load: a failure leaves the island shown as it was, and
    // the history starts again from the new island.
    if (row < 1 || row > static_cast<int>(doc.island_list.size())) return false;
    history.Replace(doc, [&] { SelectIslandRow(doc, definitions, status, row); });
    return true;
}

std::string Editor::SelectCity(int row) {
    std::string message;
    const auto select = [&] { message = SelectCityRow(doc, definitions, status, row); };
    const std::size_t index = row <= 0 ? 0 : static_cast<std::size_t>(row) - 1;
    if (row < 0 || index >= doc.cities.cities.size()) return message;  // no such city
    if (doc.file_kind == FileKind::Savegame) {
        // In a savegame the city's island is decoded, as a load.
        history.Replace(doc, select);
    } else {
        Step("Stadt wählen", select);
    }
    return message;
}

void Editor::MakeNewIsland(int size, int climate) {
    FlushJournal();
    if (journal_ != nullptr) journal_->SetOrigin({});
    ClearIsland();
    NewIsland(doc, status, size, climate);
    view.island_shown = true;
    StartHistory();
}

template <class Save>
void Editor::SaveWithShifts(Save save_file) {
    FlushJournal();
    const bool shifted =
        Step("Verschiebung beim Speichern", [&] { ApplySaveShifts(doc.island, save); });
    try {
        Step("Speichern", save_file);
    } catch (...) {
        // Nothing was saved: the island goes back to how it was before the save.
        if (shifted) history.Undo(doc);
        throw;
    }
    history.MarkSaved();
}

std::filesystem::path Editor::SaveIsland(const std::filesystem::path& path) {
    std::filesystem::path written;
    SaveWithShifts([&] { written = SaveIslandFile(doc, save, output, status.memo2, path); });
    return written;
}

void Editor::SaveCity(const std::filesystem::path& path, const std::string& date) {
    SaveWithShifts([&] {
        SaveCityFile({doc, save, output, status.memo2, status.memo3}, path, date);
    });
}

}  // namespace insel
