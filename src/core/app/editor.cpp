#include "core/app/editor.h"

#include <utility>

#include "core/island/loader.h"

namespace insel {

void Editor::ClearIsland() {
    doc.ClearIsland(clear_series_usage_on_load);
    tools.ResetForNewIsland();
}

template <typename Read>
LoadSummary Editor::LoadWith(FileKind kind, Read read) {
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
    return summary;
}

LoadSummary Editor::Load(const std::filesystem::path& path, FileKind kind) {
    return LoadWith(kind, [&](Document& next, Status& next_status) {
        return LoadIsland(next, definitions, next_status, path);
    });
}

LoadSummary Editor::LoadBytes(std::span<const std::uint8_t> bytes, const std::string& file_name,
                              FileKind kind) {
    return LoadWith(kind, [&](Document& next, Status& next_status) {
        return LoadIslandFromBytes(next, definitions, next_status, bytes, file_name);
    });
}

}  // namespace insel
