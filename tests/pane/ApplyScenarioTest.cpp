// Applying: the key check and its alert on leaving and on applying, and each
// step of the apply seen in the written settings file and in the settings
// record that reached the simulated driver.
#include <algorithm>
#include <gtest/gtest.h>

#include <cstring>
#include <functional>

#include "tests/pane/PaneHarness.h"

namespace pane_test {
namespace {

const std::string kBullet = "\xE2\x80\xA2";

// ---- The key check ----

const char* const kHex64Message = "64-bit WEP keys must consist of a sequence of 10 hex digits.";
const char* const kHex128Message = "128-bit WEP keys must consist of a sequence of 26 hex digits.";
const char* const kAscii64Message = "64-bit WEP passwords must consist of a sequence of 5 characters.";
const char* const kAscii128Message = "128-bit WEP passwords must consist of a sequence of 13 characters.";

const std::string kNamedRow = "choose showAnyVsSpecificNetwork 1";
std::string keyType(int index) { return "choose showPreferredEncryptionType " + std::to_string(index); }
std::string typeKey(const std::string& key) { return "type showPreferredEncryptionKey " + key; }

struct KeyCheckCase {
    std::string name;
    std::optional<Settings> file;
    Script edits;  // after selecting
    std::optional<std::string> message;  // none: the key passes
};

void PrintTo(const KeyCheckCase& c, std::ostream* out) { *out << c.name; }

const std::string k26 = "0123456789abcdef0123456789";

std::vector<KeyCheckCase> keyCheckCases() {
    const Settings storedHex128 = {{"DesiredSSID", "Net"}, {"WEPKeyType", "hex128"}, {"WEPKeyValue", k26}};
    return {
        {"Hex64NineDigits", std::nullopt, {kNamedRow, keyType(3), typeKey("012345678")}, kHex64Message},
        {"Hex64TenDigits", std::nullopt, {kNamedRow, keyType(3), typeKey("0123456789")}, std::nullopt},
        {"Hex64DollarAndTen", std::nullopt, {kNamedRow, keyType(3), typeKey("$0123456789")}, std::nullopt},
        {"Hex64ZeroXAndTen", std::nullopt, {kNamedRow, keyType(3), typeKey("0x0123456789")}, std::nullopt},
        {"Hex64UpperZeroXAndTen", std::nullopt, {kNamedRow, keyType(3), typeKey("0X0123456789")}, kHex64Message},
        {"Hex64TenNonHex", std::nullopt, {kNamedRow, keyType(3), typeKey("ghijklmnop")}, std::nullopt},
        {"Hex64Empty", std::nullopt, {kNamedRow, keyType(3), typeKey("")}, kHex64Message},
        {"Hex128TwentySix", std::nullopt, {kNamedRow, keyType(4), typeKey(k26)}, std::nullopt},
        {"Hex128TwentyFive", std::nullopt, {kNamedRow, keyType(4), typeKey(k26.substr(1))}, kHex128Message},
        {"Hex128TwentySeven", std::nullopt, {kNamedRow, keyType(4), typeKey(k26 + "0")}, kHex128Message},
        {"Ascii64Five", std::nullopt, {kNamedRow, keyType(5), typeKey("abcde")}, std::nullopt},
        {"Ascii64FiveCharacters", std::nullopt, {kNamedRow, keyType(5), typeKey("caf\xC3\xA9!")}, std::nullopt},
        {"Ascii64Four", std::nullopt, {kNamedRow, keyType(5), typeKey("abcd")}, kAscii64Message},
        {"Ascii64Six", std::nullopt, {kNamedRow, keyType(5), typeKey("abcdef")}, kAscii64Message},
        {"Ascii64Empty", std::nullopt, {kNamedRow, keyType(5)}, kAscii64Message},
        {"Ascii128Thirteen", std::nullopt, {kNamedRow, keyType(6), typeKey("abcdefghijklm")}, std::nullopt},
        {"Ascii128Twelve", std::nullopt, {kNamedRow, keyType(6), typeKey("abcdefghijkl")}, kAscii128Message},
        {"PasswordAnyText", std::nullopt, {kNamedRow, keyType(1), typeKey("x")}, std::nullopt},
        {"PasswordEmpty", std::nullopt, {kNamedRow, keyType(1)}, std::nullopt},
        {"NoneAnyText", std::nullopt, {kNamedRow, keyType(0), typeKey("abc")}, std::nullopt},
        {"StoredAscii128Untouched",
         Settings{{"DesiredSSID", "Net"}, {"WEPKeyType", "ascii128"}, {"WEPKeyValue", "abcdefghijklm"}},
         {},
         std::nullopt},
        {"StoredHex128Untouched", storedHex128, {}, std::nullopt},
        {"StoredHex64WithPrefixUntouched",
         Settings{{"DesiredSSID", "Net"}, {"WEPKeyType", "hex64"}, {"WEPKeyValue", "0x1A2B3C4D5E"}},
         {},
         std::nullopt},
        {"StoredHex64WithPrefixUnderAnotherType",
         Settings{{"DesiredSSID", "Net"}, {"WEPKeyType", "hex64"}, {"WEPKeyValue", "0x1A2B3C4D5E"}},
         {keyType(4)},
         kHex128Message},
        {"StoredKeyUnderTextTypeCountsItsCharacters",
         Settings{{"DesiredSSID", "Net"}, {"WEPKeyType", "hex64"}, {"WEPKeyValue", "$1A2B"}},
         {keyType(5)},
         std::nullopt},
        {"StoredHex128SwitchedToHex64", storedHex128, {keyType(3)}, kHex64Message},
        {"DisabledKeyStillChecked", std::nullopt,
         {kNamedRow, keyType(3), typeKey("012345678"), "choose showAnyVsSpecificNetwork 0"}, kHex64Message},
        {"LongMultipleKeyNotChecked", std::nullopt,
         {"click showUsingMultipleKeys", "type showKey1 " + std::string(40, 'a')}, std::nullopt},
    };
}

enum class Exit { Leave, Apply };

class PaneKeyCheck : public PaneScenario, public testing::WithParamInterface<std::tuple<KeyCheckCase, Exit>> {};

Json alert(const std::string& message) {
    return Json::object({{"title", Json::string("Invalid WEP Keys")},
                         {"message", Json::string(message)},
                         {"buttons", Json::array({Json::string("OK")})}});
}

TEST_P(PaneKeyCheck, RefusesAnInvalidKeyWithTheAlert) {
    const auto& [c, exit] = GetParam();
    testsupport::SimulatorSession simulator;
    ASSERT_TRUE(simulator.start(baseWorld())) << simulator.process().startError();
    if (c.file) writeSettings(*c.file);
    const std::optional<Settings> before = readSettings();

    Script script = {"select"};
    script.insert(script.end(), c.edits.begin(), c.edits.end());
    script.push_back(exit == Exit::Leave ? "leave" : "click applyNowButton");
    script.push_back("dump");
    const HostRun run = runHost(script, simulator.registry());
    const std::vector<testsupport::JournalEvent> sent = simulator.journal().named("setPrefs");

    if (c.message) {
        // Refused, and refused again when the host quits at the script's end.
        EXPECT_EQ(toJsonText(Json::array(run.alerts())), toJsonText(Json::array({alert(*c.message), alert(*c.message)})));
        const std::vector<bool> refused = exit == Exit::Leave ? std::vector<bool>{false, false} : std::vector<bool>{false};
        EXPECT_EQ(run.leaves(), refused);
        EXPECT_EQ(readSettings(), before) << "nothing may be written";
        EXPECT_TRUE(sent.empty()) << "nothing may be sent";
        EXPECT_TRUE(simulator.journal().named("getPrefs").empty());
    } else {
        EXPECT_TRUE(run.alerts().empty());
        EXPECT_EQ(run.leaves(), std::vector<bool>{true});
        EXPECT_TRUE(readSettings().has_value());
        EXPECT_EQ(sent.size(), exit == Exit::Leave ? 1u : 2u);
    }
}

INSTANTIATE_TEST_SUITE_P(Keys, PaneKeyCheck,
                         testing::Combine(testing::ValuesIn(keyCheckCases()), testing::Values(Exit::Leave, Exit::Apply)),
                         [](const auto& info) {
                             return std::get<0>(info.param).name +
                                    (std::get<1>(info.param) == Exit::Leave ? "OnLeaving" : "OnApplying");
                         });

TEST_F(PaneScenario, KeyCheckKeepsTheTypedTextAndTheTimer) {
    testsupport::SimulatorSession simulator;
    ASSERT_TRUE(simulator.start(baseWorld())) << simulator.process().startError();
    const HostRun run = runHost({"select", kNamedRow, keyType(3), typeKey("012345678"), "leave", "dump",
                                 typeKey("0123456789"), "leave"},
                                simulator.registry());
    EXPECT_EQ(run.leaves(), (std::vector<bool>{false, true}));
    ASSERT_EQ(run.alerts().size(), 1u);
    ASSERT_EQ(run.dumps().size(), 1u);
    EXPECT_EQ(toJsonText(outletState(run.dumps()[0], "showPreferredEncryptionKey")),
              toJsonText(parsedState(R"J({"text":"012345678","enabled":true})J")));
    // Leaving with the corrected key applied it without a question.
    const std::optional<Settings> written = readSettings();
    ASSERT_TRUE(written.has_value());
    EXPECT_EQ(written->at("WEPKeyValue"), "0123456789");
    EXPECT_EQ(written->at("WEPKeyType"), "hex64");
    EXPECT_EQ(simulator.journal().named("setPrefs").size(), 1u);
}

// ---- Each step of the apply ----

// WirelessEncrypt vectors, computed apart from the code under test:
// 128-bit: the first 13 bytes of the MD5 of the password repeated to 64
// bytes (printf 'secretsecret...secr' | openssl md5); 64-bit: the XOR fold and
// linear congruential steps, done by hand in Python.
const std::vector<uint8_t> kSecret128 = {0x1c, 0x06, 0x49, 0x22, 0x04, 0x6d, 0x65, 0x17, 0xdf, 0xef, 0x3b, 0x7e, 0xf3};
const std::vector<uint8_t> kSecret64 = {0xc9, 0x3c, 0xa3, 0x1e, 0xca};
const std::vector<uint8_t> kAbc128 = {0xef, 0xef, 0xee, 0xda, 0xe1, 0x97, 0xed, 0x61, 0x4b, 0x58, 0x2e, 0x14, 0x90};
const std::vector<uint8_t> kAbc64 = {0x41, 0x19, 0x2b, 0x54, 0x2a};

using RecordChange = std::function<void(PrismPrefsRecord&)>;

void setBytes(uint8_t* field, const std::vector<uint8_t>& bytes) { std::copy(bytes.begin(), bytes.end(), field); }
// A slot as parseKey leaves it: zeroed, then the key bytes.
void parsedSlot(PrismPrefsRecord& r, int slot, const std::vector<uint8_t>& bytes) {
    std::memset(r.key[slot], 0, 16);
    setBytes(r.key[slot], bytes);
}
void networkNamed(PrismPrefsRecord& r, const std::string& bytes) {
    std::memset(r.ssid, 0, sizeof r.ssid);
    std::memcpy(r.ssid, bytes.data(), std::min<std::size_t>(bytes.size(), 63));
}
// What an apply of untouched controls does: any network, infrastructure, no
// short preamble, no encryption, and the empty key through the password
// transformation at the driver's 13-byte length.
void anyNetworkNoEncryption(PrismPrefsRecord& r) {
    r.ssid[0] = 0;
    r.portType = kPortTypeInfrastructure;
    r.flags &= static_cast<uint16_t>(~kShortPreambleFlag);
    r.wepEnabled = 0;
    std::memset(r.key[0], 0, 13);
}

const Settings kUntouchedFile = {
    {"DesiredSSID", "ANY"},       {"IBSSmode", "NO"},        {"ShortPreamble", "NO"}, {"RememberMostRecentSSID", "NO"},
    {"StoreWEPKeysInKeychain", "NO"}, {"WEPKeyType", "none"}, {"WEPKeyValue", ""},   {"WEPMultipleKeys", "NO"},
};

Settings with(Settings settings, const Settings& changes) {
    for (const auto& [key, value] : changes) settings[key] = value;
    return settings;
}

struct ApplyCase {
    std::string name;
    std::optional<Settings> file;
    RecordChange driver;  // the driver's record before the apply, from the base record
    Script edits;         // after selecting; leaving then applies
    Settings expectedFile;
    RecordChange expectedRecord;  // from the driver's record to the one sent
};

void PrintTo(const ApplyCase& c, std::ostream* out) { *out << c.name; }

const Script kKeyThenAnyNetwork = {"choose showAnyVsSpecificNetwork 0"};

Script keyEdits(int index, const std::string& key) {
    return {kNamedRow, keyType(index), typeKey(key), "choose showAnyVsSpecificNetwork 0"};
}

std::vector<ApplyCase> applyCases() {
    return {
        {"Untouched", std::nullopt, nullptr, {}, kUntouchedFile, anyNetworkNoEncryption},
        {"AnyNetworkDropsTheTypedName", std::nullopt, nullptr,
         {kNamedRow, "type showPreferredNetworkName Typed", "choose showAnyVsSpecificNetwork 0"}, kUntouchedFile,
         anyNetworkNoEncryption},
        {"NamedNetworkEmpty", std::nullopt, nullptr, {kNamedRow}, with(kUntouchedFile, {{"DesiredSSID", ""}}),
         [](PrismPrefsRecord& r) {
             anyNetworkNoEncryption(r);
             networkNamed(r, "");
         }},
        {"NamedNetwork", std::nullopt, nullptr, {kNamedRow, "type showPreferredNetworkName Office 128"},
         with(kUntouchedFile, {{"DesiredSSID", "Office 128"}}),
         [](PrismPrefsRecord& r) {
             anyNetworkNoEncryption(r);
             networkNamed(r, "Office 128");
         }},
        {"LongNetworkNameCut", std::nullopt, nullptr, {kNamedRow, "type showPreferredNetworkName " + std::string(70, 'N')},
         with(kUntouchedFile, {{"DesiredSSID", std::string(70, 'N')}}),
         [](PrismPrefsRecord& r) {
             anyNetworkNoEncryption(r);
             networkNamed(r, std::string(63, 'N'));
         }},
        {"NetworkNameInEightBits", std::nullopt, nullptr, {kNamedRow, "type showPreferredNetworkName Caf\xC3\xA9"},
         with(kUntouchedFile, {{"DesiredSSID", "Caf\xC3\xA9"}}),
         [](PrismPrefsRecord& r) {
             anyNetworkNoEncryption(r);
             networkNamed(r, "Caf\x8E");  // é in Mac OS Roman
         }},
        {"StoredNameApplied", Settings{{"DesiredSSID", "Nimbrel Lab"}}, nullptr, {},
         with(kUntouchedFile, {{"DesiredSSID", "Nimbrel Lab"}}),
         [](PrismPrefsRecord& r) {
             anyNetworkNoEncryption(r);
             networkNamed(r, "Nimbrel Lab");
         }},
        {"AdHocOn", std::nullopt, [](PrismPrefsRecord& r) { r.portType = kPortTypeInfrastructure; },
         {"click showIBSSmode"}, with(kUntouchedFile, {{"IBSSmode", "YES"}}),
         [](PrismPrefsRecord& r) {
             anyNetworkNoEncryption(r);
             r.portType = kPortTypeAdHoc;
         }},
        {"ShortPreambleOn", std::nullopt, nullptr, {"click showShortPreamble"},
         with(kUntouchedFile, {{"ShortPreamble", "YES"}}),
         [](PrismPrefsRecord& r) {
             anyNetworkNoEncryption(r);
             r.flags = 0xA5A5;
         }},
        {"ShortPreambleOffKeepsTheDriversBits", std::nullopt, [](PrismPrefsRecord& r) { r.flags = 0x5A5B; }, {},
         kUntouchedFile,
         [](PrismPrefsRecord& r) {
             anyNetworkNoEncryption(r);
             r.flags = 0x5A5A;
         }},
        {"PaneOnlySwitches", std::nullopt, nullptr, {"click showRememberMRUNetwork", "click showKeychain"},
         with(kUntouchedFile, {{"RememberMostRecentSSID", "YES"}, {"StoreWEPKeysInKeychain", "YES"}}),
         anyNetworkNoEncryption},
        {"Password128", std::nullopt, nullptr, keyEdits(2, "secret"),
         with(kUntouchedFile, {{"WEPKeyType", "password128"}, {"WEPKeyValue", "secret"}}),
         [](PrismPrefsRecord& r) {
             anyNetworkNoEncryption(r);
             r.wepEnabled = 1;
             r.txKeyIndex = 0;
             r.keyLength[0] = 13;
             setBytes(r.key[0], kSecret128);
         }},
        {"Password64", std::nullopt, nullptr, keyEdits(1, "secret"),
         with(kUntouchedFile, {{"WEPKeyType", "password"}, {"WEPKeyValue", "secret"}}),
         [](PrismPrefsRecord& r) {
             r.ssid[0] = 0;
             r.portType = kPortTypeInfrastructure;
             r.wepEnabled = 1;
             r.txKeyIndex = 0;
             r.keyLength[0] = 5;
             setBytes(r.key[0], kSecret64);  // the slot's other bytes stay the driver's
         }},
        {"Hex64", std::nullopt, nullptr, keyEdits(3, "0a1B2c3D4e"),
         with(kUntouchedFile, {{"WEPKeyType", "hex64"}, {"WEPKeyValue", "0a1B2c3D4e"}}),
         [](PrismPrefsRecord& r) {
             anyNetworkNoEncryption(r);
             r.wepEnabled = 1;
             r.txKeyIndex = 0;
             r.keyLength[0] = 5;
             parsedSlot(r, 0, {0x0a, 0x1b, 0x2c, 0x3d, 0x4e});
         }},
        {"Hex64BehindZeroX", std::nullopt, nullptr, keyEdits(3, "0x0a1b2c3d4e"),
         with(kUntouchedFile, {{"WEPKeyType", "hex64"}, {"WEPKeyValue", "0x0a1b2c3d4e"}}),
         [](PrismPrefsRecord& r) {
             anyNetworkNoEncryption(r);
             r.wepEnabled = 1;
             r.txKeyIndex = 0;
             r.keyLength[0] = 5;
             parsedSlot(r, 0, {0x0a, 0x1b, 0x2c, 0x3d, 0x4e});
         }},
        // "√©" is two characters of the 8-bit form, one pair without digits.
        {"Hex64PairsOfTheEightBitForm", std::nullopt, nullptr, keyEdits(3, "01\u221a\u00a9020304"),
         with(kUntouchedFile, {{"WEPKeyType", "hex64"}, {"WEPKeyValue", "01\u221a\u00a9020304"}}),
         [](PrismPrefsRecord& r) {
             anyNetworkNoEncryption(r);
             r.wepEnabled = 1;
             r.txKeyIndex = 0;
             r.keyLength[0] = 5;
             parsedSlot(r, 0, {0x01, 0x00, 0x02, 0x03, 0x04});
         }},
        {"Hex128BehindDollar", std::nullopt, nullptr, keyEdits(4, "$" + k26),
         with(kUntouchedFile, {{"WEPKeyType", "hex128"}, {"WEPKeyValue", "$" + k26}}),
         [](PrismPrefsRecord& r) {
             anyNetworkNoEncryption(r);
             r.wepEnabled = 1;
             r.txKeyIndex = 0;
             r.keyLength[0] = 13;
             parsedSlot(r, 0, {0x01, 0x23, 0x45, 0x67, 0x89, 0xab, 0xcd, 0xef, 0x01, 0x23, 0x45, 0x67, 0x89});
         }},
        {"Ascii128", std::nullopt, nullptr, keyEdits(6, "abcdefghijklm"),
         with(kUntouchedFile, {{"WEPKeyType", "ascii128"}, {"WEPKeyValue", "abcdefghijklm"}}),
         [](PrismPrefsRecord& r) {
             anyNetworkNoEncryption(r);
             r.wepEnabled = 1;
             r.txKeyIndex = 0;
             r.keyLength[0] = 13;
             setBytes(r.key[0], {'a', 'b', 'c', 'd', 'e', 'f', 'g', 'h', 'i', 'j', 'k', 'l', 'm'});
         }},
        {"Ascii64", std::nullopt, nullptr, keyEdits(5, "abcde"),
         with(kUntouchedFile, {{"WEPKeyType", "ascii64"}, {"WEPKeyValue", "abcde"}}),
         [](PrismPrefsRecord& r) {
             r.ssid[0] = 0;
             r.portType = kPortTypeInfrastructure;
             r.wepEnabled = 1;
             r.txKeyIndex = 0;
             r.keyLength[0] = 5;
             setBytes(r.key[0], {'a', 'b', 'c', 'd', 'e'});
         }},
        {"PasswordWithEmptyKeyStoresNone", std::nullopt, nullptr, {kNamedRow, keyType(1), kKeyThenAnyNetwork[0]},
         kUntouchedFile,
         [](PrismPrefsRecord& r) {
             r.ssid[0] = 0;
             r.portType = kPortTypeInfrastructure;
             r.wepEnabled = 0;
             r.txKeyIndex = 0;
             r.keyLength[0] = 5;
             setBytes(r.key[0], {0, 0, 0, 0, 0});
         }},
        {"NoEncryptionWithAKey", std::nullopt, nullptr, keyEdits(0, "abc"),
         with(kUntouchedFile, {{"WEPKeyValue", "abc"}}),
         [](PrismPrefsRecord& r) {
             anyNetworkNoEncryption(r);
             setBytes(r.key[0], kAbc128);  // at the driver's length, 13
         }},
        {"NoEncryptionWithAKeyAtTheDriversFiveBytes", std::nullopt, [](PrismPrefsRecord& r) { r.keyLength[0] = 5; },
         keyEdits(0, "abc"), with(kUntouchedFile, {{"WEPKeyValue", "abc"}}),
         [](PrismPrefsRecord& r) {
             r.ssid[0] = 0;
             r.portType = kPortTypeInfrastructure;
             r.wepEnabled = 0;
             setBytes(r.key[0], kAbc64);
         }},
        {"MaskedKeyEncodedAgainForTheNewType",
         Settings{{"DesiredSSID", "Net"}, {"WEPKeyType", "password"}, {"WEPKeyValue", "secret"}}, nullptr,
         {keyType(2)},
         with(kUntouchedFile, {{"DesiredSSID", "Net"}, {"WEPKeyType", "password128"}, {"WEPKeyValue", "secret"}}),
         [](PrismPrefsRecord& r) {
             anyNetworkNoEncryption(r);
             networkNamed(r, "Net");
             r.wepEnabled = 1;
             r.txKeyIndex = 0;
             r.keyLength[0] = 13;
             setBytes(r.key[0], kSecret128);
         }},
        {"MaskedKeyKeptByteForByte",
         Settings{{"DesiredSSID", "Net"}, {"WEPKeyType", "hex64"}, {"WEPKeyValue", "0x0A1B2C3D4E"}}, nullptr, {},
         with(kUntouchedFile, {{"DesiredSSID", "Net"}, {"WEPKeyType", "hex64"}, {"WEPKeyValue", "0x0A1B2C3D4E"}}),
         [](PrismPrefsRecord& r) {
             anyNetworkNoEncryption(r);
             networkNamed(r, "Net");
             r.wepEnabled = 1;
             r.txKeyIndex = 0;
             r.keyLength[0] = 5;
             parsedSlot(r, 0, {0x0a, 0x1b, 0x2c, 0x3d, 0x4e});
         }},
        {"TypedLeadingBulletCountsAsUnchanged",
         Settings{{"DesiredSSID", "Net"}, {"WEPKeyType", "ascii64"}, {"WEPKeyValue", "abcde"}}, nullptr,
         {typeKey(kBullet + "wxyz")},
         with(kUntouchedFile, {{"DesiredSSID", "Net"}, {"WEPKeyType", "ascii64"}, {"WEPKeyValue", "abcde"}}),
         [](PrismPrefsRecord& r) {
             networkNamed(r, "Net");
             r.portType = kPortTypeInfrastructure;
             r.wepEnabled = 1;
             r.txKeyIndex = 0;
             r.keyLength[0] = 5;
             setBytes(r.key[0], {'a', 'b', 'c', 'd', 'e'});
         }},
        {"TypedLeadingBulletWithoutStoredKey", std::nullopt, nullptr, keyEdits(5, kBullet + "bcde"),
         [] {
             Settings file = with(kUntouchedFile, {{"WEPKeyType", "ascii64"}});
             file.erase("WEPKeyValue");
             return file;
         }(),
         [](PrismPrefsRecord& r) {
             r.ssid[0] = 0;
             r.portType = kPortTypeInfrastructure;
             r.wepEnabled = 1;
             r.txKeyIndex = 0;
             r.keyLength[0] = 5;  // slot 0 itself stays the driver's: there is no key to encode
         }},
        {"MultipleKeysEmptyMaskedAndTyped",
         Settings{{"DesiredSSID", "ANY"}, {"WEPMultipleKeys", "YES"}, {"WEPKey3", "0303030303"}}, nullptr,
         {"type showKey1 0102030405", "type showKey2 ", "type showKey4 $a1b2c3d4e5", "choose showTxKey 2"},
         with(kUntouchedFile, {{"WEPMultipleKeys", "YES"},
                               {"WEPKey1", "0102030405"},
                               {"WEPKey2", ""},
                               {"WEPKey3", "0303030303"},
                               {"WEPKey4", "$a1b2c3d4e5"},
                               {"WEPTxKey", "3"}}),
         [](PrismPrefsRecord& r) {
             anyNetworkNoEncryption(r);  // and so WEP stays off, four keys or not
             parsedSlot(r, 0, {0x01, 0x02, 0x03, 0x04, 0x05});
             r.keyLength[0] = 5;
             parsedSlot(r, 1, {});
             r.keyLength[1] = 0;
             // slot 2 and its length stay the driver's
             parsedSlot(r, 3, {0xa1, 0xb2, 0xc3, 0xd4, 0xe5});
             r.keyLength[3] = 5;
             r.txKeyIndex = 2;
         }},
        {"MultipleKeysLeaveWEPAsTheKeyTypeSetIt", std::nullopt, nullptr,
         {kNamedRow, keyType(3), typeKey("0a0b0c0d0e"), "choose showAnyVsSpecificNetwork 0", "click showUsingMultipleKeys",
          "type showKey2 1112131415", "choose showTxKey 1"},
         with(kUntouchedFile, {{"WEPKeyType", "hex64"},
                               {"WEPKeyValue", "0a0b0c0d0e"},
                               {"WEPMultipleKeys", "YES"},
                               {"WEPKey1", ""},
                               {"WEPKey2", "1112131415"},
                               {"WEPKey3", ""},
                               {"WEPKey4", ""},
                               {"WEPTxKey", "2"}}),
         [](PrismPrefsRecord& r) {
             anyNetworkNoEncryption(r);
             r.wepEnabled = 1;
             r.keyLength[0] = 0;  // the empty first key field empties the slot the preferred key went to
             parsedSlot(r, 0, {});
             parsedSlot(r, 1, {0x11, 0x12, 0x13, 0x14, 0x15});
             r.keyLength[1] = 5;
             parsedSlot(r, 2, {});
             r.keyLength[2] = 0;
             parsedSlot(r, 3, {});
             r.keyLength[3] = 0;
             r.txKeyIndex = 1;
         }},
        {"MultipleKeyOfMoreThan32Digits", std::nullopt, nullptr,
         {"click showUsingMultipleKeys", "type showKey1 " + std::string("00112233445566778899aabbccddeeff0123")},
         with(kUntouchedFile, {{"WEPMultipleKeys", "YES"},
                               {"WEPKey1", "00112233445566778899aabbccddeeff0123"},
                               {"WEPKey2", ""},
                               {"WEPKey3", ""},
                               {"WEPKey4", ""},
                               {"WEPTxKey", "1"}}),
         [](PrismPrefsRecord& r) {
             anyNetworkNoEncryption(r);
             parsedSlot(r, 0, {0x00, 0x11, 0x22, 0x33, 0x44, 0x55, 0x66, 0x77, 0x88, 0x99, 0xaa, 0xbb, 0xcc, 0xdd, 0xee,
                               0xff});
             r.keyLength[0] = 16;
             for (int slot = 1; slot < 4; ++slot) {
                 parsedSlot(r, slot, {});
                 r.keyLength[slot] = 0;
             }
             r.txKeyIndex = 0;
         }},
        {"MultipleKeyDollarPrefixNotCounted", std::nullopt, nullptr,
         {"click showUsingMultipleKeys", "type showKey1 $0102030405", "choose showTxKey 3"},
         with(kUntouchedFile, {{"WEPMultipleKeys", "YES"},
                               {"WEPKey1", "$0102030405"},
                               {"WEPKey2", ""},
                               {"WEPKey3", ""},
                               {"WEPKey4", ""},
                               {"WEPTxKey", "4"}}),
         [](PrismPrefsRecord& r) {
             anyNetworkNoEncryption(r);
             parsedSlot(r, 0, {0x01, 0x02, 0x03, 0x04, 0x05});
             r.keyLength[0] = 5;
             for (int slot = 1; slot < 4; ++slot) {
                 parsedSlot(r, slot, {});
                 r.keyLength[slot] = 0;
             }
             r.txKeyIndex = 3;
         }},
        // "√©" is two characters, two bytes (0xC3 0xA9) in the 8-bit form:
        // six pairs, the last of them no digits.
        {"MultipleKeyCountsTheEightBitForm", std::nullopt, nullptr,
         {"click showUsingMultipleKeys", "type showKey1 0102030405\u221a\u00a9"},
         with(kUntouchedFile, {{"WEPMultipleKeys", "YES"},
                               {"WEPKey1", "0102030405\u221a\u00a9"},
                               {"WEPKey2", ""},
                               {"WEPKey3", ""},
                               {"WEPKey4", ""},
                               {"WEPTxKey", "1"}}),
         [](PrismPrefsRecord& r) {
             anyNetworkNoEncryption(r);
             parsedSlot(r, 0, {0x01, 0x02, 0x03, 0x04, 0x05, 0x00});
             r.keyLength[0] = 6;
             for (int slot = 1; slot < 4; ++slot) {
                 parsedSlot(r, slot, {});
                 r.keyLength[slot] = 0;
             }
             r.txKeyIndex = 0;
         }},
        {"MaskedFirstKeyKeepsThePreferredKey",
         Settings{{"DesiredSSID", "Net"},
                  {"WEPKeyType", "hex64"},
                  {"WEPKeyValue", "2222222222"},
                  {"WEPMultipleKeys", "YES"},
                  {"WEPKey1", "1111111111"}},
         nullptr, {typeKey("0a0b0c0d0e")},
         with(kUntouchedFile, {{"DesiredSSID", "Net"},
                               {"WEPKeyType", "hex64"},
                               {"WEPKeyValue", "0a0b0c0d0e"},
                               {"WEPMultipleKeys", "YES"},
                               {"WEPKey1", "1111111111"},
                               {"WEPKey2", ""},
                               {"WEPKey3", ""},
                               {"WEPKey4", ""},
                               {"WEPTxKey", "1"}}),
         [](PrismPrefsRecord& r) {
             anyNetworkNoEncryption(r);
             networkNamed(r, "Net");
             r.wepEnabled = 1;
             parsedSlot(r, 0, {0x0a, 0x0b, 0x0c, 0x0d, 0x0e});
             r.keyLength[0] = 5;
             for (int slot = 1; slot < 4; ++slot) {
                 parsedSlot(r, slot, {});
                 r.keyLength[slot] = 0;
             }
             r.txKeyIndex = 0;
         }},
        {"SingleKeyModeKeepsTheStoredKeys",
         Settings{{"DesiredSSID", "ANY"},
                  {"WEPMultipleKeys", "NO"},
                  {"WEPKey1", "0101010101"},
                  {"WEPKey2", "0202020202"},
                  {"WEPKey3", ""},
                  {"WEPKey4", "0404040404"},
                  {"WEPTxKey", "2"}},
         nullptr, {},
         with(kUntouchedFile, {{"WEPKey1", "0101010101"},
                               {"WEPKey2", "0202020202"},
                               {"WEPKey3", ""},
                               {"WEPKey4", "0404040404"},
                               {"WEPTxKey", "2"}}),
         anyNetworkNoEncryption},
        {"UnknownEntriesSurvive", Settings{{"DesiredSSID", "ANY"}, {"FavouriteChannel", "eleven"}}, nullptr, {},
         with(kUntouchedFile, {{"FavouriteChannel", "eleven"}}), anyNetworkNoEncryption},
    };
}

class PaneApply : public PaneScenario, public testing::WithParamInterface<ApplyCase> {};

TEST_P(PaneApply, WritesTheFileAndSendsTheRecord) {
    const ApplyCase& c = GetParam();
    PrismPrefsRecord driver = baseSettingsRecord();
    if (c.driver) c.driver(driver);
    testsupport::WorldSpec world = baseWorld();
    world.settingsRecord = driver;
    testsupport::SimulatorSession simulator;
    ASSERT_TRUE(simulator.start(world)) << simulator.process().startError();
    if (c.file) writeSettings(*c.file);

    Script script = {"select"};
    script.insert(script.end(), c.edits.begin(), c.edits.end());
    script.push_back("leave");
    const HostRun run = runHost(script, simulator.registry());
    EXPECT_TRUE(run.alerts().empty());
    EXPECT_EQ(run.leaves(), std::vector<bool>{true});

    EXPECT_EQ(readSettings(), std::optional<Settings>(c.expectedFile));

    const testsupport::Journal journal = simulator.journal();
    const std::vector<PrismPrefsRecord> sent = sentRecords(journal);
    ASSERT_EQ(sent.size(), 1u);
    PrismPrefsRecord expected = driver;
    c.expectedRecord(expected);
    EXPECT_EQ(std::memcmp(&expected, &sent[0], sizeof expected), 0) << describeRecordDifferences(expected, sent[0]);

    // The record is read from the driver just before it is sent, and the
    // connection closes after.
    const std::vector<std::string> calls = journalCalls(journal);
    ASSERT_GE(calls.size(), 3u);
    EXPECT_EQ(std::vector<std::string>(calls.end() - 3, calls.end()),
              (std::vector<std::string>{"getPrefs", "setPrefs", "close"}));
}

INSTANTIATE_TEST_SUITE_P(Steps, PaneApply, testing::ValuesIn(applyCases()),
                         [](const auto& info) { return info.param.name; });

TEST_F(PaneScenario, ApplyWithoutDriverWritesTheFileOnly) {
    EmptyRegistry noDriver;
    const HostRun run = runHost({"select", "click showIBSSmode", "click applyNowButton", "leave"}, noDriver.path());
    EXPECT_TRUE(run.alerts().empty());
    EXPECT_EQ(readSettings(), std::optional<Settings>(with(kUntouchedFile, {{"IBSSmode", "YES"}})));
}

TEST_F(PaneScenario, ApplyBuildsOnZerosWhenTheDriversRecordCannotBeRead) {
    testsupport::WorldSpec world = baseWorld();
    world.failingMethods = std::vector<int64_t>{2};  // getPrefs:
    testsupport::SimulatorSession simulator;
    ASSERT_TRUE(simulator.start(world)) << simulator.process().startError();
    const HostRun run = runHost({"select", "leave"}, simulator.registry());
    const std::vector<PrismPrefsRecord> sent = sentRecords(simulator.journal());
    ASSERT_EQ(sent.size(), 1u);
    PrismPrefsRecord expected;
    std::memset(&expected, 0, sizeof expected);
    expected.portType = kPortTypeInfrastructure;
    EXPECT_EQ(std::memcmp(&expected, &sent[0], sizeof expected), 0) << describeRecordDifferences(expected, sent[0]);
    EXPECT_EQ(readSettings(), std::optional<Settings>(kUntouchedFile));
}

TEST_F(PaneScenario, ApplySendsTheRecordWhenTheFileCannotBeWritten) {
    testsupport::SimulatorSession simulator;
    ASSERT_TRUE(simulator.start(baseWorld())) << simulator.process().startError();
    ReadOnlySettingsFolder readOnly;
    ASSERT_TRUE(readOnly.active());
    const HostRun run = runHost({"select", "click showShortPreamble", "leave"}, simulator.registry());
    EXPECT_TRUE(run.alerts().empty());
    EXPECT_FALSE(readSettings().has_value());
    const std::vector<PrismPrefsRecord> sent = sentRecords(simulator.journal());
    ASSERT_EQ(sent.size(), 1u);
    EXPECT_EQ(sent[0].flags, 0xA5A5);
}

TEST_F(PaneScenario, SecondApplyStartsFromWhatTheFirstLeft) {
    testsupport::SimulatorSession simulator;
    ASSERT_TRUE(simulator.start(baseWorld())) << simulator.process().startError();
    const HostRun run = runHost({"select", "click showUsingMultipleKeys", "type showKey1 0102030405", "choose showTxKey 1",
                                 "click applyNowButton", "click showUsingMultipleKeys", "leave"},
                                simulator.registry());
    EXPECT_TRUE(run.alerts().empty());
    // The second apply, in single-key mode, leaves the keys the first wrote.
    EXPECT_EQ(readSettings(), std::optional<Settings>(with(kUntouchedFile, {{"WEPKey1", "0102030405"},
                                                                           {"WEPKey2", ""},
                                                                           {"WEPKey3", ""},
                                                                           {"WEPKey4", ""},
                                                                           {"WEPTxKey", "2"}})));
    const std::vector<PrismPrefsRecord> sent = sentRecords(simulator.journal());
    ASSERT_EQ(sent.size(), 2u);

    PrismPrefsRecord first = baseSettingsRecord();
    anyNetworkNoEncryption(first);
    parsedSlot(first, 0, {0x01, 0x02, 0x03, 0x04, 0x05});
    first.keyLength[0] = 5;
    for (int slot = 1; slot < 4; ++slot) {
        parsedSlot(first, slot, {});
        first.keyLength[slot] = 0;
    }
    first.txKeyIndex = 1;
    EXPECT_EQ(std::memcmp(&first, &sent[0], sizeof first), 0) << describeRecordDifferences(first, sent[0]);

    // On top of the first record: the empty key now at slot 0's length of 5.
    PrismPrefsRecord second = first;
    std::memset(second.key[0], 0, 5);
    EXPECT_EQ(std::memcmp(&second, &sent[1], sizeof second), 0) << describeRecordDifferences(second, sent[1]);
}

TEST_F(PaneScenario, ApplyKeepsEntriesOfOtherTypes) {
    writeSettingsText(settingsXml({{"DesiredSSID", "ANY"}}, "\t<key>Channel</key>\n\t<integer>11</integer>\n"
                                                            "\t<key>Flags</key>\n\t<array><true/><string>x</string></array>\n"));
    const std::optional<platform::PropertyDictionary> before = readSettingsDictionary();
    ASSERT_TRUE(before.has_value());
    EmptyRegistry noDriver;
    runHost({"select", "leave"}, noDriver.path());
    const std::optional<platform::PropertyDictionary> after = readSettingsDictionary();
    ASSERT_TRUE(after.has_value());
    for (const char* key : {"Channel", "Flags"}) {
        ASSERT_NE(after->find(key), nullptr) << key;
        EXPECT_TRUE(*after->find(key) == *before->find(key)) << key;
    }
}

}  // namespace
}  // namespace pane_test
