#include "settings/KeyEncoding.h"
#include "settings/KeyTypes.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <limits>
#include <ostream>
#include <string>
#include <vector>

namespace {

using Slot = std::array<uint8_t, 16>;

constexpr uint8_t kJunk = 0x5A;

Slot junkSlot() {
    Slot slot;
    slot.fill(kJunk);
    return slot;
}

Slot junkSlotStartingWith(std::vector<uint8_t> start) {
    Slot slot = junkSlot();
    std::copy(start.begin(), start.end(), slot.begin());
    return slot;
}

// ------------------------------------------------------------ key types

struct TypeCase {
    const char* name;
    int position;
    uint8_t keyLength;
    KeyEncoding encoding;
};

void PrintTo(const TypeCase& row, std::ostream* out) { *out << row.name; }

class SettingsKeyTypes : public testing::TestWithParam<TypeCase> {};

TEST_P(SettingsKeyTypes, FoundByNameAndPosition) {
    const TypeCase& row = GetParam();
    const KeyType* type = keyTypeNamed(row.name);
    ASSERT_NE(type, nullptr);
    EXPECT_EQ(type->name, row.name);
    EXPECT_EQ(type->popupPosition, row.position);
    EXPECT_EQ(type->keyLength, row.keyLength);
    EXPECT_EQ(type->encoding, row.encoding);
    EXPECT_EQ(keyTypeAtPosition(row.position), type);
}

INSTANTIATE_TEST_SUITE_P(
    Table, SettingsKeyTypes,
    testing::Values(TypeCase{"password", 1, 5, KeyEncoding::PasswordTransformation},
                    TypeCase{"password128", 2, 13, KeyEncoding::PasswordTransformation},
                    TypeCase{"hex64", 3, 5, KeyEncoding::HexParse},
                    TypeCase{"hex128", 4, 13, KeyEncoding::HexParse},
                    TypeCase{"ascii64", 5, 5, KeyEncoding::TextCopy},
                    TypeCase{"ascii128", 6, 13, KeyEncoding::TextCopy}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(SettingsKeyTypesOutside, NoneAndOtherNamesAreNoKeyType) {
    for (const char* name : {"none", "HEX64", "Password", "hex", "", "ascii64 "}) {
        EXPECT_EQ(keyTypeNamed(name), nullptr) << name;
    }
    for (int position : {-1, 0, 7}) {
        EXPECT_EQ(keyTypeAtPosition(position), nullptr) << position;
    }
}

// ------------------------------------------------------------ text copy

struct CopyCase {
    const char* name;
    std::string bytes;
    uint8_t keyLength;
    Slot expected;
};

void PrintTo(const CopyCase& row, std::ostream* out) { *out << row.name; }

class SettingsCopyTextKey : public testing::TestWithParam<CopyCase> {};

TEST_P(SettingsCopyTextKey, FillsExactlyKeyLengthBytes) {
    Slot slot = junkSlot();
    copyTextKey(GetParam().bytes, slot.data(), GetParam().keyLength);
    EXPECT_EQ(slot, GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Texts, SettingsCopyTextKey,
    testing::Values(
        CopyCase{"ShortTextPadded", "abc", 5, junkSlotStartingWith({'a', 'b', 'c', 0, 0})},
        CopyCase{"ExactText", "abcde", 5, junkSlotStartingWith({'a', 'b', 'c', 'd', 'e'})},
        CopyCase{"LongTextCut", "abcdefgh", 5, junkSlotStartingWith({'a', 'b', 'c', 'd', 'e'})},
        CopyCase{"Long128", "0123456789abcdefXYZ", 13,
                 junkSlotStartingWith({'0', '1', '2', '3', '4', '5', '6', '7', '8', '9', 'a', 'b', 'c'})},
        CopyCase{"EmptyText", "", 13, junkSlotStartingWith(std::vector<uint8_t>(13, 0))},
        CopyCase{"LengthZeroTouchesNothing", "abc", 0, junkSlot()},
        CopyCase{"LengthCappedAtSlot", "abc", 200, junkSlotStartingWith(std::vector<uint8_t>{
                                                       'a', 'b', 'c', 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0})}),
    [](const auto& info) { return std::string(info.param.name); });

// ------------------------------------------------------- hex key scratch

TEST(SettingsHexKeyScratch, EightBitFormCutTo63Bytes) {
    std::string seventy(70, '7');
    std::array<char, 64> scratch = hexKeyScratch(seventy);
    EXPECT_EQ(std::string(scratch.data()), std::string(63, '7'));
    EXPECT_EQ(scratch[63], '\0');

    std::array<char, 64> accented = hexKeyScratch("$Caf\xc3\xa9");
    EXPECT_EQ(std::string(accented.data()), "$Caf\x8e");
}

// -------------------------------------------------- password transformation

struct TransformCase {
    const char* name;
    uint8_t keyLengthNow;
    Slot expected;
};

void PrintTo(const TransformCase& row, std::ostream* out) { *out << row.name; }

// "secret": the 13-byte key from `openssl md5` of the password repeated to
// 64 bytes, the 5-byte key from the separate python3 script (see
// WirelessEncryptTest.cpp).
const std::vector<uint8_t> kSecret104 = {0x1c, 0x06, 0x49, 0x22, 0x04, 0x6d, 0x65,
                                         0x17, 0xdf, 0xef, 0x3b, 0x7e, 0xf3};
const std::vector<uint8_t> kSecret40 = {0xc9, 0x3c, 0xa3, 0x1e, 0xca};

class SettingsTransformPassword : public testing::TestWithParam<TransformCase> {};

TEST_P(SettingsTransformPassword, FlagFollowsKeyLength) {
    Slot slot = junkSlot();
    transformPassword("secret", slot.data(), GetParam().keyLengthNow);
    EXPECT_EQ(slot, GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Lengths, SettingsTransformPassword,
                         testing::Values(TransformCase{"Length13", 13, junkSlotStartingWith(kSecret104)},
                                         TransformCase{"Length6", 6, junkSlotStartingWith(kSecret104)},
                                         TransformCase{"Length5", 5, junkSlotStartingWith(kSecret40)},
                                         TransformCase{"Length0", 0, junkSlotStartingWith(kSecret40)}),
                         [](const auto& info) { return std::string(info.param.name); });

// ------------------------------------------------------- decimal value

struct DecimalCase {
    const char* name;
    std::string text;
    int32_t value;
};

void PrintTo(const DecimalCase& row, std::ostream* out) { *out << row.name; }

class SettingsDecimalValue : public testing::TestWithParam<DecimalCase> {};

TEST_P(SettingsDecimalValue, ReadsLikeAtoi) {
    EXPECT_EQ(decimalValue(GetParam().text), GetParam().value);
}

INSTANTIATE_TEST_SUITE_P(
    Texts, SettingsDecimalValue,
    testing::Values(DecimalCase{"Three", "3", 3}, DecimalCase{"LeadingSpace", " \t\n4", 4},
                    DecimalCase{"PlusSign", "+2", 2}, DecimalCase{"MinusSign", "-2", -2},
                    DecimalCase{"TrailingText", "3rd key", 3}, DecimalCase{"NoDigits", "abc", 0},
                    DecimalCase{"Empty", "", 0}, DecimalCase{"SignOnly", "-", 0},
                    DecimalCase{"SpaceAfterSign", "- 3", 0}, DecimalCase{"LeadingZeros", "0004", 4},
                    DecimalCase{"DigitsAfter63Characters", std::string(63, ' ') + "7", 0},
                    DecimalCase{"DigitAt63rdCharacter", std::string(62, ' ') + "78", 7},
                    DecimalCase{"ClampedHigh", "99999999999", std::numeric_limits<int32_t>::max()},
                    DecimalCase{"ClampedLow", "-99999999999", std::numeric_limits<int32_t>::min()},
                    DecimalCase{"Int32Min", "-2147483648", std::numeric_limits<int32_t>::min()}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
