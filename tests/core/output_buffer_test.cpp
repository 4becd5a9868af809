// The growing output array and its write and patch primitives.
#include "core/container/output_buffer.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/errors.h"

namespace insel {
namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes Written(const OutputBuffer& out) { return Bytes(out.data().begin(), out.data().end()); }

TEST(OutputBuffer, GrowsBy5000WhenFewerThan1000BytesAreLeft) {
    OutputBuffer out;
    out.WriteByte(1);
    for (int i = 1; i <= 4000; ++i) out.WriteByte(2);  // the last call starts at position 4000
    EXPECT_EQ(out.length(), 5000);
    out.WriteByte(3);  // starts at 4001: more than 4000 used
    EXPECT_EQ(out.length(), 10000);
    EXPECT_EQ(out.position(), 4002);
}

TEST(OutputBuffer, WritesLittleEndianAndZeroPaddedTags) {
    OutputBuffer out;
    out.WriteWord(0x021F);
    out.WriteDword(0x12345678);
    out.WriteDword(0xFFFFFFFFu);
    out.WriteTag("INFO");
    out.WriteFill(0xAB, 0);
    out.WriteFill(0xAB, 2);
    Bytes expected = {0x1F, 0x02, 0x78, 0x56, 0x34, 0x12, 0xFF, 0xFF, 0xFF, 0xFF, 'I',  'N',
                      'F',  'O',  0,    0,    0,    0,    0,    0,    0,    0,    0xAB, 0xAB};
    EXPECT_EQ(Written(out), expected);
}

TEST(OutputBuffer, PatchedLengthCountsTheBytesAfterTheFieldAndStaysInTheArray) {
    OutputBuffer out;
    out.WriteTag("INFO");
    const std::int64_t length_position = out.position();
    out.WriteString("LLLL");
    out.WriteFill(7, 12);
    const std::int64_t end = out.position();
    out.PatchLength(length_position);
    EXPECT_EQ(out.position(), end) << "a patch never moves the write position";
    EXPECT_EQ(Bytes(out.data().begin() + 12, out.data().begin() + 16), (Bytes{12, 0, 0, 0}));

    // Outside the array a patch is a bounds error.
    EXPECT_THROW(out.PatchDword(1, out.length() - 3), BoundsError);
    EXPECT_THROW(out.PatchWord(1, -1), BoundsError);
    EXPECT_NO_THROW(out.PatchWord(1, out.length() - 2));
    EXPECT_EQ(out.length(), 5000) << "a patch never grows the array";
}

TEST(OutputBuffer, SecondAssemblyHoldsOnlyItsOwnBytes) {
    OutputBuffer out;
    out.WriteFill(0x11, 3000);
    out.Reset();
    out.WriteString("KELM");
    EXPECT_EQ(Written(out), (Bytes{'K', 'E', 'L', 'M'}));
    EXPECT_GE(out.length(), 3000);
}

TEST(OutputBuffer, WriteLargerThanTheReserveStillFits) {
    OutputBuffer out;
    const std::string text(7000, 'x');
    out.WriteString(text);
    out.WriteFill(0, 9000);
    ASSERT_EQ(out.position(), 16000);
    EXPECT_EQ(out.data()[6999], 'x');
    EXPECT_EQ(out.data()[15999], 0);
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

}  // namespace
}  // namespace insel
