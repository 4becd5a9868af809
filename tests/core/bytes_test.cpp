// Byte-level pieces: the tag searches against a plain byte-by-byte search, the growing output
// array, Windows-1252 text and the hexadecimal key notation.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <string_view>
#include <tuple>
#include <vector>

#include "core/app/key_notation.h"
#include "core/container/cp1252.h"
#include "core/container/game_file.h"
#include "core/container/output_buffer.h"
#include "core/errors.h"

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

TEST(TagSearch, ListedScannedAndWideSearchesAgreeWithAPlainSearch) {
    const std::string_view tags[] = {"BIGBROTH",  "INSEL5",  "EVENTINSEL", "NAME",
                                     "BERGWERK2", "FLUESSE", "ANBAU",      "STADT2",
                                     "INSEL",     "ENTRY2",  "KONTID"};
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
                // Assembled bytes have no occurrence lists: the wide compares alone.
                position = from;
                FindTagForward(std::span<const std::uint8_t>(file), -1, tag, position);
                EXPECT_EQ(position, PlainSearch(file, -1, tag, from))
                    << tag << " from " << from << " in the assembled bytes";
            }
        }
    }
}

using Bytes = std::vector<std::uint8_t>;

TEST(OutputBuffer, GrowsBy5000WhenFewerThan1000BytesLeftPatchesStayInsideResetForgets) {
    OutputBuffer out;
    out.WriteByte(1);
    for (int i = 1; i <= 4000; ++i) out.WriteByte(2);  // the last call starts at position 4000
    EXPECT_EQ(out.length(), 5000);
    out.WriteByte(3);  // starts at 4001: more than 4000 used
    EXPECT_EQ(std::tuple(out.length(), out.position()), std::tuple(10000, 4002));
    out.WriteString(std::string(7000, 'x'));
    out.WriteFill(0, 9000);
    ASSERT_EQ(out.position(), 20002);
    EXPECT_EQ(std::tuple(out.data()[11001], out.data()[20001]), std::tuple('x', 0));
    // A second assembly holds only its own bytes.
    out.Reset();
    out.WriteString("KELM");
    EXPECT_EQ(Bytes(out.data().begin(), out.data().end()), (Bytes{'K', 'E', 'L', 'M'}));
    EXPECT_GE(out.length(), 20002);
    // A patched length counts the bytes after the field.
    out.Reset();
    out.WriteTag("INFO");
    const std::int64_t length_position = out.position();
    out.WriteString("LLLL");
    out.WriteFill(7, 12);
    const std::int64_t end = out.position();
    const std::int64_t length = out.length();
    out.PatchLength(length_position);
    EXPECT_EQ(out.position(), end) << "a patch never moves the write position";
    EXPECT_EQ(Bytes(out.data().begin() + 12, out.data().begin() + 16), (Bytes{12, 0, 0, 0}));
    // Outside the array a patch is a bounds error.
    EXPECT_THROW(out.PatchDword(1, out.length() - 3), BoundsError);
    EXPECT_THROW(out.PatchWord(1, -1), BoundsError);
    EXPECT_NO_THROW(out.PatchWord(1, out.length() - 2));
    EXPECT_EQ(out.length(), length) << "a patch never grows the array";
}

TEST(CheckedNarrow, RejectsValuesOutsideTheField) {
    EXPECT_EQ(CheckedNarrow<std::uint8_t>(255, "climate"), 255);
    EXPECT_THROW(CheckedNarrow<std::uint16_t>(-1, "width"), OverflowError);
    try {
        CheckedNarrow<std::uint16_t>(70000, "the packed object id");
        FAIL();
    } catch (const OverflowError& e) {
        EXPECT_NE(std::string(e.what()).find("packed object id"), std::string::npos) << e.what();
    }
}

TEST(Cp1252, UmlautsAndEuroRoundTripOthersBecomeQuestionMarks) {
    const std::string cp1252 = "Kr\xC4uter \xD6l \xDC\xE4\xF6\xFC\xDF \x80";
    const std::string utf8 = Cp1252ToUtf8(cp1252);
    EXPECT_EQ(utf8, "Kr\u00C4uter \u00D6l \u00DC\u00E4\u00F6\u00FC\u00DF \u20AC");
    EXPECT_EQ(std::tuple(IsValidUtf8(utf8), IsValidUtf8("\xC4uter"), Utf8ToCp1252(utf8)),
              std::tuple(true, false, cp1252));
    EXPECT_EQ(Utf8ToCp1252("a\u0416b"), "a?b");  // Cyrillic Zhe
}

// Values show the most significant byte first, typed keys the low byte first.
TEST(KeyNotation, ValuesAndTypedKeys) {
    // clang-format off
    for (const auto& [value, text] : {std::pair<std::int64_t, const char*>{0, "00"}, {0x2A, "2A"},
             {255, "FF"}, {256, "01 00"}, {0x1234, "12 34"}, {0x12345, "01 23 45"}, {-5, "00"}})
        EXPECT_EQ(ValueToHex(value), text);
    for (const auto& [bytes, text, value] : {std::tuple<int, const char*, std::int64_t>{1, "a", 10},
             {1, "7", 7}, {1, "ff", 255}, {2, "0102", 0x0201}, {2, "ABCD", 0xCDAB}, {2, "1f02", 0x021F}})
        EXPECT_EQ(HexToValue(bytes, text), value) << text;
    // clang-format on
}

}  // namespace
}  // namespace insel
