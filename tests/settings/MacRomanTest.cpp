#include "platform/MacRoman.h"

#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

namespace {

// Expected bytes from Apple's Mac OS Roman table (and `iconv -t MACINTOSH`).
struct TextCase {
    const char* name;
    std::string utf8;
    std::string macRoman;
    std::size_t characters;
};

void PrintTo(const TextCase& row, std::ostream* out) { *out << row.name; }

const std::vector<TextCase> kTextCases = {
    {"Empty", "", "", 0},
    {"Ascii", "Home Net 42", "Home Net 42", 11},
    {"Accents", "Caf\xc3\xa9 M\xc3\xbcller", "Caf\x8e M\x9fller", 11},
    {"EuroSign", "\xe2\x82\xac", "\xdb", 1},
    {"BulletMask", "\xe2\x80\xa2\xe2\x80\xa2", "\xa5\xa5", 2},
    {"NotInMacRoman", "a\xe2\x9c\x93" "b", "a?b", 3},           // U+2713 CHECK MARK
    {"OutsideBasicPlane", "\xf0\x9f\x98\x80", "?", 1},          // U+1F600
    {"InvalidByte", "a\xff" "b", "a?b", 3},
    {"TruncatedSequence", "ab\xc3", "ab?", 3},
    {"OverlongSlash", "\xc0\xaf", "??", 2},
    {"Surrogate", "\xed\xa0\x80", "???", 3},
    {"LoneContinuation", "\x80x", "?x", 2},
};

class PlatformMacRoman : public testing::TestWithParam<TextCase> {};

TEST_P(PlatformMacRoman, ConvertsOneBytePerCharacter) {
    const TextCase& row = GetParam();
    EXPECT_EQ(platform::toMacRoman(row.utf8), row.macRoman);
    EXPECT_EQ(platform::characterCount(row.utf8), row.characters);
}

INSTANTIATE_TEST_SUITE_P(Texts, PlatformMacRoman, testing::ValuesIn(kTextCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(PlatformMacRomanBack, KnownBytesBecomeTheirCharacters) {
    EXPECT_EQ(platform::fromMacRoman("Caf\x8e"), "Caf\xc3\xa9");
    EXPECT_EQ(platform::fromMacRoman("\xdb\xa5"), "\xe2\x82\xac\xe2\x80\xa2");
    EXPECT_EQ(platform::fromMacRoman(std::string("a\0b", 3)), std::string("a\0b", 3));
}

TEST(PlatformMacRomanBack, EveryByteRoundTrips) {
    for (int value = 0; value < 256; ++value) {
        std::string byte(1, static_cast<char>(value));
        std::string text = platform::fromMacRoman(byte);
        EXPECT_EQ(platform::characterCount(text), 1u) << value;
        EXPECT_EQ(platform::toMacRoman(text), byte) << value;
    }
}

}  // namespace
