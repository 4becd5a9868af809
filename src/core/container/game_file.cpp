#include "core/container/game_file.h"

#include <algorithm>
#include <cstring>
#include <string>
#include <utility>

#include "core/container/file_io.h"
#include "core/errors.h"
#include "core/simd/tag_search.h"

namespace insel {
namespace {

void SweepForTags(GameFileBuffer& buffer);
template <class Fill>
void FillAndSweep(GameFileBuffer& buffer, std::int64_t size, Fill fill);

LoadedFileInfo Examine(const GameFileBuffer& buffer, std::int64_t size) {
    LoadedFileInfo info;
    info.size = size;
    info.data_limit = size;
    // A savegame may carry trailing data behind this marker; the island data end there. Only a
    // marker that starts inside the file can lower the limit, so the bytes behind it (an
    // earlier file's) need no search.
    std::int64_t position = 0;
    FindTagForward(buffer, size, "BIGBROTH", position);
    if (position < info.data_limit) info.data_limit = position;
    info.addon_level = ReadAddOnLevel(buffer);
    return info;
}

int LevelFromDigit(int c) { return c >= 48 ? c - 48 : c; }

}  // namespace

LoadedFileInfo LoadGameFile(GameFileBuffer& buffer, const std::filesystem::path& path) {
    buffer.Changed();
    const std::int64_t size = ReadFileIntoBuffer(path, buffer.bytes);
    buffer.file_size = size;
    SweepForTags(buffer);
    return Examine(buffer, size);
}

LoadedFileInfo LoadGameBytes(GameFileBuffer& buffer, std::span<const std::uint8_t> bytes) {
    buffer.Changed();
    buffer.file_size = static_cast<std::int64_t>(bytes.size());
    if (buffer.bytes.size() < bytes.size()) buffer.bytes.resize(bytes.size() + 1);
    FillAndSweep(buffer, static_cast<std::int64_t>(bytes.size()),
                 [&](std::int64_t from, std::int64_t to) {
                     std::memcpy(buffer.bytes.data() + from, bytes.data() + from,
                                 static_cast<std::size_t>(to - from));
                 });
    return Examine(buffer, static_cast<std::int64_t>(bytes.size()));
}

std::int64_t ReadValue(const GameFileBuffer& buffer, int width, std::int64_t position) {
    if (position < 0 || position + width > buffer.length()) {
        throw BoundsError("reading " + std::to_string(width) + " bytes at file position " +
                          std::to_string(position) + ": beyond the end of the file data (" +
                          std::to_string(buffer.file_size >= 0 ? buffer.file_size
                                                               : buffer.length()) +
                          " bytes)");
    }
    const std::uint8_t* b = buffer.bytes.data() + position;
    switch (width) {
        case 1:
            return b[0];
        case 2:
            return b[0] | (b[1] << 8);
        case 4: {
            if (b[0] == 0xFF && b[1] == 0xFF && b[2] == 0xFF && b[3] == 0xFF) return -1;
            if (b[3] & 0x80) {
                throw OverflowError("4-byte value at file position " + std::to_string(position) +
                                    " has its top bit set");
            }
            return static_cast<std::int64_t>(b[0]) | (static_cast<std::int64_t>(b[1]) << 8) |
                   (static_cast<std::int64_t>(b[2]) << 16) |
                   (static_cast<std::int64_t>(b[3]) << 24);
        }
        default:
            throw BoundsError("reading " + std::to_string(width) + " bytes: no such value width");
    }
}

namespace {

std::int64_t Search(const std::uint8_t* data, std::int64_t length, std::int64_t from,
                    std::int64_t last_start, std::string_view tag) {
    return simd::FindTag(data, length, from, last_start, tag);
}

// Lists every occurrence of the swept tags in the whole buffer (also behind the file, which
// searches with a negative limit reach). `fill(from, to)` puts the bytes [from, to) into the
// buffer; the sweep follows right behind, while they are at hand.
template <class Fill>
void FillAndSweep(GameFileBuffer& buffer, std::int64_t size, Fill fill) {
    if (buffer.length() < 2) {
        if (size > 0) fill(0, size);
        return;
    }
    constexpr std::int64_t kChunk = 1 << 18;
    simd::SweptStarts starts;
    std::int64_t swept = 0;
    for (std::int64_t from = 0; from < size; from += kChunk) {
        const std::int64_t to = std::min(size, from + kChunk);
        fill(from, to);
        swept = simd::SweepTags(buffer.bytes.data(), buffer.length(), to, swept, starts);
    }
    simd::SweepTags(buffer.bytes.data(), buffer.length(), buffer.length(), swept, starts);
    for (std::size_t k = 0; k < simd::kSweptTags.size(); ++k)
        buffer.long_searches.push_back(
            {std::string(simd::kSweptTags[k]), 0, true, std::move(starts[k])});
}

void SweepForTags(GameFileBuffer& buffer) {
    FillAndSweep(buffer, buffer.length(), [](std::int64_t, std::int64_t) {});
}

GameFileBuffer::TagOccurrences* FindOccurrences(const GameFileBuffer& buffer,
                                                std::string_view tag) {
    for (auto& occurrences : buffer.long_searches) {
        if (occurrences.tag == tag) return &occurrences;
    }
    return nullptr;
}

// The listed occurrences of a tag, or null while it has none.
GameFileBuffer::TagOccurrences* ListedOccurrences(const GameFileBuffer& buffer,
                                                  std::string_view tag) {
    if (buffer.long_searches.empty()) return nullptr;
    auto* occurrences = FindOccurrences(buffer, tag);
    return occurrences != nullptr && occurrences->listed ? occurrences : nullptr;
}

// The index of the first listed occurrence at or after `position`. Walks (rivers block after
// block) ask for the one after the last answer, which is tried before a binary search.
std::size_t NextListed(GameFileBuffer::TagOccurrences& listed, std::int64_t position) {
    const std::vector<std::int64_t>& starts = listed.starts;
    const std::size_t k = listed.last_answer + 1;
    std::size_t next;
    if (k <= starts.size() && starts[k - 1] < position &&
        (k == starts.size() || starts[k] >= position)) {
        next = k;
    } else {
        next = static_cast<std::size_t>(std::lower_bound(starts.begin(), starts.end(), position) -
                                         starts.begin());
    }
    listed.last_answer = next;
    return next;
}

// Searches that find their tag within this many bytes never touch the occurrence lists.
constexpr std::int64_t kNearbyBytes = 1 << 16;

std::int64_t FarSearch(const GameFileBuffer& buffer, std::int64_t from, std::int64_t last_start,
                       std::string_view tag) {
    const std::uint8_t* data = buffer.bytes.data();
    const std::int64_t length = buffer.length();
    GameFileBuffer::TagOccurrences* found = FindOccurrences(buffer, tag);
    if (found == nullptr) {
        buffer.long_searches.push_back({std::string(tag), 0, false, {}});
        found = &buffer.long_searches.back();
    }
    GameFileBuffer::TagOccurrences& occurrences = *found;
    if (!occurrences.listed && occurrences.scanned > length) {
        const std::int64_t last = length - static_cast<std::int64_t>(tag.size());
        for (std::int64_t at = Search(data, length, 0, last, tag); at >= 0;
             at = Search(data, length, at + 1, last, tag)) {
            occurrences.starts.push_back(at);
        }
        occurrences.listed = true;
    }
    if (occurrences.listed) {
        const auto next =
            std::lower_bound(occurrences.starts.begin(), occurrences.starts.end(), from);
        return next != occurrences.starts.end() && *next <= last_start ? *next : -1;
    }
    const std::int64_t at = Search(data, length, from, last_start, tag);
    occurrences.scanned += (at < 0 ? last_start : at) - from + 1;
    return at;
}

}  // namespace

std::string ReadText(const GameFileBuffer& buffer, std::int64_t position, std::int64_t length) {
    if (length <= 0) return {};
    if (position < 0 || position + length > buffer.length()) {
        throw BoundsError("reading " + std::to_string(length) + " characters at file position " +
                          std::to_string(position) + ": beyond the end of the file data");
    }
    return std::string(reinterpret_cast<const char*>(buffer.bytes.data() + position),
                       static_cast<std::size_t>(length));
}

std::int64_t EffectiveLimit(const GameFileBuffer& buffer, std::int64_t limit) {
    const std::int64_t length = buffer.length();
    return limit < 0 ? length : (length < limit ? length - 5 : limit);
}

bool FindTagForward(const GameFileBuffer& buffer, std::int64_t limit, std::string_view tag,
                    std::int64_t& position) {
    const std::int64_t length = buffer.length();
    const std::int64_t end = EffectiveLimit(buffer, limit);
    if (position < 0) position = 0;
    const auto size = static_cast<std::int64_t>(tag.size());
    if (position >= end || size == 0) {
        position = std::max(position, end);
        return size == 0 && position < end;
    }
    // A match may start anywhere before `end` and run past it, but not past the buffer.
    const std::int64_t last_start = std::min(end - 1, length - size);
    std::int64_t at = -1;
    if (auto* listed = ListedOccurrences(buffer, tag)) {
        const std::size_t next = NextListed(*listed, position);
        at = next < listed->starts.size() && listed->starts[next] <= last_start
                 ? listed->starts[next]
                 : -1;
    } else {
        const std::int64_t nearby = std::min(last_start, position + kNearbyBytes);
        at = Search(buffer.bytes.data(), length, position, nearby, tag);
        if (at < 0 && nearby < last_start) at = FarSearch(buffer, nearby + 1, last_start, tag);
    }
    if (at < 0) {
        position = end;
        return false;
    }
    position = at;
    return true;
}

bool FindTagForward(std::span<const std::uint8_t> bytes, std::int64_t limit, std::string_view tag,
                    std::int64_t& position) {
    const auto length = static_cast<std::int64_t>(bytes.size());
    const std::int64_t end = limit < 0 ? length : (length < limit ? length - 5 : limit);
    if (position < 0) position = 0;
    const auto size = static_cast<std::int64_t>(tag.size());
    if (position >= end || size == 0 || size > length) {
        position = std::max(position, end);
        return false;
    }
    const std::int64_t at =
        Search(bytes.data(), length, position, std::min(end - 1, length - size), tag);
    position = at < 0 ? end : at;
    return at >= 0;
}

TagCursors::TagCursors(const GameFileBuffer& buffer, std::int64_t limit,
                       std::initializer_list<std::string_view> tags)
    : buffer_(buffer), limit_(limit) {
    for (std::string_view tag : tags) memos_.push_back({tag});
}

bool TagCursors::Find(std::size_t which, std::int64_t& position) {
    position = std::max<std::int64_t>(position, 0);
    if (!memos_[which].Covers(position)) {
        // Every stale tag starts from here; the sweep goes on until each has its answer.
        constexpr std::int64_t kWindow = 1 << 16;
        const std::int64_t end = EffectiveLimit(buffer_, limit_);
        std::vector<Memo*> pending;
        for (Memo& memo : memos_) {
            if (memo.Covers(position)) continue;
            memo = {memo.tag, position, std::max(position, end), false};
            if (position < end) pending.push_back(&memo);
        }
        for (std::int64_t window = position; !pending.empty() && window < end; window += kWindow) {
            const std::int64_t window_end = std::min(end, window + kWindow);
            for (std::size_t k = 0; k < pending.size();) {
                std::int64_t at = window;
                if (FindTagForward(buffer_, window_end, pending[k]->tag, at)) {
                    pending[k]->at = at;
                    pending[k]->found = true;
                    pending.erase(pending.begin() + static_cast<std::ptrdiff_t>(k));
                } else {
                    ++k;
                }
            }
        }
    }
    position = memos_[which].at;
    return memos_[which].found;
}

bool FindTagBackward(const GameFileBuffer& buffer, std::int64_t lower_limit, std::string_view tag,
                     std::int64_t& position) {
    const std::int64_t length = buffer.length();
    const std::int64_t lowest = std::max<std::int64_t>(lower_limit, 0);
    const auto size = static_cast<std::int64_t>(tag.size());
    if (position >= length) position = length - 1;
    for (; position >= lowest; --position) {
        if (position + size <= length &&
            std::memcmp(buffer.bytes.data() + position, tag.data(), tag.size()) == 0) {
            return true;
        }
    }
    position = lower_limit - 1;
    return false;
}

int ReadAddOnLevel(const GameFileBuffer& buffer) {
    std::int64_t position = 0;
    if (FindTagForward(buffer, 100, "ADDONLEVEL", position) && position < 50) {
        return LevelFromDigit(static_cast<int>(ReadValue(buffer, 1, position + 10)));
    }
    position = 0;
    if (!FindTagForward(buffer, 100, "KELMADDON", position) || position >= 10) return 0;
    return LevelFromDigit(static_cast<int>(ReadValue(buffer, 1, position + 9)));
}

}  // namespace insel
