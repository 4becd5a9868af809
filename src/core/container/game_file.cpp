#include "core/container/game_file.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <string>
#include <utility>

#if defined(__x86_64__) && defined(__GNUC__)
#include <immintrin.h>
#endif

#include "core/container/file_io.h"
#include "core/cpu_features.h"
#include "core/errors.h"

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

// First start in [from, last_start] where `tag` matches, or -1. The caller has made sure
// that every start up to last_start leaves room for the whole tag in `data`.
std::int64_t ScalarSearch(const std::uint8_t* data, std::int64_t from, std::int64_t last_start,
                          std::string_view tag) {
    const auto* pattern = reinterpret_cast<const std::uint8_t*>(tag.data());
    const std::size_t size = tag.size();
    for (std::int64_t at = from; at <= last_start; ++at) {
        if (data[at] == pattern[0] && data[at + size - 1] == pattern[size - 1] &&
            std::memcmp(data + at, pattern, size) == 0) {
            return at;
        }
    }
    return -1;
}

// Game data is full of the tags' letters, so candidates are filtered many starts at a time
// by the tag's first and last byte, and only those are compared in full.
#if defined(__GNUC__)
using Bytes16 = std::uint8_t __attribute__((vector_size(16)));

inline Bytes16 Load16(const std::uint8_t* p) {
    Bytes16 v;
    std::memcpy(&v, p, sizeof v);
    return v;
}

std::int64_t VectorSearch(const std::uint8_t* data, std::int64_t length, std::int64_t from,
                          std::int64_t last_start, std::string_view tag) {
    const auto size = static_cast<std::int64_t>(tag.size());
    const auto* pattern = reinterpret_cast<const std::uint8_t*>(tag.data());
    const Bytes16 first = Bytes16{} + pattern[0];
    const Bytes16 last = Bytes16{} + pattern[size - 1];
    std::int64_t at = from;
    // Both 16-byte loads must stay inside the buffer.
    while (at <= last_start && at + size - 1 + 16 <= length) {
        const auto hits = (Load16(data + at) == first) & (Load16(data + at + size - 1) == last);
        std::uint64_t halves[2];
        std::memcpy(halves, &hits, sizeof halves);
        for (int h = 0; h < 2; ++h) {
            std::uint64_t bits = halves[h];
            while (bits != 0) {
                const int byte = __builtin_ctzll(bits) / 8;
                const std::int64_t candidate = at + 8 * h + byte;
                if (candidate > last_start) return -1;
                if (std::memcmp(data + candidate + 1, pattern + 1,
                                static_cast<std::size_t>(size - 1)) == 0) {
                    return candidate;
                }
                bits &= ~(std::uint64_t{0xFF} << (8 * byte));
            }
        }
        at += 16;
    }
    return ScalarSearch(data, at, last_start, tag);
}
#endif

#if defined(__x86_64__) && defined(__GNUC__)
__attribute__((target("avx2"))) std::int64_t Avx2Search(const std::uint8_t* data,
                                                        std::int64_t length, std::int64_t from,
                                                        std::int64_t last_start,
                                                        std::string_view tag) {
    const auto size = static_cast<std::int64_t>(tag.size());
    const auto* pattern = reinterpret_cast<const std::uint8_t*>(tag.data());
    const __m256i first = _mm256_set1_epi8(static_cast<char>(pattern[0]));
    const __m256i last = _mm256_set1_epi8(static_cast<char>(pattern[size - 1]));
    std::int64_t at = from;
    while (at <= last_start && at + size - 1 + 32 <= length) {
        const __m256i a = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(data + at));
        const __m256i b =
            _mm256_loadu_si256(reinterpret_cast<const __m256i*>(data + at + size - 1));
        auto bits = static_cast<std::uint32_t>(_mm256_movemask_epi8(
            _mm256_and_si256(_mm256_cmpeq_epi8(a, first), _mm256_cmpeq_epi8(b, last))));
        while (bits != 0) {
            const std::int64_t candidate = at + __builtin_ctz(bits);
            if (candidate > last_start) return -1;
            if (std::memcmp(data + candidate + 1, pattern + 1,
                            static_cast<std::size_t>(size - 1)) == 0) {
                return candidate;
            }
            bits &= bits - 1;
        }
        at += 32;
    }
    return VectorSearch(data, length, at, last_start, tag);
}

// Starts among the 64 from `at` whose first and last byte match the tag's.
__attribute__((target("avx512f,avx512bw"), always_inline)) inline std::uint64_t Candidates64(
    const std::uint8_t* at, std::int64_t size, __m512i first, __m512i last) {
    const __mmask64 firsts = _mm512_cmpeq_epi8_mask(_mm512_loadu_si512(at), first);
    return _mm512_mask_cmpeq_epi8_mask(firsts, _mm512_loadu_si512(at + size - 1), last);
}

// 128 starts per round: two 64-byte halves tested before either is looked at, which keeps
// the loads of the next round going while this one is compared.
__attribute__((target("avx512f,avx512bw"))) std::int64_t Avx512Search(const std::uint8_t* data,
                                                                      std::int64_t length,
                                                                      std::int64_t from,
                                                                      std::int64_t last_start,
                                                                      std::string_view tag) {
    const auto size = static_cast<std::int64_t>(tag.size());
    const auto* pattern = reinterpret_cast<const std::uint8_t*>(tag.data());
    const __m512i first = _mm512_set1_epi8(static_cast<char>(pattern[0]));
    const __m512i last = _mm512_set1_epi8(static_cast<char>(pattern[size - 1]));
    std::int64_t at = from;
    while (at <= last_start && at + size - 1 + 128 <= length) {
        const std::uint64_t halves[2] = {Candidates64(data + at, size, first, last),
                                         Candidates64(data + at + 64, size, first, last)};
        if ((halves[0] | halves[1]) != 0) {
            for (int h = 0; h < 2; ++h) {
                for (std::uint64_t bits = halves[h]; bits != 0; bits &= bits - 1) {
                    const std::int64_t candidate = at + 64 * h + __builtin_ctzll(bits);
                    if (candidate > last_start) return -1;
                    if (std::memcmp(data + candidate + 1, pattern + 1,
                                    static_cast<std::size_t>(size - 1)) == 0) {
                        return candidate;
                    }
                }
            }
        }
        at += 128;
    }
    return Avx2Search(data, length, at, last_start, tag);
}

std::int64_t Search(const std::uint8_t* data, std::int64_t length, std::int64_t from,
                    std::int64_t last_start, std::string_view tag) {
    static const int level = cpu::Avx512Bw() ? 2 : cpu::Avx2() ? 1 : 0;
    switch (level) {
        case 2:
            return Avx512Search(data, length, from, last_start, tag);
        case 1:
            return Avx2Search(data, length, from, last_start, tag);
        default:
            return VectorSearch(data, length, from, last_start, tag);
    }
}
#elif defined(__GNUC__)
std::int64_t Search(const std::uint8_t* data, std::int64_t length, std::int64_t from,
                    std::int64_t last_start, std::string_view tag) {
    return VectorSearch(data, length, from, last_start, tag);
}
#else
std::int64_t Search(const std::uint8_t* data, std::int64_t, std::int64_t from,
                    std::int64_t last_start, std::string_view tag) {
    return ScalarSearch(data, from, last_start, tag);
}
#endif

#if defined(__x86_64__) && defined(__GNUC__)
#define INSEL_TAG_SWEEP 1

// Tags that a load looks for across long stretches of the file (the data limit marker, the
// island list, the savegame walk, the blocks behind an island's cell data). Their
// occurrences are listed in one sweep over the buffer when a file is read, so that none of
// those searches reads the whole file again.
constexpr std::array<std::string_view, 8> kSweptTags = {
    "BIGBROTH", "INSEL5", "EVENTINSEL", "NAME", "BERGWERK2", "FLUESSE", "ANBAU", "STADT2"};

using SweptStarts = std::array<std::vector<std::int64_t>, kSweptTags.size()>;

// Per byte value, the swept tags (one bit each) whose first, resp. second, byte it is.
struct SweepTables {
    constexpr SweepTables() {
        for (std::size_t k = 0; k < kSweptTags.size(); ++k) {
            first[static_cast<std::uint8_t>(kSweptTags[k][0])] |=
                static_cast<std::uint8_t>(1u << k);
            second[static_cast<std::uint8_t>(kSweptTags[k][1])] |=
                static_cast<std::uint8_t>(1u << k);
        }
    }
    alignas(64) std::uint8_t first[256]{};
    alignas(64) std::uint8_t second[256]{};
};
constexpr SweepTables kSweepTables{};

template <std::size_t kTag>
bool SweptTagAt(const std::uint8_t* data, std::int64_t length, std::int64_t at) {
    constexpr std::string_view tag = kSweptTags[kTag];
    return at + static_cast<std::int64_t>(tag.size()) <= length &&
           std::memcmp(data + at, tag.data(), tag.size()) == 0;  // a fixed size: inlined
}

template <std::size_t... kTags>
bool SweptTagAt(std::size_t k, const std::uint8_t* data, std::int64_t length, std::int64_t at,
                std::index_sequence<kTags...>) {
    bool found = false;
    ((k == kTags ? (found = SweptTagAt<kTags>(data, length, at)) : false), ...);
    return found;
}

// The tags that may start at `at`, judged by its first two bytes, are compared in full.
void ListCandidate(const std::uint8_t* data, std::int64_t length, std::int64_t at,
                   std::uint8_t tags, SweptStarts& out) {
    for (; tags != 0; tags &= static_cast<std::uint8_t>(tags - 1)) {
        const auto k = static_cast<std::size_t>(__builtin_ctz(tags));
        if (SweptTagAt(k, data, length, at, std::make_index_sequence<kSweptTags.size()>{}))
            out[k].push_back(at);
    }
}

#define INSEL_SWEEP __attribute__((target("avx512f,avx512bw")))

// Per byte, a superset of the tags it may belong to, from its two nibbles: a tag's bit is set
// in the table of each nibble of its byte. Exact for the swept tags' letters.
struct NibbleTable {
    INSEL_SWEEP explicit NibbleTable(int position) {
        alignas(16) std::uint8_t high[16] = {}, low[16] = {};
        for (std::size_t k = 0; k < kSweptTags.size(); ++k) {
            const auto c =
                static_cast<std::uint8_t>(kSweptTags[k][static_cast<std::size_t>(position)]);
            high[c >> 4] |= static_cast<std::uint8_t>(1u << k);
            low[c & 15] |= static_cast<std::uint8_t>(1u << k);
        }
        // The same 16 entries in every lane, as the byte shuffle looks up per lane.
        alignas(64) std::uint8_t high64[64], low64[64];
        for (int i = 0; i < 64; ++i) {
            high64[i] = high[i % 16];
            low64[i] = low[i % 16];
        }
        high_ = _mm512_load_si512(high64);
        low_ = _mm512_load_si512(low64);
    }
    INSEL_SWEEP __m512i operator()(__m512i bytes) const {
        const __m512i nibble = _mm512_set1_epi8(0x0F);
        const __m512i high = _mm512_and_si512(_mm512_srli_epi16(bytes, 4), nibble);
        return _mm512_and_si512(_mm512_shuffle_epi8(high_, high),
                                _mm512_shuffle_epi8(low_, _mm512_and_si512(bytes, nibble)));
    }
    __m512i high_, low_;
};

// 64 starts at a time: a start is a candidate when its first and second byte both belong to
// one of the tags, which game data rarely has.
INSEL_SWEEP std::int64_t SweepTags(const std::uint8_t* data, std::int64_t length,
                                   std::int64_t valid, std::int64_t at, SweptStarts& out) {
    const NibbleTable first(0), second(1);
    // 65 bytes are read for 64 starts, and a candidate's whole tag right after; while the
    // buffer is still being filled, starts stay that far from the bytes not there yet.
    const std::int64_t stop = valid == length ? length - 64 : valid - 79;
    for (; at < stop; at += 64) {
        const __m512i tags = _mm512_and_si512(first(_mm512_loadu_si512(data + at)),
                                              second(_mm512_loadu_si512(data + at + 1)));
        for (std::uint64_t bits = _mm512_test_epi8_mask(tags, tags); bits != 0; bits &= bits - 1) {
            const int i = __builtin_ctzll(bits);
            ListCandidate(data, length, at + i,
                          kSweepTables.first[data[at + i]] & kSweepTables.second[data[at + i + 1]],
                          out);
        }
    }
    if (valid < length) return at;
    for (; at + 1 < length; ++at) {
        ListCandidate(data, length, at,
                      kSweepTables.first[data[at]] & kSweepTables.second[data[at + 1]], out);
    }
    return length;
}
#endif

// Lists every occurrence of the swept tags in the whole buffer (also behind the file, which
// searches with a negative limit reach), where the processor has the byte compares for it;
// elsewhere the lists come about as before, after a few long searches. `fill(from, to)` puts
// the bytes [from, to) into the buffer; the sweep follows right behind, while they are at hand.
template <class Fill>
void FillAndSweep(GameFileBuffer& buffer, std::int64_t size, Fill fill) {
#ifdef INSEL_TAG_SWEEP
    if (cpu::Avx512Bw() && buffer.length() >= 2) {
        constexpr std::int64_t kChunk = 1 << 18;
        SweptStarts starts;
        std::int64_t swept = 0;
        for (std::int64_t from = 0; from < size; from += kChunk) {
            const std::int64_t to = std::min(size, from + kChunk);
            fill(from, to);
            swept = SweepTags(buffer.bytes.data(), buffer.length(), to, swept, starts);
        }
        SweepTags(buffer.bytes.data(), buffer.length(), buffer.length(), swept, starts);
        for (std::size_t k = 0; k < kSweptTags.size(); ++k)
            buffer.long_searches.push_back(
                {std::string(kSweptTags[k]), 0, true, std::move(starts[k])});
        return;
    }
#endif
    if (size > 0) fill(0, size);
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
