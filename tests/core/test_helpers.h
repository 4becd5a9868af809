#pragma once
// Small helpers shared by the core tests.
#include <algorithm>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "core/app/editor.h"
#include "core/display/view.h"
#include "core/island/city_writer.h"
#include "core/island/loader.h"

namespace insel::test {

// Loads `bytes` as a file of the given kind, as the open command does.
inline void Load(Editor& editor, std::span<const std::uint8_t> bytes, FileKind kind,
                 const std::string& file_name = "test.scp") {
    editor.LoadBytes(bytes, file_name, kind);
}

// What a city-file save of the editor works on.
inline CityFileTarget CityTarget(Editor& editor) {
    return {editor.doc, editor.save, editor.output, editor.status.memo2, editor.status.memo3};
}

inline bool HasLine(const std::vector<std::string>& memo, const std::string& line) {
    return std::find(memo.begin(), memo.end(), line) != memo.end();
}

// An editor showing an empty island of the given size in the whole-island view.
inline std::unique_ptr<Editor> ShownIsland(int width, int height) {
    auto editor = std::make_unique<Editor>();
    editor->doc.island.record.width = static_cast<std::uint16_t>(width);
    editor->doc.island.record.height = static_cast<std::uint16_t>(height);
    editor->doc.island.cell_block_count = CellBlocksAlong(width) * CellBlocksAlong(height);
    editor->view.island_shown = true;
    ResetView(editor->view, editor->doc.island, editor->status);
    return editor;
}

}  // namespace insel::test
