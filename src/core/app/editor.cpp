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
    // The logs go on from what they hold; a failed load adds nothing to them either.
    Status next_status = status;
    const LoadSummary summary = read(next, next_status);
    doc = std::move(next);
    status = std::move(next_status);
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
