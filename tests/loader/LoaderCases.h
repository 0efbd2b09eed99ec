// Settings files and the records that WirelessLoader must send for them,
// shared by the in-process and the end-to-end suites. Every expected record
// is the driver's starting record with the changes written out by hand.
#pragma once

#include <algorithm>
#include <cstring>
#include <functional>
#include <optional>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

#include "driver/Records.h"
#include "tests/support/CardSimulatorProcess.h"

namespace loadertest {

using Entries = std::vector<std::pair<std::string, std::string>>;

inline std::string settingsXml(const Entries& entries) { return testsupport::stringEntriesXml(entries); }

// The driver's record before the loader runs: every field holds something
// that a faulty mapping would disturb.
inline PrismPrefsRecord driverStartRecord() {
    PrismPrefsRecord record;
    auto* bytes = reinterpret_cast<uint8_t*>(&record);
    for (std::size_t i = 0; i < sizeof record; ++i) bytes[i] = static_cast<uint8_t>(0x30 + i % 0x40);
    record.driverWord = 0xBEEF;
    record.flags = 0xA5A4;  // short preamble off, the driver's bits set
    std::memcpy(record.ssid, "OldNetwork", 10);  // the rest of the field stays filled
    record.portType = kPortTypeAdHoc;
    record.wepEnabled = 0;
    record.txKeyIndex = 2;
    record.keyLength[0] = 13;
    record.keyLength[1] = 5;
    record.keyLength[2] = 5;
    record.keyLength[3] = 0;
    return record;
}

inline void setSSID(PrismPrefsRecord& record, const std::string& bytes) {
    std::memset(record.ssid, 0, sizeof record.ssid);
    std::memcpy(record.ssid, bytes.data(), bytes.size() < 63 ? bytes.size() : 63);
}

inline void setKey(PrismPrefsRecord& record, int slot, std::vector<uint8_t> bytes, bool zeroRest) {
    if (zeroRest) std::memset(record.key[slot], 0, kKeySlotSize);
    std::copy(bytes.begin(), bytes.end(), record.key[slot]);
}

struct LoaderCase {
    const char* name;
    std::optional<std::string> fileContent;  // none: no settings file
    std::function<void(PrismPrefsRecord&)> expectedChanges;
};

// gtest prints a case by its name.
inline void PrintTo(const LoaderCase& loaderCase, std::ostream* out) { *out << loaderCase.name; }

inline const std::string k26HexDigits = "0123456789abcdefFEDCBA9876";
inline const std::vector<uint8_t> k26HexBytes = {0x01, 0x23, 0x45, 0x67, 0x89, 0xab, 0xcd,
                                                0xef, 0xfe, 0xdc, 0xba, 0x98, 0x76};
// WirelessEncrypt of "secret", computed with python3 hashlib and openssl md5:
// md5("secret" repeated to 64 bytes)[0:13], and the five bytes of the
// XOR-fold and 0x343FD/0x269EC3 generator.
inline const std::vector<uint8_t> kSecret128 = {0x1c, 0x06, 0x49, 0x22, 0x04, 0x6d, 0x65,
                                               0x17, 0xdf, 0xef, 0x3b, 0x7e, 0xf3};
inline const std::vector<uint8_t> kSecret64 = {0xc9, 0x3c, 0xa3, 0x1e, 0xca};

inline void infrastructureLongPreamble(PrismPrefsRecord& record) {
    record.portType = kPortTypeInfrastructure;
    record.flags = 0xA5A4;
}

inline std::vector<LoaderCase> loaderCases() {
    auto unchanged = [](PrismPrefsRecord&) {};
    return {
        {"NoSettingsFile", std::nullopt, unchanged},
        {"MalformedFile", std::string("<?xml version=\"1.0\"?><plist><dict><key>DesiredSSID"), unchanged},
        {"NotAPropertyList", std::string("DesiredSSID=ANY\n"), unchanged},
        {"WithoutDesiredSSID", settingsXml({{"IBSSmode", "YES"}, {"ShortPreamble", "YES"}, {"WEPKeyType", "hex64"}}),
         unchanged},
        {"PaneWrittenAnyNetwork",
         settingsXml({{"DesiredSSID", "ANY"},
                      {"IBSSmode", "NO"},
                      {"ShortPreamble", "YES"},
                      {"RememberMostRecentSSID", "NO"},
                      {"StoreWEPKeysInKeychain", "NO"},
                      {"WEPKeyType", "none"},
                      {"WEPKeyValue", ""},
                      {"WEPMultipleKeys", "NO"}}),
         [](PrismPrefsRecord& r) {
             r.ssid[0] = 0;
             r.portType = kPortTypeInfrastructure;
             r.flags = 0xA5A5;
             // The empty password with the driver's 13-byte length: 13 zero bytes.
             setKey(r, 0, std::vector<uint8_t>(13, 0), false);
         }},
        {"Hex64BehindZeroX",
         settingsXml({{"DesiredSSID", "Nimbrel Lab"}, {"WEPKeyType", "hex64"}, {"WEPKeyValue", "0x1A2B3C4D5E"}}),
         [](PrismPrefsRecord& r) {
             setSSID(r, "Nimbrel Lab");
             infrastructureLongPreamble(r);
             r.wepEnabled = 1;
             r.txKeyIndex = 0;
             r.keyLength[0] = 5;
             setKey(r, 0, {0x1a, 0x2b, 0x3c, 0x4d, 0x5e}, true);
         }},
        {"Hex64BehindDollarAndZeroX",
         settingsXml({{"DesiredSSID", "Lab"}, {"WEPKeyType", "hex64"}, {"WEPKeyValue", "$0x1a2b3c4d5e"}}),
         [](PrismPrefsRecord& r) {
             setSSID(r, "Lab");
             infrastructureLongPreamble(r);
             r.wepEnabled = 1;
             r.txKeyIndex = 0;
             r.keyLength[0] = 5;
             setKey(r, 0, {0x1a, 0x2b, 0x3c, 0x4d, 0x5e}, true);
         }},
        {"Hex128BehindDollar",
         settingsXml({{"DesiredSSID", "Office"}, {"WEPKeyType", "hex128"}, {"WEPKeyValue", "$" + k26HexDigits}}),
         [](PrismPrefsRecord& r) {
             setSSID(r, "Office");
             infrastructureLongPreamble(r);
             r.wepEnabled = 1;
             r.txKeyIndex = 0;
             r.keyLength[0] = 13;
             setKey(r, 0, k26HexBytes, true);
         }},
        {"Ascii64ShortText",
         settingsXml({{"DesiredSSID", "Cafe"}, {"WEPKeyType", "ascii64"}, {"WEPKeyValue", "abc"}}),
         [](PrismPrefsRecord& r) {
             setSSID(r, "Cafe");
             infrastructureLongPreamble(r);
             r.wepEnabled = 1;
             r.txKeyIndex = 0;
             r.keyLength[0] = 5;
             setKey(r, 0, {'a', 'b', 'c', 0, 0}, false);
         }},
        {"Ascii128",
         settingsXml({{"DesiredSSID", "Cafe"}, {"WEPKeyType", "ascii128"}, {"WEPKeyValue", "Thirteen char"}}),
         [](PrismPrefsRecord& r) {
             setSSID(r, "Cafe");
             infrastructureLongPreamble(r);
             r.wepEnabled = 1;
             r.txKeyIndex = 0;
             r.keyLength[0] = 13;
             setKey(r, 0, {'T', 'h', 'i', 'r', 't', 'e', 'e', 'n', ' ', 'c', 'h', 'a', 'r'}, false);
         }},
        {"Password64",
         settingsXml({{"DesiredSSID", "Base"}, {"WEPKeyType", "password"}, {"WEPKeyValue", "secret"}}),
         [](PrismPrefsRecord& r) {
             setSSID(r, "Base");
             infrastructureLongPreamble(r);
             r.wepEnabled = 1;
             r.txKeyIndex = 0;
             r.keyLength[0] = 5;
             setKey(r, 0, kSecret64, false);
         }},
        {"Password128AdHocShortPreamble",
         settingsXml({{"DesiredSSID", "Base"},
                      {"IBSSmode", "YES"},
                      {"ShortPreamble", "YES"},
                      {"WEPKeyType", "password128"},
                      {"WEPKeyValue", "secret"}}),
         [](PrismPrefsRecord& r) {
             setSSID(r, "Base");
             r.portType = kPortTypeAdHoc;
             r.flags = 0xA5A5;
             r.wepEnabled = 1;
             r.txKeyIndex = 0;
             r.keyLength[0] = 13;
             setKey(r, 0, kSecret128, false);
         }},
        {"UnknownKeyTypeIsPasswordWithDriversLength",
         settingsXml({{"DesiredSSID", "Base"}, {"WEPKeyType", "Hex64"}, {"WEPKeyValue", "secret"},
                      {"IBSSmode", "yes"}}),
         [](PrismPrefsRecord& r) {
             setSSID(r, "Base");
             infrastructureLongPreamble(r);
             setKey(r, 0, kSecret128, false);  // the driver's length is 13
         }},
        {"MultipleKeys",
         settingsXml({{"DesiredSSID", "ANY"},
                      {"WEPKeyType", "none"},
                      {"WEPKeyValue", "ignored"},
                      {"WEPMultipleKeys", "YES"},
                      {"WEPKey1", "0102030405"},
                      {"WEPKey3", "$0x" + k26HexDigits},
                      {"WEPKey4", "a1B2c3d"},
                      {"WEPTxKey", "4"}}),
         [](PrismPrefsRecord& r) {
             r.ssid[0] = 0;
             infrastructureLongPreamble(r);
             r.wepEnabled = 1;
             r.keyLength[0] = 5;
             r.keyLength[1] = 0;
             r.keyLength[2] = 13;
             r.keyLength[3] = 3;
             setKey(r, 0, {1, 2, 3, 4, 5}, true);
             setKey(r, 1, {}, true);
             setKey(r, 2, k26HexBytes, true);
             setKey(r, 3, {0xa1, 0xb2, 0xc3}, true);
             r.txKeyIndex = 3;
         }},
        {"MultipleKeysWithoutTxKeyKeepsTypesIndex",
         settingsXml({{"DesiredSSID", "ANY"}, {"WEPKeyType", "hex64"}, {"WEPMultipleKeys", "YES"},
                      {"WEPKey1", "1111111111"}, {"WEPKey2", "2222222222"}, {"WEPKey3", ""}, {"WEPKey4", "44"}}),
         [](PrismPrefsRecord& r) {
             r.ssid[0] = 0;
             infrastructureLongPreamble(r);
             r.wepEnabled = 1;
             r.txKeyIndex = 0;
             r.keyLength[0] = 5;
             r.keyLength[1] = 5;
             r.keyLength[2] = 0;
             r.keyLength[3] = 1;
             setKey(r, 0, {0x11, 0x11, 0x11, 0x11, 0x11}, true);
             setKey(r, 1, {0x22, 0x22, 0x22, 0x22, 0x22}, true);
             setKey(r, 2, {}, true);
             setKey(r, 3, {0x44}, true);
         }},
        {"SeventyCharacterName",
         settingsXml({{"DesiredSSID", std::string(35, 'A') + std::string(35, 'B')}}),
         [](PrismPrefsRecord& r) {
             setSSID(r, std::string(35, 'A') + std::string(28, 'B'));
             infrastructureLongPreamble(r);
         }},
        {"NameInMacRoman",
         settingsXml({{"DesiredSSID", "Caf\xC3\xA9 \xE2\x82\xAC"}}),  // "Café €": é is 0x8E, € is 0xDB
         [](PrismPrefsRecord& r) {
             setSSID(r, "Caf\x8E \xDB");
             infrastructureLongPreamble(r);
         }},
    };
}

}  // namespace loadertest
