#include "settings/KeyCheck.h"

#include <gtest/gtest.h>

#include <optional>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

namespace {

const std::string kHex64Message = "64-bit WEP keys must consist of a sequence of 10 hex digits.";
const std::string kHex128Message = "128-bit WEP keys must consist of a sequence of 26 hex digits.";
const std::string kAscii64Message = "64-bit WEP passwords must consist of a sequence of 5 characters.";
const std::string kAscii128Message = "128-bit WEP passwords must consist of a sequence of 13 characters.";
const std::string kPass;  // no message

const std::string kBullet = "\xe2\x80\xa2";  // the mask character

std::string repeated(const std::string& text, int times) {
    std::string out;
    for (int i = 0; i < times; ++i) out += text;
    return out;
}

struct CheckCase {
    const char* name;
    std::optional<int> position;
    std::string key;
    std::string message;  // empty: passes
};

void PrintTo(const CheckCase& row, std::ostream* out) { *out << row.name; }

const std::vector<CheckCase> kCheckCases = {
    // Position 3, "hex64": counted length 10
    {"Hex64TenDigits", 3, "0123456789", kPass},
    {"Hex64BehindDollar", 3, "$0123456789", kPass},
    {"Hex64BehindZeroX", 3, "0x0123456789", kPass},
    {"Hex64BehindUpperZeroX", 3, "0X0123456789", kHex64Message},
    {"Hex64DollarZeroXCountsZeroX", 3, "$0x01234567", kPass},
    {"Hex64TenNonDigits", 3, "ghijklmnop", kPass},
    {"Hex64NineDigits", 3, "012345678", kHex64Message},
    {"Hex64ElevenDigits", 3, "0123456789a", kHex64Message},
    {"Hex64Empty", 3, "", kHex64Message},
    {"Hex64TenEightBitCharacters", 3, repeated("\xc3\xa9", 10), kPass},
    {"Hex64MaskOfTen", 3, repeated(kBullet, 10), kPass},
    {"Hex64MaskOfTwentySix", 3, repeated(kBullet, 26), kHex64Message},
    // Position 4, "hex128": counted length 26
    {"Hex128TwentySix", 4, repeated("ab", 13), kPass},
    {"Hex128TwentyFive", 4, std::string(25, 'a'), kHex128Message},
    {"Hex128TwentySeven", 4, std::string(27, 'a'), kHex128Message},
    {"Hex128MaskOfTwentySix", 4, repeated(kBullet, 26), kPass},
    {"Hex128CountsOnlyFirst63Bytes", 4, std::string(70, 'a'), kHex128Message},
    // Position 5, "ascii64": 5 characters
    {"Ascii64Five", 5, "abcde", kPass},
    {"Ascii64Four", 5, "abcd", kAscii64Message},
    {"Ascii64Six", 5, "abcdef", kAscii64Message},
    {"Ascii64Empty", 5, "", kAscii64Message},
    {"Ascii64FiveCharactersSixBytes", 5, "Caf\xc3\xa9!", kPass},
    {"Ascii64PrefixCounts", 5, "$abcd", kPass},
    // Position 6, "ascii128": 13 characters
    {"Ascii128Thirteen", 6, "abcdefghijklm", kPass},
    {"Ascii128Twelve", 6, "abcdefghijkl", kAscii128Message},
    {"Ascii128Fourteen", 6, "abcdefghijklmn", kAscii128Message},
    // Positions 0, 1, 2 and no selection: always pass
    {"NoneEmpty", 0, "", kPass},
    {"NoneAnyText", 0, "xyz", kPass},
    {"PasswordEmpty", 1, "", kPass},
    {"Password128Long", 2, std::string(40, 'p'), kPass},
    {"NoSelection", std::nullopt, "abc", kPass},
};

class SettingsKeyCheck : public testing::TestWithParam<CheckCase> {};

TEST_P(SettingsKeyCheck, PassesOrNamesTheRule) {
    const CheckCase& row = GetParam();
    std::optional<std::string_view> message = checkPreferredKey(row.position, row.key);
    if (row.message.empty()) {
        EXPECT_FALSE(message) << *message;
    } else {
        ASSERT_TRUE(message);
        EXPECT_EQ(*message, row.message);
    }
}

INSTANTIATE_TEST_SUITE_P(Keys, SettingsKeyCheck, testing::ValuesIn(kCheckCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(SettingsKeyCheckAlert, TitleAndButton) {
    EXPECT_EQ(kInvalidKeyAlertTitle, "Invalid WEP Keys");
    EXPECT_EQ(kInvalidKeyAlertButton, "OK");
}

}  // namespace
