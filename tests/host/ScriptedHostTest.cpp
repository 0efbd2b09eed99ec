// PreferencesHost in scripted mode, run as a program on the test pane: every
// command, the JSON lines, alerts, refused leaving, timer ticks, screenshots,
// and the script and bundle errors with their status and message.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <sstream>

#include "tests/support/CardSimulatorProcess.h"

namespace {

namespace fs = std::filesystem;

const std::string kHost = NIMBREL_HOST_PATH;
const std::string kTestPanes = NIMBREL_HOST_TEST_PANES;
const std::string kNoFactoryLibrary = NIMBREL_HOST_NO_FACTORY_LIBRARY;
const std::string kVersion = NIMBREL_PROJECT_VERSION;
const std::string kPaneName = "HostTestPane";
const std::string kBundleFolder = "HostTestPane.prefPane";

constexpr int kSucceeded = 0;
constexpr int kScriptError = 2;

struct HostRun {
    testsupport::ProgramResult result;
    std::vector<std::string> lines;  // standard output
};

std::vector<std::string> splitLines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

HostRun runHost(const std::string& script, std::vector<std::string> arguments = {},
                const std::string& panes = kTestPanes) {
    testsupport::TemporaryFolder folder;
    std::string scriptPath = folder.file("script.txt");
    EXPECT_TRUE(testsupport::writeTextFile(scriptPath, script));
    bool namesPane = false;
    for (const std::string& argument : arguments) namesPane = namesPane || argument == "--pane";
    if (!namesPane) arguments.insert(arguments.end(), {"--pane", kPaneName});
    arguments.insert(arguments.end(), {"--panes", panes, "--script", scriptPath});
    HostRun run{testsupport::runProgram(kHost, arguments), {}};
    run.lines = splitLines(run.result.standardOutput);
    return run;
}

// One expected output line: the whole line, or pieces of it.
struct Expect {
    bool whole;
    std::vector<std::string> texts;
};
Expect line(std::string text) {
    return {true, {std::move(text)}};
}
Expect lineWith(std::string piece, std::string another = {}) {
    Expect expect{false, {std::move(piece)}};
    if (!another.empty()) expect.texts.push_back(std::move(another));
    return expect;
}

void expectLines(const std::vector<std::string>& lines, const std::vector<Expect>& expected) {
    ASSERT_EQ(lines.size(), expected.size()) << testing::PrintToString(lines);
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (expected[i].whole) {
            EXPECT_EQ(lines[i], expected[i].texts.front()) << "line " << i;
            continue;
        }
        for (const std::string& piece : expected[i].texts)
            EXPECT_NE(lines[i].find(piece), std::string::npos) << "line " << i << " lacks " << piece << ": " << lines[i];
    }
}

const std::string kLeft = R"({"leave":true})";
const std::string kStayed = R"({"leave":false})";
const std::string kLeaveAlert =
    R"({"alert":{"title":"Cannot leave","message":"Turn off \"Refuse leaving\" first.","buttons":["OK"]}})";

// The test pane right after its first selection: its interface's initial
// states, and what its willSelect sets.
std::string initialDump() {
    return R"({"dump":{"textField":{"text":"","enabled":true},)"
           R"("eventLog":{"text":"willSelect","enabled":true},)"
           R"("versionField":{"text":")" + kVersion + R"(","enabled":true},)"
           R"("registryField":{"text":"/run/iokit","enabled":true},)"
           R"("checkBox":{"state":0,"enabled":true},"refuseLeaving":{"state":0,"enabled":true},)"
           R"("matrix":{"row":0,"enabled":true},"popUp":{"index":0,"enabled":true},)"
           "\"comboBox\":{\"text\":\"Office\",\"items\":[\"Alpha\",\"Beta\",\"Caf\xc3\xa9\"],\"enabled\":true},"
           R"("progress":{"value":42.5},"alertButton":{"enabled":true},"timerButton":{"enabled":true},)"
           R"("disabledButton":{"enabled":false}}})";
}

// ----------------------------------------------------------------- commands

struct ScriptCase {
    const char* name;
    std::string script;
    std::vector<Expect> output;
    std::vector<std::string> arguments = {};
};

void PrintTo(const ScriptCase& c, std::ostream* os) {
    *os << c.name;
}

class HostScripted : public testing::TestWithParam<ScriptCase> {};

TEST_P(HostScripted, PrintsTheExpectedLines) {
    HostRun run = runHost(GetParam().script, GetParam().arguments);
    EXPECT_TRUE(run.result.exited);
    EXPECT_EQ(run.result.exitStatus, kSucceeded) << run.result.standardError;
    EXPECT_EQ(run.result.standardError, "");
    expectLines(run.lines, GetParam().output);
}

INSTANTIATE_TEST_SUITE_P(
    Commands, HostScripted,
    testing::Values(
        ScriptCase{"SelectThenDumpShowsEveryOutletInDeclaredOrder", "select\ndump\n",
                   {line(initialDump()), line(kLeft)}},
        ScriptCase{"NothingSelectedNothingPrinted", "# only a comment\n\n", {}},
        ScriptCase{"TypeSetsTheTextWithEscapesAndEndsEditing",
                   "select\ntype textField Hello\\tworld\\r!\ndump\n",
                   {lineWith(R"("textField":{"text":"Hello\tworld\r!","enabled":true})",
                             R"("eventLog":{"text":"willSelect\rtextChanged: from text field","enabled":true})"),
                    line(kLeft)}},
        ScriptCase{"TypeWithNothingAfterTheSpaceEmptiesTheField",
                   "select\ntype textField x y\ntype textField \ndump\n",
                   {lineWith(R"("textField":{"text":"","enabled":true})"), line(kLeft)}},
        ScriptCase{"TypeIntoTheComboBoxKeepsItsList", "select\ntype comboBox Home Net\ndump\n",
                   {lineWith("\"comboBox\":{\"text\":\"Home Net\",\"items\":[\"Alpha\",\"Beta\",\"Caf\xc3\xa9\"],"
                             "\"enabled\":true}"),
                    line(kLeft)}},
        ScriptCase{"ClickTogglesTheCheckBoxAndSendsItsAction", "select\nclick checkBox\ndump\nclick checkBox\ndump\n",
                   {lineWith(R"("checkBox":{"state":1,"enabled":true})"),
                    lineWith(R"("checkBox":{"state":0,"enabled":true})"), line(kLeft)}},
        ScriptCase{"ChooseSelectsTheRow", "select\nchoose matrix 1\ndump\n",
                   {lineWith(R"("matrix":{"row":1,"enabled":true})"), line(kLeft)}},
        ScriptCase{"ChooseSelectsThePopUpItem", "select\nchoose popUp 2\ndump\n",
                   {lineWith(R"("popUp":{"index":2,"enabled":true})"), line(kLeft)}},
        ScriptCase{"PressSendsAnActionThatNoOutletCarries", "select\npress visitWebSite:\n",
                   {line(R"({"open":"http://www.example.com/nimbrel?a=1&b=2"})"), line(kLeft)}},
        ScriptCase{"PressSendsAsTheControlWithoutChangingIt", "select\npress checkBoxChanged:\ndump\n",
                   {lineWith(R"("checkBox":{"state":0,"enabled":true})"), line(kLeft)}},
        ScriptCase{"AlertIsPrintedAndAnsweredWithItsButton", "select\nclick alertButton\ndump\n",
                   {line("{\"alert\":{\"title\":\"Caf\xc3\xa9 \\\"Test\\\"\",\"message\":\"First line\\rSecond "
                         "line\\tend\",\"buttons\":[\"OK\"]}}"),
                    lineWith(R"("eventLog":{"text":"willSelect\ralert answered","enabled":true})"), line(kLeft)}},
        ScriptCase{"RefusedLeavingKeepsThePaneSelected",
                   "select\nclick refuseLeaving\nleave\ndump\nclick refuseLeaving\nleave\ndump\n",
                   {line(kLeaveAlert), line(kStayed), lineWith(R"("eventLog":{"text":"willSelect","enabled":true})"),
                    line(kLeft), lineWith(R"("eventLog":{"text":"willSelect\rdidUnselect","enabled":true})")}},
        ScriptCase{"EndOfScriptLeavesAsLeaveDoes", "select\nclick refuseLeaving\n",
                   {line(kLeaveAlert), line(kStayed)}},
        ScriptCase{"LeaveOnceNoLeaveAtTheEnd", "select\nleave\n", {line(kLeft)}},
        ScriptCase{"SelectingAgainKeepsTheControlsAsLeft", "select\nclick checkBox\nleave\nselect\ndump\n",
                   {line(kLeft),
                    lineWith(R"("eventLog":{"text":"willSelect\rcheckBoxChanged: from check box\rdidUnselect\r)"
                             R"(willSelect","enabled":true},)"),
                    line(kLeft)}},
        ScriptCase{"SelectingTheSelectedPaneDoesNothing", "select\nselect\ndump\n",
                   {lineWith(R"("eventLog":{"text":"willSelect","enabled":true})"), line(kLeft)}},
        ScriptCase{"RegistryIsPassedToThePane", "select\ndump\n",
                   {lineWith(R"("registryField":{"text":"/tmp/other registry","enabled":true})"), line(kLeft)},
                   {"--registry", "/tmp/other registry"}},
        ScriptCase{"PaneNamedByItsFolder", "select\ndump\n",
                   {lineWith(R"("eventLog":{"text":"willSelect","enabled":true})"), line(kLeft)},
                   {"--pane", "HostTestPane.prefPane"}}),
    [](const auto& info) { return std::string(info.param.name); });

// The combo box case above also checks that typing into it sent its own
// action, not the text field's.
TEST(HostScriptedActions, EachControlSendsItsActionWithItselfAsSender) {
    HostRun run = runHost(
        "select\ntype textField a\nclick checkBox\nchoose matrix 1\nchoose popUp 1\ntype comboBox b\ndump\n");
    ASSERT_EQ(run.result.exitStatus, kSucceeded) << run.result.standardError;
    expectLines(run.lines, {lineWith(R"("eventLog":{"text":"willSelect\r)"
                                     R"(textChanged: from text field\r)"
                                     R"(checkBoxChanged: from check box\r)"
                                     R"(matrixChanged: from radio matrix\r)"
                                     R"(popUpChanged: from pop-up button\r)"
                                     R"(comboChanged: from combo box","enabled":true})"),
                            line(kLeft)});
}

// ------------------------------------------------------------------- timer

std::optional<double> progressValue(const std::string& dump) {
    const std::string key = R"("progress":{"value":)";
    std::size_t at = dump.find(key);
    if (at == std::string::npos) return std::nullopt;
    std::size_t end = dump.find('}', at);
    return std::stod(dump.substr(at + key.size(), end - at - key.size()));
}

TEST(HostScriptedTimer, TicksRunTheTimerUntilThePaneStopsIt) {
    // The pane's timer counts its ticks in the progress indicator, every
    // 0.5 s: within 3 ticks of the loop it fires at least once and at most
    // three times; once the pane has stopped it, it fires no more.
    HostRun run = runHost("select\nclick timerButton\ntick 3\ndump\nleave\ndump\ntick 2\ndump\n");
    ASSERT_EQ(run.result.exitStatus, kSucceeded) << run.result.standardError;
    ASSERT_EQ(run.lines.size(), 4u);
    std::optional<double> running = progressValue(run.lines[0]);
    std::optional<double> left = progressValue(run.lines[2]);
    std::optional<double> later = progressValue(run.lines[3]);
    ASSERT_TRUE(running && left && later);
    EXPECT_GE(*running, 1);
    EXPECT_LE(*running, 3);
    EXPECT_EQ(run.lines[1], kLeft);
    EXPECT_EQ(*later, *left);
}

TEST(HostScriptedTimer, NoTimeRunsOutsideTick) {
    HostRun run = runHost("select\nclick timerButton\ndump\ntick 0\ndump\n");
    ASSERT_EQ(run.result.exitStatus, kSucceeded) << run.result.standardError;
    ASSERT_EQ(run.lines.size(), 3u);
    EXPECT_EQ(progressValue(run.lines[0]), 0.0);
    EXPECT_EQ(progressValue(run.lines[1]), 0.0);
}

// -------------------------------------------------------------- screenshot

uint32_t bigEndian32(const std::string& bytes, std::size_t at) {
    uint32_t value = 0;
    for (std::size_t i = 0; i < 4; ++i) value = value << 8 | static_cast<unsigned char>(bytes[at + i]);
    return value;
}

TEST(HostScriptedScreenshot, WritesAPngOfTheWindow) {
    testsupport::TemporaryFolder folder;
    std::string shot = folder.file("pane shot.png");
    HostRun run = runHost("select\nscreenshot " + shot + "\n");
    ASSERT_EQ(run.result.exitStatus, kSucceeded) << run.result.standardError;
    std::ifstream in(shot, std::ios::binary);
    std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    ASSERT_GE(bytes.size(), 33u);
    EXPECT_EQ(bytes.substr(0, 8), std::string("\x89PNG\r\n\x1a\n", 8));
    EXPECT_EQ(bigEndian32(bytes, 8), 13u);  // the IHDR chunk comes first, 13 bytes long
    EXPECT_EQ(bytes.substr(12, 4), "IHDR");
    // A window with the pane in it: wider and taller than a few pixels.
    EXPECT_GT(bigEndian32(bytes, 16), 100u);
    EXPECT_GT(bigEndian32(bytes, 20), 100u);
}

// ----------------------------------------------------------- script errors

struct ErrorCase {
    const char* name;
    std::string script;
    std::string error;  // all of standard error
    std::vector<Expect> output = {};
    std::vector<std::string> arguments = {};
};

void PrintTo(const ErrorCase& c, std::ostream* os) {
    *os << c.name;
}

class HostScriptErrors : public testing::TestWithParam<ErrorCase> {};

TEST_P(HostScriptErrors, StopWithTheLineAndStatusTwo) {
    HostRun run = runHost(GetParam().script, GetParam().arguments);
    EXPECT_TRUE(run.result.exited);
    EXPECT_EQ(run.result.exitStatus, kScriptError);
    EXPECT_EQ(run.result.standardError, GetParam().error);
    expectLines(run.lines, GetParam().output);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, HostScriptErrors,
    testing::Values(
        ErrorCase{"UnknownCommandCountsBlankAndCommentLines", "select\n\n# note\nfrobnicate now\nleave\n",
                  "error: line 4: unknown command frobnicate\n"},
        ErrorCase{"OutputBeforeTheErrorStays", "select\ndump\nbogus\n", "error: line 3: unknown command bogus\n",
                  {lineWith(R"("eventLog":{"text":"willSelect","enabled":true})")}},
        ErrorCase{"UnknownOutlet", "select\nclick noSuchOutlet\n", "error: line 2: unknown outlet noSuchOutlet\n"},
        ErrorCase{"ClickOnATextField", "select\nclick textField\n",
                  "error: line 2: cannot click textField: it is a text field\n"},
        ErrorCase{"ClickOnAMatrix", "select\nclick matrix\n",
                  "error: line 2: cannot click matrix: it is a radio matrix\n"},
        ErrorCase{"ChooseInACheckBox", "select\nchoose checkBox 1\n",
                  "error: line 2: cannot choose in checkBox: it is a check box\n"},
        ErrorCase{"TypeIntoACheckBox", "select\ntype checkBox on\n",
                  "error: line 2: cannot type into checkBox: it is a check box\n"},
        ErrorCase{"TypeIntoALabel", "select\ntype versionField 2.0\n",
                  "error: line 2: cannot type into versionField: it is a text field that cannot be edited\n"},
        ErrorCase{"ClickOnADisabledButton", "select\nclick disabledButton\n",
                  "error: line 2: disabledButton is disabled\n"},
        ErrorCase{"PressOnADisabledControl", "select\npress neverSent:\n",
                  "error: line 2: disabledButton is disabled\n"},
        ErrorCase{"ChooseADisabledRow", "select\nchoose matrix 2\n", "error: line 2: row 2 of matrix is disabled\n"},
        ErrorCase{"ChooseANonexistentRow", "select\nchoose matrix 3\n", "error: line 2: matrix has no row 3\n"},
        ErrorCase{"ChooseANonexistentItem", "select\nchoose popUp 3\n", "error: line 2: popUp has no item 3\n"},
        ErrorCase{"ChooseWithoutANumber", "select\nchoose popUp first\n",
                  "error: line 2: not a row or item number: first\n"},
        ErrorCase{"UnknownAction", "select\npress noSuchAction:\n", "error: line 2: unknown action noSuchAction:\n"},
        ErrorCase{"CommandBeforeSelecting", "click checkBox\n", "error: line 1: no pane is selected\n"},
        ErrorCase{"LeaveBeforeSelecting", "leave\n", "error: line 1: no pane is selected\n"},
        ErrorCase{"DumpBeforeSelecting", "dump\n", "error: line 1: no pane has been selected\n"},
        ErrorCase{"TickWithoutCount", "select\ntick\n", "error: line 2: usage: tick N\n"},
        ErrorCase{"TickWithANegativeCount", "select\ntick -1\n", "error: line 2: not a number of ticks: -1\n"},
        ErrorCase{"ScreenshotWhereNothingCanBeWritten", "select\nscreenshot /nonexistent-folder/shot.png\n",
                  "error: line 2: cannot write the screenshot /nonexistent-folder/shot.png\n"},
        ErrorCase{"PaneNotInstalled", "select\n", "error: line 1: no pane named NoSuchPane in " + kTestPanes + "\n",
                  {}, {"--pane", "NoSuchPane"}}),
    [](const auto& info) { return std::string(info.param.name); });

// ----------------------------------------------------------- bundle errors

void copyBundle(const std::string& into) {
    fs::create_directories(into);
    fs::copy(fs::path(kTestPanes) / kBundleFolder, fs::path(into) / kBundleFolder, fs::copy_options::recursive);
}

std::string readText(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Info.plist written out by hand from the keys given.
std::string infoPlist(const std::vector<std::pair<std::string, std::string>>& keys) {
    std::string xml =
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
        "<!DOCTYPE plist PUBLIC \"-//Apple//DTD PLIST 1.0//EN\" \"http://www.apple.com/DTDs/PropertyList-1.0.dtd\">\n"
        "<plist version=\"1.0\">\n<dict>\n";
    for (const auto& [key, value] : keys) xml += "\t<key>" + key + "</key>\n\t<string>" + value + "</string>\n";
    return xml + "</dict>\n</plist>\n";
}

std::vector<std::pair<std::string, std::string>> infoWith(const std::string& key, const std::string& value) {
    std::vector<std::pair<std::string, std::string>> keys = {
        {"CFBundleIdentifier", "com.nimbrel.tests.HostTestPane"}, {"CFBundleName", "HostTestPane"},
        {"CFBundleVersion", kVersion},                            {"CFBundleExecutable", "HostTestPane"},
        {"NSPrincipalClass", "NimbrelHostTestPane"},              {"NSMainNibFile", "HostTestPane"},
    };
    std::erase_if(keys, [&](const auto& entry) { return entry.first == key; });
    if (!value.empty()) keys.emplace_back(key, value);
    return keys;
}

using Mutation = std::function<void(const fs::path& bundle)>;

Mutation removing(std::string piece) {
    return [piece](const fs::path& bundle) { fs::remove(bundle / piece); };
}
Mutation writing(std::string piece, std::string text) {
    return [piece, text](const fs::path& bundle) {
        ASSERT_TRUE(testsupport::writeTextFile((bundle / piece).string(), text));
    };
}
Mutation replacingInInterface(std::string from, std::string to) {
    return [from, to](const fs::path& bundle) {
        fs::path ui = bundle / "Contents/Resources/HostTestPane.ui";
        std::string text = readText(ui);
        std::size_t at = text.find(from);
        ASSERT_NE(at, std::string::npos) << from;
        text.replace(at, from.size(), to);
        ASSERT_TRUE(testsupport::writeTextFile(ui.string(), text));
    };
}

struct BundleCase {
    const char* name;
    Mutation mutate;
    std::string message;  // after "error: line 1: HostTestPane.prefPane: "
    bool messageGoesOn = false;  // the system's own reason follows
};

void PrintTo(const BundleCase& c, std::ostream* os) {
    *os << c.name;
}

class HostBundleErrors : public testing::TestWithParam<BundleCase> {};

TEST_P(HostBundleErrors, AreReportedOnStandardErrorWithoutACrash) {
    testsupport::TemporaryFolder folder;
    std::string panes = folder.file("panes");
    copyBundle(panes);
    GetParam().mutate(fs::path(panes) / kBundleFolder);
    HostRun run = runHost("select\n", {}, panes);
    EXPECT_TRUE(run.result.exited);
    EXPECT_EQ(run.result.exitStatus, kScriptError);
    std::string expected = "error: line 1: " + kBundleFolder + ": " + GetParam().message;
    const std::string& error = run.result.standardError;
    if (GetParam().messageGoesOn) {
        EXPECT_TRUE(error.starts_with(expected)) << error;
        EXPECT_EQ(std::count(error.begin(), error.end(), '\n'), 1) << error;
    } else {
        EXPECT_EQ(error, expected + "\n");
    }
    EXPECT_EQ(run.result.standardOutput, "");
}

const std::string kInfo = "Contents/Info.plist";
const std::string kLibrary = "Contents/MacOS/HostTestPane";
const std::string kInterface = "Contents/Resources/HostTestPane.ui";

INSTANTIATE_TEST_SUITE_P(
    Cases, HostBundleErrors,
    testing::Values(
        BundleCase{"NoInfoPlist", removing(kInfo), "Contents/Info.plist is missing or is not a property list"},
        BundleCase{"InfoPlistNotAPropertyList", writing(kInfo, "not a plist"),
                   "Contents/Info.plist is missing or is not a property list"},
        BundleCase{"NoExecutableKey", writing(kInfo, infoPlist(infoWith("CFBundleExecutable", ""))),
                   "Info.plist has no CFBundleExecutable"},
        BundleCase{"ExecutableOutsideTheBundle",
                   writing(kInfo, infoPlist(infoWith("CFBundleExecutable", "../../HostTestPane"))),
                   "Info.plist's CFBundleExecutable \"../../HostTestPane\" is not a file name"},
        BundleCase{"NoPrincipalClassKey", writing(kInfo, infoPlist(infoWith("NSPrincipalClass", ""))),
                   "Info.plist has no NSPrincipalClass"},
        BundleCase{"NoMainNibFileKey", writing(kInfo, infoPlist(infoWith("NSMainNibFile", ""))),
                   "Info.plist has no NSMainNibFile"},
        BundleCase{"NoLibrary", removing(kLibrary), "the library Contents/MacOS/HostTestPane is missing"},
        BundleCase{"LibraryNotALibrary", writing(kLibrary, "#!/bin/sh\n"),
                   "cannot load Contents/MacOS/HostTestPane: ", true},
        BundleCase{"LibraryWithoutTheFactory",
                   [](const fs::path& bundle) {
                       fs::copy_file(kNoFactoryLibrary, bundle / kLibrary, fs::copy_options::overwrite_existing);
                   },
                   "Contents/MacOS/HostTestPane does not export NimbrelCreatePreferencePane"},
        BundleCase{"OtherPrincipalClass", writing(kInfo, infoPlist(infoWith("NSPrincipalClass", "SomeOtherPane"))),
                   "Contents/MacOS/HostTestPane has no principal class SomeOtherPane"},
        BundleCase{"NoInterface", removing(kInterface),
                   "the interface description Contents/Resources/HostTestPane.ui is missing"},
        BundleCase{"UndeclaredOutlet",
                   replacingInInterface(R"(<widget class="QPushButton" name="visitButton">)",
                                        R"(<widget class="QPushButton" name="strayOutlet">)"
                                        R"(<property name="outlet" stdset="0"><bool>true</bool></property>)"),
                   "the interface has the outlet strayOutlet, which NimbrelHostTestPane does not declare"},
        BundleCase{"UndeclaredAction",
                   replacingInInterface("<string>visitWebSite:</string>", "<string>noSuchAction:</string>"),
                   "the interface has the action noSuchAction: (on visitButton), which NimbrelHostTestPane does "
                   "not declare"},
        BundleCase{"OutletOfTheWrongKind",
                   replacingInInterface(R"(<widget class="QCheckBox" name="checkBox">)",
                                        R"(<widget class="QLineEdit" name="checkBox">)"),
                   "the outlet checkBox is a check box, but the interface has a text field (QLineEdit) there"},
        BundleCase{"OutletWithoutAControl",
                   replacingInInterface(R"(name="progress")", R"(name="progressBar")"),
                   "the interface has no control for the outlet progress"},
        BundleCase{"MatrixWithoutItsKind",
                   replacingInInterface(R"(<property name="controlKind" stdset="0"><string>matrix</string></property>)",
                                        ""),
                   "the outlet matrix is a radio matrix, but the interface has a QGroupBox there (a radio matrix "
                   "is a container with the property controlKind = matrix)"},
        BundleCase{"ActionOnAWidgetThatIsNoControl",
                   replacingInInterface(R"(<widget class="QWidget" name="HostTestPane">)",
                                        R"(<widget class="QWidget" name="HostTestPane">)"
                                        R"(<property name="action" stdset="0"><string>neverSent:</string></property>)"),
                   "HostTestPane (QWidget) is no control and cannot send neverSent:"}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
