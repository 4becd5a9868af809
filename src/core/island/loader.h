#pragma once
// Turns a loaded game file into the island map.
#include <cstdint>
#include <filesystem>
#include <span>
#include <string>

namespace insel {

struct Editor;

// Reads the file (editor.file_kind says what it is), lists its islands, decodes its cities and
// ends on its first island. Returns a message for the user ("Cannot decode city structure"),
// empty when there is none. Errors leave what was decoded so far.
std::string LoadIsland(Editor& editor, const std::filesystem::path& path);
// The same for bytes already in memory; `file_name` stands in for the file's name.
std::string LoadIslandFromBytes(Editor& editor, std::span<const std::uint8_t> bytes,
                                const std::string& file_name);

// Decodes the island whose INSEL tag is the first at or after `start`.
void DecodeIsland(Editor& editor, std::int64_t start);

}  // namespace insel
