// Selecting the pane: every row of the table that sets the controls from
// the settings file, the network list from the scan, and selecting, leaving
// and selecting again.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>

#include "tests/pane/PaneHarness.h"

namespace pane_test {
namespace {

const std::string kBullet = "\xE2\x80\xA2";

std::string bullets(int count) {
    std::string text;
    for (int i = 0; i < count; ++i) text += kBullet;
    return text;
}

const std::vector<testsupport::AccessPointSpec> kThreeNetworks = {
    {"Cafe Open", "00:40:96:A1:B2:C3", 1, 45, 8, std::nullopt},
    {"Nimbrel Lab", "00:60:1D:22:33:44", 6, 62, 12, std::string("1A2B3C4D5E")},
    {"Office 128", "00:30:65:0F:0E:0D", 11, 38, 10, std::string("0123456789ABCDEF0123456789")},
};
const std::string kThreeNames = R"J(["Cafe Open","Nimbrel Lab","Office 128"])J";

// A settings file, written out as it stands (none: no file).
struct SettingsFile {
    std::optional<std::string> xml;
};
SettingsFile noFile() { return {std::nullopt}; }
SettingsFile file(const Settings& settings) { return {settingsXml(settings)}; }
SettingsFile rawFile(std::string xml) { return {std::move(xml)}; }

struct SelectCase {
    std::string name;
    SettingsFile settings;
    // What the user did in an earlier selection; the settings file is kept
    // as written meanwhile, so that the second selection reads it again.
    Script earlier;
    std::map<std::string, std::string> expected;  // outlet: its state in the dump
};

// Leaves the earlier selection with a key that passes every check.
const Script kEarlierTurnsEverythingOn = {
    "click showIBSSmode",       "click showShortPreamble", "click showRememberMRUNetwork", "click showKeychain",
    "click showUsingMultipleKeys", "choose showTxKey 3",
};

std::vector<SelectCase> selectCases() {
    const std::string disabledName = R"J({"text":"","items":)J" + kThreeNames + R"J(,"enabled":false})J";
    return {
        {"NoFileDisablesTheNetworkControls",
         noFile(),
         {},
         {{"showAnyVsSpecificNetwork", R"J({"row":0,"enabled":true})J"},
          {"showPreferredNetworkName", disabledName},
          {"showPreferredEncryptionType", R"J({"index":0,"enabled":false})J"},
          {"showPreferredEncryptionKey", R"J({"text":"","enabled":false})J"},
          {"showIBSSmode", R"J({"state":0,"enabled":true})J"},
          {"showKey1", R"J({"text":"","enabled":true})J"},
          {"showTxKey", R"J({"row":0,"enabled":true})J"},
          {"keyPrompt", R"J({"text":"Key:","enabled":true})J"},
          {"showKeySyntax", R"J({"text":"","enabled":true})J"},
          {"showVersion", R"J({"text":")J" NIMBREL_PROJECT_VERSION R"J(","enabled":true})J"}}},
        {"NoFileKeepsEarlierStates",
         noFile(),
         {"choose showAnyVsSpecificNetwork 1", "type showPreferredNetworkName Typed", "choose showPreferredEncryptionType 5",
          "type showPreferredEncryptionKey abcde", "click showIBSSmode", "click showUsingMultipleKeys",
          "choose showTxKey 2"},
         {{"showAnyVsSpecificNetwork", R"J({"row":1,"enabled":true})J"},
          {"showPreferredNetworkName", R"J({"text":"Typed","items":)J" + kThreeNames + R"J(,"enabled":false})J"},
          {"showPreferredEncryptionType", R"J({"index":5,"enabled":false})J"},
          {"showPreferredEncryptionKey", R"J({"text":"abcde","enabled":false})J"},
          {"keyPrompt", R"J({"text":"Password:","enabled":true})J"},
          {"showKeySyntax", R"J({"text":"(Enter 5 character password)","enabled":true})J"},
          {"showIBSSmode", R"J({"state":1,"enabled":true})J"},
          {"showUsingMultipleKeys", R"J({"state":1,"enabled":true})J"},
          {"showTxKey", R"J({"row":2,"enabled":true})J"}}},
        {"MalformedFileCountsAsNone",
         rawFile("<plist version=\"1.0\"><dict><key>DesiredSSID</key><string>Office"),
         {},
         {{"showAnyVsSpecificNetwork", R"J({"row":0,"enabled":true})J"},
          {"showPreferredNetworkName", disabledName},
          {"showPreferredEncryptionType", R"J({"index":0,"enabled":false})J"}}},
        {"RootThatIsNoDictionaryCountsAsNone",
         rawFile("<?xml version=\"1.0\"?><plist version=\"1.0\"><array><string>DesiredSSID</string></array></plist>"),
         {},
         {{"showPreferredNetworkName", disabledName}, {"showPreferredEncryptionKey", R"J({"text":"","enabled":false})J"}}},
        {"AnyNetwork",
         file({{"DesiredSSID", "ANY"}}),
         {"choose showAnyVsSpecificNetwork 1"},
         {{"showAnyVsSpecificNetwork", R"J({"row":0,"enabled":true})J"},
          {"showPreferredNetworkName", disabledName},
          {"showPreferredEncryptionType", R"J({"index":0,"enabled":false})J"},
          {"showPreferredEncryptionKey", R"J({"text":"","enabled":false})J"}}},
        {"NamedNetwork",
         file({{"DesiredSSID", "Office"}}),
         {},
         {{"showAnyVsSpecificNetwork", R"J({"row":1,"enabled":true})J"},
          {"showPreferredNetworkName", R"J({"text":"Office","items":)J" + kThreeNames + R"J(,"enabled":true})J"},
          {"showPreferredEncryptionType", R"J({"index":0,"enabled":true})J"},
          {"showPreferredEncryptionKey", R"J({"text":"","enabled":true})J"}}},
        {"NamedNetworkEnablesNothing",
         file({{"DesiredSSID", "Office"}}),
         {"choose showAnyVsSpecificNetwork 0"},
         {{"showAnyVsSpecificNetwork", R"J({"row":1,"enabled":true})J"},
          {"showPreferredNetworkName", R"J({"text":"Office","items":)J" + kThreeNames + R"J(,"enabled":false})J"},
          {"showPreferredEncryptionType", R"J({"index":0,"enabled":false})J"},
          {"showPreferredEncryptionKey", R"J({"text":"","enabled":false})J"}}},
        {"EmptyNameIsANetwork",
         file({{"DesiredSSID", ""}}),
         {},
         {{"showAnyVsSpecificNetwork", R"J({"row":1,"enabled":true})J"},
          {"showPreferredNetworkName", R"J({"text":"","items":)J" + kThreeNames + R"J(,"enabled":true})J"}}},
        {"LowerCaseAnyIsANetwork",
         file({{"DesiredSSID", "any"}}),
         {},
         {{"showAnyVsSpecificNetwork", R"J({"row":1,"enabled":true})J"},
          {"showPreferredNetworkName", R"J({"text":"any","items":)J" + kThreeNames + R"J(,"enabled":true})J"}}},
        {"NonStringNameCountsAsAbsent",
         rawFile(settingsXml({}, "\t<key>DesiredSSID</key>\n\t<integer>7</integer>\n")),
         {"choose showAnyVsSpecificNetwork 1"},
         {{"showAnyVsSpecificNetwork", R"J({"row":1,"enabled":true})J"},
          {"showPreferredNetworkName", disabledName},
          {"showPreferredEncryptionType", R"J({"index":0,"enabled":false})J"}}},
        {"SwitchesTurnOn",
         file({{"DesiredSSID", "ANY"},
               {"IBSSmode", "YES"},
               {"ShortPreamble", "YES"},
               {"RememberMostRecentSSID", "YES"},
               {"StoreWEPKeysInKeychain", "YES"}}),
         {},
         {{"showIBSSmode", R"J({"state":1,"enabled":true})J"},
          {"showShortPreamble", R"J({"state":1,"enabled":true})J"},
          {"showRememberMRUNetwork", R"J({"state":1,"enabled":true})J"},
          {"showKeychain", R"J({"state":1,"enabled":true})J"}}},
        {"SwitchesAreNeverTurnedOff",
         file({{"DesiredSSID", "ANY"},
               {"IBSSmode", "NO"},
               {"ShortPreamble", "no"},
               {"RememberMostRecentSSID", ""}}),
         kEarlierTurnsEverythingOn,
         {{"showIBSSmode", R"J({"state":1,"enabled":true})J"},
          {"showShortPreamble", R"J({"state":1,"enabled":true})J"},
          {"showRememberMRUNetwork", R"J({"state":1,"enabled":true})J"},
          {"showKeychain", R"J({"state":1,"enabled":true})J"}}},
        {"SwitchesOnlyForExactYes",
         file({{"DesiredSSID", "ANY"}, {"IBSSmode", "yes"}, {"ShortPreamble", "YES "}, {"StoreWEPKeysInKeychain", "Yes"}}),
         {},
         {{"showIBSSmode", R"J({"state":0,"enabled":true})J"},
          {"showShortPreamble", R"J({"state":0,"enabled":true})J"},
          {"showKeychain", R"J({"state":0,"enabled":true})J"}}},
        {"KeyTypePassword",
         file({{"DesiredSSID", "Net"}, {"WEPKeyType", "password"}}),
         {},
         {{"showPreferredEncryptionType", R"J({"index":1,"enabled":true})J"},
          {"keyPrompt", R"J({"text":"Password:","enabled":true})J"},
          {"showKeySyntax", R"J({"text":"(Enter the password for your Apple Airport Base Station)","enabled":true})J"}}},
        {"KeyTypePassword128",
         file({{"DesiredSSID", "Net"}, {"WEPKeyType", "password128"}}),
         {},
         {{"showPreferredEncryptionType", R"J({"index":2,"enabled":true})J"},
          {"keyPrompt", R"J({"text":"Password:","enabled":true})J"},
          {"showKeySyntax", R"J({"text":"(Enter the password for your Apple Airport Base Station)","enabled":true})J"}}},
        {"KeyTypeHex64",
         file({{"DesiredSSID", "Net"}, {"WEPKeyType", "hex64"}, {"WEPKeyValue", "0102030405"}}),
         {},
         {{"showPreferredEncryptionType", R"J({"index":3,"enabled":true})J"},
          {"keyPrompt", R"J({"text":"Key:","enabled":true})J"},
          {"showKeySyntax", R"J({"text":"(Enter key as 10 hex digits)","enabled":true})J"}}},
        {"KeyTypeHex128",
         file({{"DesiredSSID", "Net"}, {"WEPKeyType", "hex128"}, {"WEPKeyValue", "0102030405060708090a0b0c0d"}}),
         {},
         {{"showPreferredEncryptionType", R"J({"index":4,"enabled":true})J"},
          {"keyPrompt", R"J({"text":"Key:","enabled":true})J"},
          {"showKeySyntax", R"J({"text":"(Enter key as 26 hex digits)","enabled":true})J"}}},
        {"KeyTypeAscii64",
         file({{"DesiredSSID", "Net"}, {"WEPKeyType", "ascii64"}, {"WEPKeyValue", "abcde"}}),
         {},
         {{"showPreferredEncryptionType", R"J({"index":5,"enabled":true})J"},
          {"keyPrompt", R"J({"text":"Password:","enabled":true})J"},
          {"showKeySyntax", R"J({"text":"(Enter 5 character password)","enabled":true})J"}}},
        {"KeyTypeAscii128",
         file({{"DesiredSSID", "Net"}, {"WEPKeyType", "ascii128"}, {"WEPKeyValue", "abcdefghijklm"}}),
         {},
         {{"showPreferredEncryptionType", R"J({"index":6,"enabled":true})J"},
          {"keyPrompt", R"J({"text":"Password:","enabled":true})J"},
          {"showKeySyntax", R"J({"text":"(Enter 13 character password)","enabled":true})J"}}},
        {"KeyTypeNoneKeepsThePopUp",
         file({{"DesiredSSID", "Net"}, {"WEPKeyType", "none"}}),
         {"choose showAnyVsSpecificNetwork 1", "choose showPreferredEncryptionType 4",
          "type showPreferredEncryptionKey 0123456789abcdef0123456789"},
         {{"showPreferredEncryptionType", R"J({"index":4,"enabled":true})J"},
          {"keyPrompt", R"J({"text":"Key:","enabled":true})J"},
          {"showKeySyntax", R"J({"text":"(Enter key as 26 hex digits)","enabled":true})J"}}},
        {"KeyTypeInOtherCaseKeepsThePopUp",
         file({{"DesiredSSID", "Net"}, {"WEPKeyType", "HEX64"}}),
         {"choose showAnyVsSpecificNetwork 1", "choose showPreferredEncryptionType 1"},
         {{"showPreferredEncryptionType", R"J({"index":1,"enabled":true})J"},
          {"keyPrompt", R"J({"text":"Password:","enabled":true})J"}}},
        {"StoredKeyShownMasked",
         file({{"DesiredSSID", "Net"}, {"WEPKeyType", "ascii128"}, {"WEPKeyValue", "abcdefghijklm"}}),
         {},
         {{"showPreferredEncryptionKey", R"J({"text":")J" + bullets(13) + R"J(","enabled":true})J"}}},
        {"StoredKeyMaskCountsCharacters",
         file({{"DesiredSSID", "Net"}, {"WEPKeyValue", "caf\xC3\xA9"}}),
         {},
         {{"showPreferredEncryptionKey", R"J({"text":")J" + bullets(4) + R"J(","enabled":true})J"}}},
        {"EmptyStoredKeyEmptiesTheField",
         file({{"DesiredSSID", "Net"}, {"WEPKeyValue", ""}}),
         {"choose showAnyVsSpecificNetwork 1", "type showPreferredEncryptionKey typed"},
         {{"showPreferredEncryptionKey", R"J({"text":"","enabled":true})J"}}},
        {"MultipleKeysOn",
         file({{"DesiredSSID", "ANY"}, {"WEPMultipleKeys", "YES"}}),
         {},
         {{"showUsingMultipleKeys", R"J({"state":1,"enabled":true})J"},
          {"showKey1", R"J({"text":"","enabled":true})J"},
          {"showKey4", R"J({"text":"","enabled":true})J"}}},
        {"MultipleKeysOffDisablesTheKeyFields",
         file({{"DesiredSSID", "ANY"}, {"WEPMultipleKeys", "NO"}}),
         {"click showUsingMultipleKeys", "choose showTxKey 1"},
         {{"showUsingMultipleKeys", R"J({"state":1,"enabled":true})J"},
          {"showKey1", R"J({"text":"","enabled":false})J"},
          {"showKey2", R"J({"text":"","enabled":false})J"},
          {"showKey3", R"J({"text":"","enabled":false})J"},
          {"showKey4", R"J({"text":"","enabled":false})J"},
          {"showTxKey", R"J({"row":1,"enabled":true})J"}}},
        {"MultipleKeysAbsentLeavesAllFive",
         file({{"DesiredSSID", "ANY"}}),
         {"click showUsingMultipleKeys", "click showUsingMultipleKeys", "choose showTxKey 3"},
         {{"showUsingMultipleKeys", R"J({"state":0,"enabled":true})J"},
          {"showKey1", R"J({"text":"","enabled":false})J"},
          {"showKey4", R"J({"text":"","enabled":false})J"},
          {"showTxKey", R"J({"row":3,"enabled":true})J"}}},
        {"StoredMultipleKeysShownMasked",
         file({{"DesiredSSID", "ANY"},
               {"WEPMultipleKeys", "YES"},
               {"WEPKey1", "0102030405"},
               {"WEPKey2", ""},
               {"WEPKey3", "$0102030405060708090a0b0c0d"},
               {"WEPKey4", "0x0102030405"}}),
         {"type showKey2 typed"},
         {{"showKey1", R"J({"text":")J" + bullets(10) + R"J(","enabled":true})J"},
          {"showKey2", R"J({"text":"","enabled":true})J"},
          {"showKey3", R"J({"text":")J" + bullets(27) + R"J(","enabled":true})J"},
          {"showKey4", R"J({"text":")J" + bullets(12) + R"J(","enabled":true})J"}}},
        {"TxKey1", file({{"DesiredSSID", "ANY"}, {"WEPTxKey", "1"}}), {"choose showTxKey 3"},
         {{"showTxKey", R"J({"row":0,"enabled":true})J"}}},
        {"TxKey2", file({{"DesiredSSID", "ANY"}, {"WEPTxKey", "2"}}), {}, {{"showTxKey", R"J({"row":1,"enabled":true})J"}}},
        {"TxKey3", file({{"DesiredSSID", "ANY"}, {"WEPTxKey", "3"}}), {}, {{"showTxKey", R"J({"row":2,"enabled":true})J"}}},
        {"TxKey4", file({{"DesiredSSID", "ANY"}, {"WEPTxKey", "4"}}), {}, {{"showTxKey", R"J({"row":3,"enabled":true})J"}}},
        {"TxKeyWithSpaceAndTail", file({{"DesiredSSID", "ANY"}, {"WEPTxKey", " 3rd"}}), {},
         {{"showTxKey", R"J({"row":2,"enabled":true})J"}}},
        {"TxKey0IsTheFirst", file({{"DesiredSSID", "ANY"}, {"WEPTxKey", "0"}}), {"choose showTxKey 3"},
         {{"showTxKey", R"J({"row":0,"enabled":true})J"}}},
        {"TxKey5IsTheFirst", file({{"DesiredSSID", "ANY"}, {"WEPTxKey", "5"}}), {"choose showTxKey 3"},
         {{"showTxKey", R"J({"row":0,"enabled":true})J"}}},
        {"TxKeyNegativeIsTheFirst", file({{"DesiredSSID", "ANY"}, {"WEPTxKey", "-2"}}), {"choose showTxKey 3"},
         {{"showTxKey", R"J({"row":0,"enabled":true})J"}}},
        {"TxKeyTextIsTheFirst", file({{"DesiredSSID", "ANY"}, {"WEPTxKey", "x"}}), {"choose showTxKey 3"},
         {{"showTxKey", R"J({"row":0,"enabled":true})J"}}},
        {"TxKeyEmptyIsTheFirst", file({{"DesiredSSID", "ANY"}, {"WEPTxKey", ""}}), {"choose showTxKey 3"},
         {{"showTxKey", R"J({"row":0,"enabled":true})J"}}},
        {"TxKeyAbsentLeavesTheRow", file({{"DesiredSSID", "ANY"}}), {"choose showTxKey 3"},
         {{"showTxKey", R"J({"row":3,"enabled":true})J"}}},
    };
}

void PrintTo(const SelectCase& c, std::ostream* out) { *out << c.name; }

class PaneSelect : public PaneScenario, public testing::WithParamInterface<SelectCase> {};

TEST_P(PaneSelect, SetsTheControlsFromTheSettingsFile) {
    const SelectCase& c = GetParam();
    testsupport::SimulatorSession simulator;
    ASSERT_TRUE(simulator.start(baseWorld(kThreeNetworks))) << simulator.process().startError();
    if (c.settings.xml) writeSettingsText(*c.settings.xml);

    Script script;
    std::optional<ReadOnlySettingsFolder> keepFile;
    if (!c.earlier.empty()) {
        keepFile.emplace();
        ASSERT_TRUE(keepFile->active()) << "cannot make the settings folder read-only";
        script.push_back("select");
        script.insert(script.end(), c.earlier.begin(), c.earlier.end());
        script.push_back("leave");
    }
    script.insert(script.end(), {"select", "dump", "leave"});

    const HostRun run = runHost(script, simulator.registry());
    EXPECT_TRUE(run.alerts().empty());
    ASSERT_EQ(run.dumps().size(), 1u);
    for (const auto& [outlet, state] : c.expected) {
        EXPECT_EQ(toJsonText(outletState(run.dumps()[0], outlet)), toJsonText(parsedState(state))) << outlet;
    }
}

INSTANTIATE_TEST_SUITE_P(Rows, PaneSelect, testing::ValuesIn(selectCases()),
                         [](const auto& info) { return info.param.name; });

// ---- The network list ----

struct ListCase {
    std::string name;
    std::optional<std::vector<testsupport::AccessPointSpec>> networks;  // none: no driver
    std::vector<std::string> items;
};

std::vector<testsupport::AccessPointSpec> sixteenNetworks() {
    std::vector<testsupport::AccessPointSpec> networks;
    for (int i = 0; i < 16; ++i) {
        char bssid[32];
        std::snprintf(bssid, sizeof bssid, "00:11:22:33:44:%02X", i);
        networks.push_back({"Net " + std::to_string(i + 1), bssid, 1 + i % 11, 30 + i, 5, std::nullopt});
    }
    return networks;
}

std::vector<std::string> sixteenNames() {
    std::vector<std::string> names;
    for (int i = 0; i < 16; ++i) names.push_back("Net " + std::to_string(i + 1));
    return names;
}

std::vector<ListCase> listCases() {
    return {
        {"ThreeInScanOrder", kThreeNetworks, {"Cafe Open", "Nimbrel Lab", "Office 128"}},
        {"EqualNamesBothListed",
         std::vector<testsupport::AccessPointSpec>{{"Home", "00:00:00:00:00:01", 1, 40, 5, std::nullopt},
                                                   {"Home", "00:00:00:00:00:02", 6, 50, 5, std::nullopt}},
         {"Home", "Home"}},
        {"EightBitName",
         std::vector<testsupport::AccessPointSpec>{{"Caf\xC3\xA9 \xE2\x80\xA2", "00:00:00:00:00:01", 1, 40, 5, std::nullopt}},
         {"Caf\xC3\xA9 \xE2\x80\xA2"}},
        {"SixteenNetworks", sixteenNetworks(), sixteenNames()},
        {"NoNetworks", std::vector<testsupport::AccessPointSpec>{}, {}},
        {"NoDriver", std::nullopt, {}},
    };
}

void PrintTo(const ListCase& c, std::ostream* out) { *out << c.name; }

class PaneNetworkListScan : public PaneScenario, public testing::WithParamInterface<ListCase> {};

TEST_P(PaneNetworkListScan, ListsTheScannedNames) {
    const ListCase& c = GetParam();
    writeSettings({{"DesiredSSID", "Typed Name"}});
    testsupport::SimulatorSession simulator;
    EmptyRegistry noDriver;
    if (c.networks) {
        ASSERT_TRUE(simulator.start(baseWorld(*c.networks))) << simulator.process().startError();
    }
    const HostRun run = runHost({"select", "dump", "leave"}, c.networks ? simulator.registry() : noDriver.path());
    ASSERT_EQ(run.dumps().size(), 1u);
    std::vector<Json> items;
    for (const std::string& item : c.items) items.push_back(Json::string(item));
    EXPECT_EQ(toJsonText(outletState(run.dumps()[0], "showPreferredNetworkName")),
              toJsonText(Json::object({{"text", Json::string("Typed Name")},
                                       {"items", Json::array(items)},
                                       {"enabled", Json::boolean(true)}})));
    if (c.networks) {
        EXPECT_EQ(simulator.journal().named("apScan").size(), 1u);
    }
}

INSTANTIATE_TEST_SUITE_P(Scans, PaneNetworkListScan, testing::ValuesIn(listCases()),
                         [](const auto& info) { return info.param.name; });

// ---- Selecting, leaving and selecting again ----

TEST_F(PaneScenario, SelectLeaveSelectStartsFromScratch) {
    testsupport::SimulatorSession simulator;
    ASSERT_TRUE(simulator.start(baseWorld(kThreeNetworks))) << simulator.process().startError();
    const HostRun run = runHost({"select", "choose showAnyVsSpecificNetwork 1", "type showPreferredNetworkName Office 128",
                                 "choose showPreferredEncryptionType 5", "type showPreferredEncryptionKey abcde", "dump",
                                 "leave", "tick 2", "select", "dump", "leave"},
                                simulator.registry());
    EXPECT_EQ(run.leaves(), (std::vector<bool>{true, true}));
    ASSERT_EQ(run.dumps().size(), 2u);
    // The second selection read the file that the first one's leaving wrote.
    EXPECT_EQ(toJsonText(outletState(run.dumps()[1], "showPreferredEncryptionKey")),
              toJsonText(parsedState(R"J({"text":")J" + bullets(5) + R"J(","enabled":true})J")));
    EXPECT_EQ(toJsonText(outletState(run.dumps()[1], "showPreferredNetworkName")),
              toJsonText(parsedState(R"J({"text":"Office 128","items":)J" + kThreeNames + R"J(,"enabled":true})J")));
    // The report is built anew, not appended to.
    EXPECT_EQ(toJsonText(outletState(run.dumps()[1], "showDiagnosticInfo")),
              toJsonText(outletState(run.dumps()[0], "showDiagnosticInfo")));

    // Two connections opened and closed in turn, one scan and one apply each,
    // and no status reads while the pane was not selected.
    std::vector<std::string> connection;
    for (const std::string& call : journalCalls(simulator.journal())) {
        if (call == "open" || call == "close" || call == "apScan" || call == "getPrefs" || call == "setPrefs")
            connection.push_back(call);
    }
    EXPECT_EQ(connection, (std::vector<std::string>{"open", "apScan", "getPrefs", "setPrefs", "close", "open", "apScan",
                                                    "getPrefs", "setPrefs", "close"}));
    const std::vector<std::string> calls = journalCalls(simulator.journal());
    ASSERT_FALSE(calls.empty());
    EXPECT_EQ(calls.back(), "close");
    const auto firstClose = std::find(calls.begin(), calls.end(), "close");
    ASSERT_NE(firstClose, calls.end());
    ASSERT_NE(firstClose + 1, calls.end());
    EXPECT_EQ(*(firstClose + 1), "open") << "the status was read while the pane was not selected";
}

}  // namespace
}  // namespace pane_test
