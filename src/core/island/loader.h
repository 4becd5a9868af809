#pragma once
// Turns a loaded game file into the island map.
#include <cstdint>
#include <filesystem>
#include <span>
#include <string>

namespace insel {

struct Editor;

// Reads the file (editor.file_kind says what it is) and decodes its first island; savegames and
// scenarios also get their island list. Errors leave what was decoded so far.
void LoadIsland(Editor& editor, const std::filesystem::path& path);
// The same for bytes already in memory; `file_name` stands in for the file's name.
void LoadIslandFromBytes(Editor& editor, std::span<const std::uint8_t> bytes,
                         const std::string& file_name);

// Decodes the island whose INSEL tag is the first at or after `start`.
void DecodeIsland(Editor& editor, std::int64_t start);

}  // namespace insel
