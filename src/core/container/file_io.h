#pragma once
#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace insel {

// Reads the whole file into the front of `buffer`, growing it to size + 1 when it is shorter
// and never shrinking it (bytes behind the file keep what they held). The file itself is
// never touched: a read-only file is read like any other. Returns the file's size.
std::int64_t ReadFileIntoBuffer(const std::filesystem::path& path,
                                std::vector<std::uint8_t>& buffer);

// Why a file cannot be written to `path`, or nothing when it can: the folder must exist, and
// a file already there (followed through symbolic links) must be a regular file that may be
// written. The message names the file.
std::optional<std::string> WriteRefusal(const std::filesystem::path& path);
inline bool IsWritableTarget(const std::filesystem::path& path) { return !WriteRefusal(path); }
// Throws FileError with the refusal, if any.
void CheckWritableTarget(const std::filesystem::path& path);

// Whether both paths name the same existing file (links and other spellings included).
bool IsSameFile(const std::filesystem::path& a, const std::filesystem::path& b);

// Writes through a temporary file beside the target, flushed to the disk before it is renamed
// over the target, so a failure never leaves a truncated file and an existing target stays
// intact until the new one is complete. A symbolic link is written through to the file it
// names, the target keeps its permissions, and a read-only target is refused (FileError).
void WriteFileAtomically(const std::filesystem::path& path, std::span<const std::uint8_t> bytes);

// Paths and UTF-8 text: file names with umlauts mean the same on every system.
// Appends `bytes` to the file (made if missing) and waits until they are on the disk.
void AppendToFileDurably(const std::filesystem::path& path, std::span<const std::uint8_t> bytes);

std::filesystem::path PathFromUtf8(std::string_view text);
std::string PathToUtf8(const std::filesystem::path& path);
// The extension with its dot, in lower case (".scp"), as file kinds are told apart.
std::string LowerExtension(const std::filesystem::path& path);

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
