// The editing actions: what the network choice, the key type and the
// multiple-keys box change in the other controls, the web-site button, and
// the actions that change nothing else.
#include <gtest/gtest.h>

#include "tests/pane/PaneHarness.h"

namespace pane_test {
namespace {

std::string bullets(int count) {
    std::string text;
    for (int i = 0; i < count; ++i) text += "\xE2\x80\xA2";
    return text;
}

std::string field(const std::string& text, bool enabled) {
    return R"J({"text":")J" + text + R"J(","enabled":)J" + (enabled ? "true" : "false") + "}";
}
std::string names(const std::string& text, bool enabled) {
    return R"J({"text":")J" + text + R"J(","items":[],"enabled":)J" + (enabled ? "true" : "false") + "}";
}
std::string item(int index, bool enabled) {
    return R"J({"index":)J" + std::to_string(index) + R"J(,"enabled":)J" + (enabled ? "true" : "false") + "}";
}

struct Step {
    std::string command;
    std::map<std::string, std::string> expected;  // outlet: its state after the command
};

struct ActionCase {
    std::string name;
    std::optional<Settings> file;
    std::vector<Step> steps;
};

void PrintTo(const ActionCase& c, std::ostream* out) { *out << c.name; }

const std::string kPasswordHint = "(Enter the password for your Apple Airport Base Station)";

std::map<std::string, std::string> prompt(const std::string& label, const std::string& hint) {
    return {{"keyPrompt", field(label, true)}, {"showKeySyntax", field(hint, true)},
            {"showPreferredEncryptionKey", field("abc", true)}};
}

std::vector<ActionCase> actionCases() {
    const Settings office = {{"DesiredSSID", "Office"}, {"WEPKeyType", "hex64"}, {"WEPKeyValue", "0123456789"}};
    return {
        {"AnyNetworkDisablesAndKeepsContents",
         office,
         {{"type showPreferredNetworkName Other", {}},
          {"choose showAnyVsSpecificNetwork 0",
           {{"showPreferredNetworkName", names("Other", false)},
            {"showPreferredEncryptionType", item(3, false)},
            {"showPreferredEncryptionKey", field(bullets(10), false)},
            {"showUsingMultipleKeys", R"J({"state":0,"enabled":true})J"},
            {"showKey1", field("", true)},
            {"showTxKey", R"J({"row":0,"enabled":true})J"}}},
          {"choose showAnyVsSpecificNetwork 1",
           {{"showPreferredNetworkName", names("Other", true)},
            {"showPreferredEncryptionType", item(3, true)},
            {"showPreferredEncryptionKey", field(bullets(10), true)}}}}},
        {"NamedNetworkEnablesWhatSelectingDisabled",
         std::nullopt,
         {{"choose showAnyVsSpecificNetwork 1",
           {{"showPreferredNetworkName", names("", true)},
            {"showPreferredEncryptionType", item(0, true)},
            {"showPreferredEncryptionKey", field("", true)}}}}},
        {"MultipleKeysOnWithAnyNetwork",
         Settings{{"DesiredSSID", "ANY"}, {"WEPMultipleKeys", "NO"}},
         {{"click showUsingMultipleKeys",
           {{"showUsingMultipleKeys", R"J({"state":1,"enabled":true})J"},
            {"showKey1", field("", true)},
            {"showKey2", field("", true)},
            {"showKey3", field("", true)},
            {"showKey4", field("", true)},
            {"showPreferredNetworkName", names("", false)}}}}},
        {"MultipleKeysOffDisablesTheKeyFieldsOnly",
         Settings{{"DesiredSSID", "ANY"}, {"WEPMultipleKeys", "YES"}, {"WEPKey1", "0102030405"}},
         {{"choose showTxKey 2", {}},
          {"click showUsingMultipleKeys",
           {{"showUsingMultipleKeys", R"J({"state":0,"enabled":true})J"},
            {"showKey1", field(bullets(10), false)},
            {"showKey4", field("", false)},
            {"showTxKey", R"J({"row":2,"enabled":true})J"}}}}},
        {"KeyTypeSetsPromptAndHint",
         Settings{{"DesiredSSID", "Net"}},
         {{"type showPreferredEncryptionKey abc", {}},
          {"choose showPreferredEncryptionType 1", prompt("Password:", kPasswordHint)},
          {"choose showPreferredEncryptionType 2", prompt("Password:", kPasswordHint)},
          {"choose showPreferredEncryptionType 0", prompt("Key:", "")},
          {"choose showPreferredEncryptionType 3", prompt("Key:", "(Enter key as 10 hex digits)")},
          {"choose showPreferredEncryptionType 4", prompt("Key:", "(Enter key as 26 hex digits)")},
          {"choose showPreferredEncryptionType 5", prompt("Password:", "(Enter 5 character password)")},
          {"choose showPreferredEncryptionType 6", prompt("Password:", "(Enter 13 character password)")},
          {"choose showPreferredEncryptionType 0", prompt("Key:", "")}}},
    };
}

class PaneActions : public PaneScenario, public testing::WithParamInterface<ActionCase> {};

TEST_P(PaneActions, KeepTheControlsConsistent) {
    const ActionCase& c = GetParam();
    testsupport::SimulatorSession simulator;
    ASSERT_TRUE(simulator.start(baseWorld())) << simulator.process().startError();
    if (c.file) writeSettings(*c.file);
    Script script = {"select"};
    for (const Step& step : c.steps) script.insert(script.end(), {step.command, "dump"});
    script.push_back("leave");
    const HostRun run = runHost(script, simulator.registry());
    EXPECT_TRUE(run.alerts().empty());
    ASSERT_EQ(run.dumps().size(), c.steps.size());
    for (std::size_t i = 0; i < c.steps.size(); ++i) {
        for (const auto& [outlet, state] : c.steps[i].expected) {
            EXPECT_EQ(toJsonText(outletState(run.dumps()[i], outlet)), toJsonText(parsedState(state)))
                << "after " << c.steps[i].command << ": " << outlet;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Edits, PaneActions, testing::ValuesIn(actionCases()),
                         [](const auto& info) { return info.param.name; });

TEST_F(PaneScenario, WebSiteButtonOpensTheHomePage) {
    EmptyRegistry noDriver;
    const HostRun run = runHost({"select", "dump", "press visitWebSite:", "dump", "leave"}, noDriver.path());
    EXPECT_EQ(run.openedAddresses(), std::vector<std::string>{"https://www.nimbrel.example/"});
    ASSERT_EQ(run.dumps().size(), 2u);
    EXPECT_EQ(toJsonText(run.dumps()[1]), toJsonText(run.dumps()[0]));
}

// Each of these changes its own control and nothing else in the pane.
struct InertEdit {
    std::string command;
    std::string outlet;
};

TEST_F(PaneScenario, OtherEditsChangeNothingElse) {
    writeSettings({{"DesiredSSID", "Net"}, {"WEPMultipleKeys", "YES"}});
    EmptyRegistry noDriver;
    const std::vector<InertEdit> edits = {
        {"type showPreferredEncryptionKey secret", "showPreferredEncryptionKey"},
        {"type showPreferredNetworkName Elsewhere", "showPreferredNetworkName"},
        {"type showKey1 0102030405", "showKey1"},
        {"type showKey2 0102030405", "showKey2"},
        {"type showKey3 0102030405", "showKey3"},
        {"type showKey4 0102030405", "showKey4"},
        {"choose showTxKey 3", "showTxKey"},
        {"click showIBSSmode", "showIBSSmode"},
        {"click showShortPreamble", "showShortPreamble"},
        {"click showKeychain", "showKeychain"},
        {"click showRememberMRUNetwork", "showRememberMRUNetwork"},
    };
    Script script = {"select", "dump"};
    for (const InertEdit& edit : edits) script.insert(script.end(), {edit.command, "dump"});
    script.push_back("leave");
    const HostRun run = runHost(script, noDriver.path());
    ASSERT_EQ(run.dumps().size(), edits.size() + 1);
    for (std::size_t i = 0; i < edits.size(); ++i) {
        std::map<std::string, Json> before = run.dumps()[i].members();
        std::map<std::string, Json> after = run.dumps()[i + 1].members();
        EXPECT_NE(toJsonText(before[edits[i].outlet]), toJsonText(after[edits[i].outlet])) << edits[i].command;
        before.erase(edits[i].outlet);
        after.erase(edits[i].outlet);
        EXPECT_EQ(toJsonText(Json::object(before)), toJsonText(Json::object(after))) << edits[i].command;
    }
}

}  // namespace
}  // namespace pane_test
