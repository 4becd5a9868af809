#pragma once
// Small helpers shared by the core tests.
#include <algorithm>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "app/editor.h"
#include "island/loader.h"

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

}  // namespace insel::test
