#pragma once
#include <cstdint>
#include <filesystem>
#include <span>
#include <string>
#include <vector>

namespace insel {

// Reads the whole file into the front of `buffer`, growing it to size + 1 when it is shorter
// and never shrinking it (bytes behind the file keep what they held). A file without write
// permission gets it for the duration of the read and loses it again afterwards.
// Returns the file's size.
std::int64_t ReadFileIntoBuffer(const std::filesystem::path& path,
                                std::vector<std::uint8_t>& buffer);

// Writes through a temporary file beside the target and a rename, so a failure never leaves
// a truncated file and an existing target stays intact until the new one is complete.
void WriteFileAtomically(const std::filesystem::path& path, std::span<const std::uint8_t> bytes);

enum class TextEncoding { Utf8, Windows1252 };

struct TextFile {
    std::vector<std::string> lines;  // UTF-8, without line ends
    TextEncoding encoding = TextEncoding::Utf8;
};

// Accepts CRLF or LF; reads UTF-8 when the bytes are valid UTF-8, else Windows-1252.
TextFile ReadTextFile(const std::filesystem::path& path);
// Writes CRLF line ends in the given encoding, atomically.
void WriteTextFile(const std::filesystem::path& path, const std::vector<std::string>& lines,
                   TextEncoding encoding);

}  // namespace insel
