// The tag searches' fast paths (the occurrence lists made when a file is read, the wide
// compares) against a plain byte-by-byte search, on data full of near misses.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <string_view>
#include <vector>

#include "core/container/game_file.h"

namespace insel {
namespace {

// The first start in [position, limit') of `tag`, where limit' follows FindTagForward's rules,
// or limit'; a match may run past limit' but not past the buffer.
std::int64_t PlainSearch(const std::vector<std::uint8_t>& bytes, std::int64_t limit,
                         std::string_view tag, std::int64_t position) {
    const auto length = static_cast<std::int64_t>(bytes.size());
    const std::int64_t end = limit < 0 ? length : (length < limit ? length - 5 : limit);
    for (std::int64_t at = std::max<std::int64_t>(position, 0); at < end; ++at) {
        if (at + static_cast<std::int64_t>(tag.size()) <= length &&
            std::equal(tag.begin(), tag.end(), bytes.begin() + at))
            return at;
    }
    return std::max(position, end);
}

// Random bytes sprinkled with the tags, their prefixes and near misses, some across 64- and
// 128-byte boundaries and one cut off by the end of the data.
std::vector<std::uint8_t> NearMisses(std::size_t size, unsigned seed) {
    std::mt19937 random(seed);
    std::vector<std::uint8_t> bytes(size);
    for (auto& b : bytes)
        b = static_cast<std::uint8_t>(random() % 3 == 0 ? 'A' + random() % 26 : random());
    const std::string pieces[] = {"BIGBROTH",  "INSEL5",  "INSEL4",   "EVENTINSEL5", "NAMENAME",
                                  "BERGWERK2", "FLUESSE", "FLUESS",   "ANBAU",       "ANBA",
                                  "STADT2",    "STADT",   "BIGBROTX", "EVENTINSE",   "ENTRY2"};
    for (int i = 0; i < 400; ++i) {
        const std::string& piece = pieces[random() % std::size(pieces)];
        const std::size_t at = random() % (size - piece.size());
        std::copy(piece.begin(), piece.end(), bytes.begin() + static_cast<std::ptrdiff_t>(at));
    }
    for (std::size_t boundary = 59; boundary + 10 < size; boundary += 64 * 7)
        std::copy_n("FLUESSE", 7, bytes.begin() + static_cast<std::ptrdiff_t>(boundary));
    // Across the stretches in which a file is read (256 KiB).
    for (std::size_t chunk = 1 << 18; chunk + 8 < size; chunk += 1 << 18)
        std::copy_n("BIGBROTH", 8, bytes.begin() + static_cast<std::ptrdiff_t>(chunk - 3));
    std::copy_n("BERGWER", 7, bytes.end() - 7);  // runs out before its last byte
    return bytes;
}

TEST(TagSearch, ListedAndScannedSearchesAgreeWithAPlainSearch) {
    const std::string_view tags[] = {"BIGBROTH", "INSEL5", "EVENTINSEL", "NAME",  "BERGWERK2",
                                     "FLUESSE",  "ANBAU",  "STADT2",     "INSEL", "ENTRY2"};
    GameFileBuffer buffer;
    // A long file, then a shorter one into the same buffer: searches without a limit also see
    // the older file's bytes behind the newer one.
    for (const auto& [size, seed] : {std::pair{600001, 1u}, {70001, 2u}}) {
        const std::vector<std::uint8_t> file = NearMisses(static_cast<std::size_t>(size), seed);
        LoadGameBytes(buffer, file);
        const std::vector<std::uint8_t> whole = buffer.bytes;
        std::mt19937 random(seed);
        for (std::string_view tag : tags) {
            for (int i = 0; i < 300; ++i) {
                const std::int64_t limits[] = {-1, size, size - 3,
                                               static_cast<std::int64_t>(random() % size),
                                               buffer.length() + 9};
                const std::int64_t limit = limits[random() % std::size(limits)];
                const auto from = static_cast<std::int64_t>(random() % whole.size());
                std::int64_t position = from;
                FindTagForward(buffer, limit, tag, position);
                EXPECT_EQ(position, PlainSearch(whole, limit, tag, from))
                    << tag << " from " << from << " limit " << limit;
            }
        }
    }
}

TEST(TagSearch, WideAndScalarSearchesOfAssembledBytesAgree) {
    const std::vector<std::uint8_t> bytes = NearMisses(5000, 3);
    for (std::string_view tag : {"KONTID", "FLUESSE", "BERGWERK2", "NAME"}) {
        for (std::int64_t from = 0; from < 5000; from += 37) {
            std::int64_t position = from;
            FindTagForward(std::span<const std::uint8_t>(bytes), -1, tag, position);
            EXPECT_EQ(position, PlainSearch(bytes, -1, tag, from)) << tag << " from " << from;
        }
    }
}

}  // namespace
}  // namespace insel
