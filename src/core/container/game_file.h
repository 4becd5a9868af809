#pragma once
// A whole game file in memory. Structure is never parsed front to back: blocks are found by
// searching for their tags between a start position and a limit.
#include <cstdint>
#include <filesystem>
#include <initializer_list>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace insel {

// The loaded file. Its length only grows between loads, so bytes behind the current file can
// still hold an earlier file; every search that must stay in the file is bounded by the data
// limit, never by the length.
struct GameFileBuffer {
    GameFileBuffer() = default;
    explicit GameFileBuffer(std::vector<std::uint8_t> content) : bytes(std::move(content)) {}

    std::vector<std::uint8_t> bytes;
    std::int64_t length() const { return static_cast<std::int64_t>(bytes.size()); }
    // The size of the file last read into it (the buffer holds one byte more, or stale bytes);
    // -1 when the bytes were set directly.
    std::int64_t file_size = -1;

    // Long searches for one tag that keep coming back (a walk over many cities, each decoding
    // its island) would scan the file again and again; after a few such scans the tag's
    // occurrences are listed once and looked up from then on. Whoever changes `bytes` calls
    // Changed() so that no stale list survives.
    struct TagOccurrences {
        std::string tag;
        std::int64_t scanned = 0;
        bool listed = false;
        std::vector<std::int64_t> starts;
        std::size_t last_answer = 0;  // index into starts of the latest lookup's answer
    };
    // A handful of tags at most, so a plain list is the quickest to look through.
    mutable std::vector<TagOccurrences> long_searches;
    void Changed() { long_searches.clear(); }

    // Each byte a patch overwrote, with its value before, oldest first, until the edit history
    // takes them into its step.
    struct PatchedByte {
        std::int64_t offset = 0;
        std::uint8_t before = 0;
    };
    std::vector<PatchedByte> patched;
};

struct LoadedFileInfo {
    std::int64_t size = 0;        // bytes read
    std::int64_t data_limit = 0;  // size, or the first "BIGBROTH" before it
    int addon_level = 0;
};

// Reads the file into the buffer and works out data limit and add-on level.
LoadedFileInfo LoadGameFile(GameFileBuffer& buffer, const std::filesystem::path& path);
// The same for bytes already in memory (the fuzzer and the tests use it).
LoadedFileInfo LoadGameBytes(GameFileBuffer& buffer, std::span<const std::uint8_t> bytes);

// Little-endian read of 1, 2 or 4 bytes. 1- and 2-byte values are unsigned; a 4-byte value
// is -1 when all bytes are 0xFF and otherwise must not have its top bit set (OverflowError).
// A position outside the buffer is a BoundsError.
std::int64_t ReadValue(const GameFileBuffer& buffer, int width, std::int64_t position);

// The same search in other bytes (an assembled file), without occurrence lists.
bool FindTagForward(std::span<const std::uint8_t> bytes, std::int64_t limit, std::string_view tag,
                    std::int64_t& position);

// The limit a forward search really stops at: the buffer's length for a negative limit,
// length - 5 for a limit beyond the length, else the limit itself.
std::int64_t EffectiveLimit(const GameFileBuffer& buffer, std::int64_t limit);

// `length` raw bytes from `position` as text; BoundsError when they run past the buffer.
std::string ReadText(const GameFileBuffer& buffer, std::int64_t position, std::int64_t length);

// Moves `position` to the first occurrence of `tag` at or after it and before the effective
// limit (the buffer's length for a negative limit, length - 5 for a limit beyond the length),
// or to that limit. Returns whether the tag was found. A match may not run past the buffer.
bool FindTagForward(const GameFileBuffer& buffer, std::int64_t limit, std::string_view tag,
                    std::int64_t& position);

// Several tags searched from the same, mostly growing positions. When one of them must look
// further, every tag whose answer is out of date is searched in the same sweep, window by
// window, so the bytes come from memory once instead of once per tag.
class TagCursors {
  public:
    TagCursors(const GameFileBuffer& buffer, std::int64_t limit,
               std::initializer_list<std::string_view> tags);
    // As FindTagForward with this group's limit and tag number `which`.
    bool Find(std::size_t which, std::int64_t& position);

  private:
    struct Memo {
        std::string_view tag;
        std::int64_t from = -1;  // the last search started here ...
        std::int64_t at = -1;    // ... and stopped here
        bool found = false;
        bool Covers(std::int64_t position) const {
            return from >= 0 && position >= from && position <= at;
        }
    };
    const GameFileBuffer& buffer_;
    std::int64_t limit_;
    std::vector<Memo> memos_;
};

// Moves `position` down to the nearest occurrence of `tag` at or below it and not below
// `lower_limit`; without one it ends at lower_limit - 1. Returns whether it was found.
bool FindTagBackward(const GameFileBuffer& buffer, std::int64_t lower_limit, std::string_view tag,
                     std::int64_t& position);

// The add-on level named in the first 100 bytes of the file.
int ReadAddOnLevel(const GameFileBuffer& buffer);

}  // namespace insel
