#include "settings/RecordMapping.h"

#include "platform/PropertyList.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <ostream>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

namespace {

using Bytes = std::vector<uint8_t>;
using Entries = std::vector<std::pair<std::string, std::string>>;
using Edit = void (*)(PrismPrefsRecord&);

// The record as a driver delivers it: a driver word, driver bits in flags,
// a network name with junk behind its terminator, and junk in every slot.
PrismPrefsRecord driverRecord() {
    PrismPrefsRecord record;
    std::memset(&record, 0xCC, sizeof record);
    record.driverWord = 0xBEEF;
    record.flags = 0xA5A5;  // bit 0 set: short preamble
    std::memcpy(record.ssid, "OldNet", 7);
    record.portType = 4;
    record.wepEnabled = 0;
    record.txKeyIndex = 3;
    record.keyLength[0] = 13;
    record.keyLength[1] = 7;
    record.keyLength[2] = 9;
    record.keyLength[3] = 11;
    for (int slot = 0; slot < 4; ++slot) {
        for (int i = 0; i < 16; ++i) record.key[slot][i] = static_cast<uint8_t>(0x80 + slot * 0x10 + i);
    }
    return record;
}

// --- hand-written changes for the expected records

void putBytes(uint8_t* field, const Bytes& bytes) { std::copy(bytes.begin(), bytes.end(), field); }

void putName(PrismPrefsRecord& r, const std::string& bytes) {
    std::memset(r.ssid, 0, sizeof r.ssid);
    std::memcpy(r.ssid, bytes.data(), bytes.size());
}

// What every mapped record gets when neither switch is on.
void infrastructureLongPreamble(PrismPrefsRecord& r) {
    r.portType = 1;
    r.flags = 0xA5A4;
}

void anyNetwork(PrismPrefsRecord& r) {
    r.ssid[0] = 0;
    infrastructureLongPreamble(r);
}

void keyType(PrismPrefsRecord& r, uint8_t length) {
    r.keyLength[0] = length;
    r.wepEnabled = 1;
    r.txKeyIndex = 0;
}

// Hex keys zero the whole slot before the bytes go in.
void hexSlot(PrismPrefsRecord& r, int slot, const Bytes& bytes) {
    std::memset(r.key[slot], 0, 16);
    putBytes(r.key[slot], bytes);
}

const Bytes kHex26 = {0x01, 0x23, 0x45, 0x67, 0x89, 0xab, 0xcd, 0xef, 0x01, 0x23, 0x45, 0x67, 0x89};
const std::string kDigits26 = "0123456789abcdef0123456789";

// Computed with openssl md5 over the password repeated to 64 bytes, and with
// a separate python3 script for the 5-byte form (see WirelessEncryptTest.cpp).
const Bytes kSecret104 = {0x1c, 0x06, 0x49, 0x22, 0x04, 0x6d, 0x65, 0x17, 0xdf, 0xef, 0x3b, 0x7e, 0xf3};
const Bytes kSecret40 = {0xc9, 0x3c, 0xa3, 0x1e, 0xca};
//   python3 -c "import sys; sys.stdout.buffer.write((b'0123456789'*64)[:64])" |
//     openssl md5 -binary | head -c 13 | od -An -tx1
const Bytes kDigitsPassword104 = {0x7f, 0x7b, 0xfd, 0x34, 0x87, 0x09, 0xde, 0xea, 0xac, 0xe1, 0x9e, 0x3f, 0x53};

struct MappingCase {
    const char* name;
    Entries settings;
    Edit driver;  // changes to the delivered record before mapping, or none
    Edit expect;  // the expected changes, written by hand
};

void PrintTo(const MappingCase& row, std::ostream* out) { *out << row.name; }

Edit noChange = [](PrismPrefsRecord&) {};

const std::vector<MappingCase> kMappingCases = {
    // Gate
    {"NoSettings", {}, nullptr, noChange},
    {"NoDesiredSSIDMapsNothing",
     {{"IBSSmode", "NO"}, {"ShortPreamble", "NO"}, {"WEPKeyType", "hex64"}, {"WEPKeyValue", "0123456789"},
      {"WEPMultipleKeys", "YES"}, {"WEPKey1", "0123456789"}, {"WEPTxKey", "2"}},
     nullptr, noChange},
    {"NoDesiredSSIDKeepsPortType", {{"IBSSmode", "YES"}}, [](PrismPrefsRecord& r) { r.portType = 1; },
     noChange},

    // Network
    {"AnyNetworkKeepsNameTail", {{"DesiredSSID", "ANY"}}, nullptr, anyNetwork},
    {"NetworkName", {{"DesiredSSID", "Home"}}, nullptr,
     [](PrismPrefsRecord& r) {
         putName(r, "Home");
         infrastructureLongPreamble(r);
     }},
    {"EmptyNameIsANetworkName", {{"DesiredSSID", ""}}, nullptr,
     [](PrismPrefsRecord& r) {
         putName(r, "");
         infrastructureLongPreamble(r);
     }},
    {"LowerCaseAnyIsANetworkName", {{"DesiredSSID", "any"}}, nullptr,
     [](PrismPrefsRecord& r) {
         putName(r, "any");
         infrastructureLongPreamble(r);
     }},
    {"NameOf70CharactersCutTo63", {{"DesiredSSID", std::string(70, 'N')}}, nullptr,
     [](PrismPrefsRecord& r) {
         putName(r, std::string(63, 'N'));
         infrastructureLongPreamble(r);
     }},
    {"NameInMacRoman", {{"DesiredSSID", "Caf\xc3\xa9 \xe2\x9c\x93"}}, nullptr,
     [](PrismPrefsRecord& r) {
         putName(r, "Caf\x8e ?");
         infrastructureLongPreamble(r);
     }},

    // Key types and the preferred key
    {"AnyNetworkHex128",
     {{"DesiredSSID", "ANY"}, {"WEPKeyType", "hex128"}, {"WEPKeyValue", kDigits26}}, nullptr,
     [](PrismPrefsRecord& r) {
         anyNetwork(r);
         keyType(r, 13);
         hexSlot(r, 0, kHex26);
     }},
    {"Hex64With26DigitsKeepsLength5",
     {{"DesiredSSID", "ANY"}, {"WEPKeyType", "hex64"}, {"WEPKeyValue", kDigits26}}, nullptr,
     [](PrismPrefsRecord& r) {
         anyNetwork(r);
         keyType(r, 5);
         hexSlot(r, 0, kHex26);
     }},
    {"Hex64BehindDollarAndZeroX",
     {{"DesiredSSID", "ANY"}, {"WEPKeyType", "hex64"}, {"WEPKeyValue", "$0xA1b2C3d4E5"}}, nullptr,
     [](PrismPrefsRecord& r) {
         anyNetwork(r);
         keyType(r, 5);
         hexSlot(r, 0, {0xa1, 0xb2, 0xc3, 0xd4, 0xe5});
     }},
    {"Ascii64ThreeCharacters",
     {{"DesiredSSID", "ANY"}, {"WEPKeyType", "ascii64"}, {"WEPKeyValue", "abc"}}, nullptr,
     [](PrismPrefsRecord& r) {
         anyNetwork(r);
         keyType(r, 5);
         putBytes(r.key[0], {'a', 'b', 'c', 0, 0});
     }},
    {"Ascii128LongTextCutInMacRoman",
     {{"DesiredSSID", "ANY"}, {"WEPKeyType", "ascii128"}, {"WEPKeyValue", "Caf\xc3\xa9 au lait!!"}}, nullptr,
     [](PrismPrefsRecord& r) {
         anyNetwork(r);
         keyType(r, 13);
         putBytes(r.key[0], {'C', 'a', 'f', 0x8e, ' ', 'a', 'u', ' ', 'l', 'a', 'i', 't', '!'});
     }},
    {"Password64", {{"DesiredSSID", "ANY"}, {"WEPKeyType", "password"}, {"WEPKeyValue", "secret"}}, nullptr,
     [](PrismPrefsRecord& r) {
         anyNetwork(r);
         keyType(r, 5);
         putBytes(r.key[0], kSecret40);
     }},
    {"Password128", {{"DesiredSSID", "ANY"}, {"WEPKeyType", "password128"}, {"WEPKeyValue", "secret"}},
     [](PrismPrefsRecord& r) { r.keyLength[0] = 5; },
     [](PrismPrefsRecord& r) {
         anyNetwork(r);
         keyType(r, 13);
         putBytes(r.key[0], kSecret104);
     }},
    {"KeyTypeNoneReadsPasswordAtDriversLength13",
     {{"DesiredSSID", "ANY"}, {"WEPKeyType", "none"}, {"WEPKeyValue", "secret"}}, nullptr,
     [](PrismPrefsRecord& r) {
         anyNetwork(r);
         putBytes(r.key[0], kSecret104);
     }},
    {"KeyTypeMissingReadsPasswordAtDriversLength5", {{"DesiredSSID", "ANY"}, {"WEPKeyValue", "secret"}},
     [](PrismPrefsRecord& r) { r.keyLength[0] = 5; },
     [](PrismPrefsRecord& r) {
         anyNetwork(r);
         putBytes(r.key[0], kSecret40);
     }},
    {"KeyTypeInOtherCaseIsNoKeyType",
     {{"DesiredSSID", "ANY"}, {"WEPKeyType", "HEX64"}, {"WEPKeyValue", "0123456789"}}, nullptr,
     [](PrismPrefsRecord& r) {
         anyNetwork(r);
         putBytes(r.key[0], kDigitsPassword104);
     }},
    {"KeyValueMissingLeavesSlot0", {{"DesiredSSID", "ANY"}, {"WEPKeyType", "hex64"}}, nullptr,
     [](PrismPrefsRecord& r) {
         anyNetwork(r);
         keyType(r, 5);
     }},
    {"FileWrittenByPaneWithoutEncryption",
     {{"DesiredSSID", "ANY"}, {"IBSSmode", "NO"}, {"ShortPreamble", "YES"}, {"RememberMostRecentSSID", "NO"},
      {"StoreWEPKeysInKeychain", "NO"}, {"WEPKeyType", "none"}, {"WEPKeyValue", ""},
      {"WEPMultipleKeys", "NO"}},
     [](PrismPrefsRecord& r) { r.flags = 0xA5A4; },
     [](PrismPrefsRecord& r) {
         r.ssid[0] = 0;
         r.portType = 1;
         r.flags = 0xA5A5;
         putBytes(r.key[0], Bytes(13, 0));  // the empty password at the driver's length 13
     }},

    // Switches
    {"AdHoc", {{"DesiredSSID", "ANY"}, {"IBSSmode", "YES"}}, [](PrismPrefsRecord& r) { r.portType = 1; },
     [](PrismPrefsRecord& r) {
         r.ssid[0] = 0;
         r.portType = 4;
         r.flags = 0xA5A4;
     }},
    {"AdHocInOtherCaseIsOff", {{"DesiredSSID", "ANY"}, {"IBSSmode", "yes"}}, nullptr, anyNetwork},
    {"ShortPreamble", {{"DesiredSSID", "ANY"}, {"ShortPreamble", "YES"}},
     [](PrismPrefsRecord& r) { r.flags = 0x5A5A; },
     [](PrismPrefsRecord& r) {
         r.ssid[0] = 0;
         r.portType = 1;
         r.flags = 0x5A5B;
     }},
    {"ShortPreambleOtherTextClearsBit0", {{"DesiredSSID", "ANY"}, {"ShortPreamble", "Yes"}}, nullptr, anyNetwork},

    // Multiple keys
    {"MultipleKeysWithKey2MissingAndTxKey3",
     {{"DesiredSSID", "ANY"}, {"WEPKeyType", "hex128"}, {"WEPKeyValue", kDigits26}, {"WEPMultipleKeys", "YES"},
      {"WEPKey1", "0a0b0c0d0e"}, {"WEPKey3", "$0x00112233445566778899aabbccddeeff0102"},
      {"WEPKey4", "ABC"}, {"WEPTxKey", "3"}},
     nullptr,
     [](PrismPrefsRecord& r) {
         anyNetwork(r);
         r.wepEnabled = 1;
         hexSlot(r, 0, {0x0a, 0x0b, 0x0c, 0x0d, 0x0e});
         hexSlot(r, 1, {});
         hexSlot(r, 2, {0x00, 0x11, 0x22, 0x33, 0x44, 0x55, 0x66, 0x77, 0x88, 0x99, 0xaa, 0xbb, 0xcc, 0xdd,
                        0xee, 0xff});
         hexSlot(r, 3, {0xab});
         r.keyLength[0] = 5;
         r.keyLength[1] = 0;
         r.keyLength[2] = 16;
         r.keyLength[3] = 1;
         r.txKeyIndex = 2;
     }},
    {"MultipleKeysAllMissingKeepDriversTxKey", {{"DesiredSSID", "ANY"}, {"WEPMultipleKeys", "YES"}}, nullptr,
     [](PrismPrefsRecord& r) {
         anyNetwork(r);
         r.wepEnabled = 1;
         for (int slot = 0; slot < 4; ++slot) {
             hexSlot(r, slot, {});
             r.keyLength[slot] = 0;
         }
     }},
    {"MultipleKeysTxKeyMissingAfterKeyType",
     {{"DesiredSSID", "ANY"}, {"WEPKeyType", "hex64"}, {"WEPMultipleKeys", "YES"}, {"WEPKey2", "zz12"}},
     nullptr,
     [](PrismPrefsRecord& r) {
         anyNetwork(r);
         keyType(r, 5);
         hexSlot(r, 0, {});
         hexSlot(r, 1, {0x00, 0x12});
         hexSlot(r, 2, {});
         hexSlot(r, 3, {});
         r.keyLength[0] = 0;
         r.keyLength[1] = 2;
         r.keyLength[2] = 0;
         r.keyLength[3] = 0;
     }},
    {"MultipleKeysInOtherCaseAreOff",
     {{"DesiredSSID", "ANY"}, {"WEPMultipleKeys", "yes"}, {"WEPKey2", "0123456789"}, {"WEPTxKey", "2"}},
     nullptr, anyNetwork},
};

// Transmit key numbers in multiple-key mode, each mapped onto the driver's
// record with four one-byte keys.
struct TxKeyCase {
    const char* name;
    std::string text;
    uint16_t txKeyIndex;
};

void PrintTo(const TxKeyCase& row, std::ostream* out) { *out << row.name; }

const std::vector<TxKeyCase> kTxKeyCases = {
    {"One", "1", 0},          {"Four", "4", 3},        {"Zero", "0", 0},
    {"Five", "5", 0},         {"NoDigits", "two", 0},  {"Negative", "-1", 0},
    {"SpaceSignText", " +4th", 3}, {"Huge", "99999999999", 0}, {"Empty", "", 0},
};

std::string differences(const PrismPrefsRecord& actual, const PrismPrefsRecord& expected) {
    const auto* a = reinterpret_cast<const uint8_t*>(&actual);
    const auto* e = reinterpret_cast<const uint8_t*>(&expected);
    std::ostringstream out;
    out << std::hex;
    for (std::size_t i = 0; i < sizeof(PrismPrefsRecord); ++i) {
        if (a[i] != e[i]) out << "\n  byte " << std::dec << i << std::hex << ": got 0x" << int(a[i])
                              << ", expected 0x" << int(e[i]);
    }
    return out.str();
}

SettingsDictionary dictionaryOf(const Entries& entries) {
    SettingsDictionary settings;
    for (const auto& [key, value] : entries) settings.setString(key, value);
    return settings;
}

void expectRecord(const PrismPrefsRecord& actual, const PrismPrefsRecord& expected) {
    EXPECT_EQ(std::memcmp(&actual, &expected, sizeof(PrismPrefsRecord)), 0) << differences(actual, expected);
}

class SettingsRecordMapping : public testing::TestWithParam<MappingCase> {};

TEST_P(SettingsRecordMapping, ChangesOnlyWhatTheSettingsDecide) {
    const MappingCase& row = GetParam();
    PrismPrefsRecord delivered = driverRecord();
    if (row.driver) row.driver(delivered);
    PrismPrefsRecord expected = delivered;
    row.expect(expected);
    expectRecord(mapSettingsOntoRecord(dictionaryOf(row.settings), delivered), expected);
}

INSTANTIATE_TEST_SUITE_P(Settings, SettingsRecordMapping, testing::ValuesIn(kMappingCases),
                         [](const auto& info) { return std::string(info.param.name); });

class SettingsRecordMappingTxKey : public testing::TestWithParam<TxKeyCase> {};

TEST_P(SettingsRecordMappingTxKey, NumberOutsideOneToFourSelectsFirstKey) {
    const TxKeyCase& row = GetParam();
    Entries settings = {{"DesiredSSID", "ANY"}, {"WEPMultipleKeys", "YES"}, {"WEPKey1", "11"},
                        {"WEPKey2", "22"},      {"WEPKey3", "33"},          {"WEPKey4", "44"},
                        {"WEPTxKey", row.text}};
    PrismPrefsRecord expected = driverRecord();
    anyNetwork(expected);
    expected.wepEnabled = 1;
    hexSlot(expected, 0, {0x11});
    hexSlot(expected, 1, {0x22});
    hexSlot(expected, 2, {0x33});
    hexSlot(expected, 3, {0x44});
    putBytes(expected.keyLength, {1, 1, 1, 1});
    expected.txKeyIndex = row.txKeyIndex;
    expectRecord(mapSettingsOntoRecord(dictionaryOf(settings), driverRecord()), expected);
}

INSTANTIATE_TEST_SUITE_P(Numbers, SettingsRecordMappingTxKey, testing::ValuesIn(kTxKeyCases),
                         [](const auto& info) { return std::string(info.param.name); });

// Values that are not strings (a hand-edited file) read as absent.
struct NonStringCase {
    const char* name;
    std::string body;
    Edit expect;
};

void PrintTo(const NonStringCase& row, std::ostream* out) { *out << row.name; }

SettingsDictionary parsed(const std::string& body) {
    std::string xml = "<?xml version=\"1.0\" encoding=\"UTF-8\"?><plist version=\"1.0\"><dict>" + body +
                      "</dict></plist>";
    auto dictionary = platform::parsePropertyListDictionary(
        std::span(reinterpret_cast<const uint8_t*>(xml.data()), xml.size()));
    EXPECT_TRUE(dictionary);
    return dictionary.value_or(SettingsDictionary{});
}

class SettingsRecordMappingNonString : public testing::TestWithParam<NonStringCase> {};

TEST_P(SettingsRecordMappingNonString, ReadAsAbsent) {
    PrismPrefsRecord expected = driverRecord();
    GetParam().expect(expected);
    expectRecord(mapSettingsOntoRecord(parsed(GetParam().body), driverRecord()), expected);
}

INSTANTIATE_TEST_SUITE_P(
    Values, SettingsRecordMappingNonString,
    testing::Values(
        NonStringCase{"DesiredSSIDInteger", "<key>DesiredSSID</key><integer>1</integer><key>IBSSmode</key>"
                                            "<string>NO</string>",
                      noChange},
        NonStringCase{"KeyValueData",
                      "<key>DesiredSSID</key><string>ANY</string><key>WEPKeyType</key><string>hex64</string>"
                      "<key>WEPKeyValue</key><data>AQID</data>",
                      [](PrismPrefsRecord& r) {
                          anyNetwork(r);
                          keyType(r, 5);
                      }},
        NonStringCase{"AdHocBoolean", "<key>DesiredSSID</key><string>ANY</string><key>IBSSmode</key><true/>",
                      anyNetwork}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
