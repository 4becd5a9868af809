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
#include "core/island/loader.h"

namespace insel::test {

// Loads `bytes` as a file of the given kind, as the open command does.
inline void Load(Editor& editor, std::span<const std::uint8_t> bytes, int kind,
                 const std::string& file_name = "test.scp") {
    editor.file_kind = kind;
    LoadIslandFromBytes(editor, bytes, file_name);
}

inline std::string Panel(const Editor& editor, const std::string& name) {
    auto it = editor.panels.find(name);
    return it == editor.panels.end() ? std::string("<missing>") : it->second;
}

inline bool HasLine(const std::vector<std::string>& memo, const std::string& line) {
    return std::find(memo.begin(), memo.end(), line) != memo.end();
}

// An editor showing an empty island of the given size in the whole-island view.
inline std::unique_ptr<Editor> ShownIsland(int width, int height) {
    auto editor = std::make_unique<Editor>();
    editor->island.record.width = static_cast<std::uint16_t>(width);
    editor->island.record.height = static_cast<std::uint16_t>(height);
    editor->island.cell_block_count = CellBlocksAlong(width) * CellBlocksAlong(height);
    editor->island_shown = true;
    ResetView(*editor);
    return editor;
}

}  // namespace insel::test
