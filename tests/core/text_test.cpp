// Windows-1252 conversion and the hexadecimal key notation.
#include <gtest/gtest.h>

#include <string>

#include "core/app/key_notation.h"
#include "core/container/cp1252.h"

namespace insel {
namespace {

TEST(Cp1252, UmlautsAndEuroRoundTrip) {
    const std::string cp1252 = "Kr\xC4uter \xD6l \xDC\xE4\xF6\xFC\xDF \x80";
    const std::string utf8 = Cp1252ToUtf8(cp1252);
    EXPECT_EQ(utf8, "Kr\u00C4uter \u00D6l \u00DC\u00E4\u00F6\u00FC\u00DF \u20AC");
    EXPECT_TRUE(IsValidUtf8(utf8));
    EXPECT_EQ(Utf8ToCp1252(utf8), cp1252);
}

TEST(Cp1252, CharactersWithoutAWindows1252FormBecomeQuestionMarks) {
    EXPECT_EQ(Utf8ToCp1252("a\u0416b"), "a?b");  // Cyrillic Zhe
    EXPECT_FALSE(IsValidUtf8("\xC4uter"));
}

struct HexCase {
    std::int64_t value;
    const char* text;
};

class ValueToHexTest : public ::testing::TestWithParam<HexCase> {};

TEST_P(ValueToHexTest, MostSignificantByteFirst) {
    EXPECT_EQ(ValueToHex(GetParam().value), GetParam().text);
}

INSTANTIATE_TEST_SUITE_P(Values, ValueToHexTest,
                         ::testing::Values(HexCase{0, "00"}, HexCase{0x2A, "2A"},
                                           HexCase{255, "FF"}, HexCase{256, "01 00"},
                                           HexCase{0x1234, "12 34"}, HexCase{0x12345, "01 23 45"},
                                           HexCase{-5, "00"}));

struct TypedKey {
    int bytes;
    const char* text;
    std::int64_t value;
};

class HexToValueTest : public ::testing::TestWithParam<TypedKey> {};

TEST_P(HexToValueTest, FirstDigitPairIsTheLowByte) {
    EXPECT_EQ(HexToValue(GetParam().bytes, GetParam().text), GetParam().value);
}

INSTANTIATE_TEST_SUITE_P(Keys, HexToValueTest,
                         ::testing::Values(TypedKey{1, "a", 10}, TypedKey{1, "7", 7},
                                           TypedKey{1, "ff", 255}, TypedKey{2, "0102", 0x0201},
                                           TypedKey{2, "ABCD", 0xCDAB},
                                           TypedKey{2, "1f02", 0x021F}));

}  // namespace
}  // namespace insel
