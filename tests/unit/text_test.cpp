// The Windows-1252 conversions every file of the program goes through.
#include <gtest/gtest.h>

#include "base/text.h"

namespace bsms {
namespace {

TEST(Cp1252, EveryByteSurvivesTheRoundTripAndNothingElsePassesForOne) {
    for (int b = 0; b < 256; ++b) {
        const std::string byte(1, static_cast<char>(b));
        EXPECT_EQ(Utf8ToCp1252(Cp1252ToUtf8(byte)), byte) << b;
    }
    // A C1 control whose byte Windows-1252 gives to a letter has no byte of its own: "\x8A" is
    // "Š", so U+008A must not be written as it.
    EXPECT_FALSE(InCp1252(0x8A));
    EXPECT_EQ(Utf8ToCp1252("\xC2\x8A"), "?");
    EXPECT_TRUE(InCp1252(0x81));  // one of the five bytes that stand for themselves
    EXPECT_TRUE(InCp1252(0x160));
}

// Counts and locations are 16-bit: a number too long even for a double is held at the bound.
TEST(LeadingInt16, HoldsAnyNumberAtTheNearestBound) {
    const std::string nines(400, '9');
    EXPECT_EQ(LeadingInt16(nines), 32767);
    EXPECT_EQ(LeadingInt16("-" + nines), -32768);
}

}  // namespace
}  // namespace bsms
