// The status display and the diagnostics report on the simulated card, with
// the records that the pane read as the simulator's journal shows them.
#include <gtest/gtest.h>

#include "tests/pane/PaneHarness.h"

namespace pane_test {
namespace {

using Bytes = std::vector<uint8_t>;

// Record numbers as the journal prints them.
const std::string kMAC = "getRID fc01";
const std::string kPRI = "getRID fd02";
const std::string kSerial = "getRID fd0a";
const std::string kNIC = "getRID fd0b";
const std::string kSTA = "getRID fd20";
const std::string kSymbol = "getRID fd24";
const std::string kPortStatus = "getRID fd40";
const std::string kSSID = "getRID fd41";
const std::string kBSSID = "getRID fd42";
const std::string kQuality = "getRID fd43";
const std::string kRate = "getRID fd44";
const std::string kChannel = "getRID fdc1";

std::string failed(const std::string& call) { return call + " failed"; }

// The calls of the first selection, from the connection to the scan.
std::vector<std::string> selectionCalls(const testsupport::Journal& journal) {
    std::vector<std::string> calls;
    for (const std::string& call : journalCalls(journal)) {
        calls.push_back(call);
        if (call == "apScan") break;
    }
    return calls;
}

std::vector<std::string> joined(std::vector<std::vector<std::string>> parts) {
    std::vector<std::string> all;
    for (const auto& part : parts) all.insert(all.end(), part.begin(), part.end());
    return all;
}

const std::vector<std::string> kIntersilDiagnostics = {kMAC, kNIC, kPRI, kSTA, kSymbol};

// An Intersil card whose link records are fixed: joined to "Office" through
// 00:11:22:AA:BB:CC on channel 6, signal 42, 11 Mbit/s.
std::map<uint16_t, Bytes> joinedRecords() {
    return {
        {0xFD40, {4, 0}},
        {0xFD41, {6, 0, 'O', 'f', 'f', 'i', 'c', 'e'}},
        {0xFD42, {0x00, 0x11, 0x22, 0xAA, 0xBB, 0xCC}},
        {0xFDC1, {6, 0}},
        {0xFD43, {0x10, 0x00, 42, 0}},
        {0xFD44, {8, 0}},
    };
}

struct StatusCase {
    std::string name;
    int64_t hardwareType;
    std::map<uint16_t, Bytes> changes;  // over joinedRecords()
    std::vector<uint16_t> failing;
    std::map<std::string, std::string> expected;  // outlet: its state after selecting
    std::vector<std::string> statusReads;
};

void PrintTo(const StatusCase& c, std::ostream* out) { *out << c.name; }

std::string text(const std::string& value) { return R"J({"text":")J" + value + R"J(","enabled":true})J"; }
std::string signal(int value) { return R"J({"value":)J" + std::to_string(value) + "}"; }

const std::vector<std::string> kJoinedReads = {kNIC, kChannel, kQuality, kRate, kMAC, kPortStatus, kBSSID, kSSID};
const std::vector<std::string> kUpToPortStatus = {kNIC, kChannel, kQuality, kRate, kMAC, kPortStatus};

std::vector<StatusCase> statusCases() {
    const std::string accessPoint = "00:11:22:AA:BB:CC  (channel 6)";
    return {
        {"JoinedThroughAnAccessPoint", 0x800B, {}, {},
         {{"showSSID", text("Office")}, {"showBSSID", text(accessPoint)}, {"showTxRate", text("11Mbps")},
          {"showMAC", text("00:0A:FF:01:23:45")}, {"showSignal", signal(42)}},
         kJoinedReads},
        {"OrinocoCardShowsNoRate", 0x0001, {}, {},
         {{"showSSID", text("Office")}, {"showTxRate", text("n/a")}, {"showSignal", signal(42)}},
         {kNIC, kChannel, kQuality, kMAC, kPortStatus, kBSSID, kSSID}},
        {"Disabled", 0x800B, {{0xFD40, {1, 0}}}, {},
         {{"showSSID", text("<DISABLED>")}, {"showBSSID", text("n/a")}}, kUpToPortStatus},
        {"Searching", 0x800B, {{0xFD40, {2, 0}}}, {},
         {{"showSSID", text("<Searching for Network...>")}, {"showBSSID", text("n/a")}}, kUpToPortStatus},
        {"AdHocShowsTheNameOnly", 0x800B, {{0xFD40, {3, 0}}}, {},
         {{"showSSID", text("Office")}, {"showBSSID", text("n/a")}},
         {kNIC, kChannel, kQuality, kRate, kMAC, kPortStatus, kSSID}},
        {"OutOfRange", 0x800B, {{0xFD40, {5, 0}}}, {},
         {{"showSSID", text("<Out of Range>")}, {"showBSSID", text("n/a")}}, kUpToPortStatus},
        {"ConnectedToWDS", 0x800B, {{0xFD40, {6, 0}}}, {},
         {{"showSSID", text("<Connected to WDS>")}, {"showBSSID", text("n/a")}}, kUpToPortStatus},
        {"Status0LeavesTheState", 0x800B, {{0xFD40, {0, 0}}}, {},
         {{"showSSID", text("n/a")}, {"showBSSID", text("n/a")}}, kUpToPortStatus},
        {"Status7LeavesTheState", 0x800B, {{0xFD40, {7, 0}}}, {},
         {{"showSSID", text("n/a")}, {"showBSSID", text("n/a")}}, kUpToPortStatus},
        {"Rate1", 0x800B, {{0xFD44, {1, 0}}}, {}, {{"showTxRate", text("1Mbps")}}, kJoinedReads},
        {"Rate2", 0x800B, {{0xFD44, {2, 0}}}, {}, {{"showTxRate", text("2Mbps")}}, kJoinedReads},
        {"Rate4", 0x800B, {{0xFD44, {4, 0}}}, {}, {{"showTxRate", text("5Mbps")}}, kJoinedReads},
        {"UnknownRateIsEmpty", 0x800B, {{0xFD44, {3, 0}}}, {}, {{"showTxRate", text("")}}, kJoinedReads},
        {"FailedIdentityReadsNoRate", 0x800B, {}, {0xFD0B},
         {{"showTxRate", text("n/a")}, {"showSSID", text("Office")}},
         {failed(kNIC), kChannel, kQuality, kMAC, kPortStatus, kBSSID, kSSID}},
        {"FailedRateKeepsTheLabel", 0x800B, {}, {0xFD44}, {{"showTxRate", text("n/a")}},
         {kNIC, kChannel, kQuality, failed(kRate), kMAC, kPortStatus, kBSSID, kSSID}},
        {"FailedChannel", 0x800B, {}, {0xFDC1}, {{"showBSSID", text("00:11:22:AA:BB:CC  (channel -1)")}},
         {kNIC, failed(kChannel), kQuality, kRate, kMAC, kPortStatus, kBSSID, kSSID}},
        {"FailedQuality", 0x800B, {}, {0xFD43}, {{"showSignal", signal(0)}},
         {kNIC, kChannel, failed(kQuality), kRate, kMAC, kPortStatus, kBSSID, kSSID}},
        {"FailedMAC", 0x800B, {}, {0xFC01}, {{"showMAC", text("n/a")}},
         {kNIC, kChannel, kQuality, kRate, failed(kMAC), kPortStatus, kBSSID, kSSID}},
        {"FailedPortStatus", 0x800B, {}, {0xFD40}, {{"showSSID", text("n/a")}, {"showBSSID", text("n/a")}},
         {kNIC, kChannel, kQuality, kRate, kMAC, failed(kPortStatus)}},
        {"FailedBSSID", 0x800B, {}, {0xFD42}, {{"showSSID", text("Office")}, {"showBSSID", text("n/a")}},
         {kNIC, kChannel, kQuality, kRate, kMAC, kPortStatus, failed(kBSSID), kSSID}},
        {"FailedSSID", 0x800B, {}, {0xFD41}, {{"showSSID", text("<Connected>")}, {"showBSSID", text(accessPoint)}},
         {kNIC, kChannel, kQuality, kRate, kMAC, kPortStatus, kBSSID, failed(kSSID)}},
        {"EmptySSID", 0x800B, {{0xFD41, {0, 0, 'X'}}}, {}, {{"showSSID", text("")}}, kJoinedReads},
        {"SSIDInEightBits", 0x800B, {{0xFD41, {4, 0, 'C', 'a', 'f', 0x8E}}}, {}, {{"showSSID", text("Caf\xC3\xA9")}},
         kJoinedReads},
        {"SignalIsTheRawWord", 0x800B, {{0xFD43, {0, 0, 0x34, 0x12}}}, {}, {{"showSignal", signal(0x1234)}},
         kJoinedReads},
    };
}

testsupport::WorldSpec statusWorld(const StatusCase& c) {
    testsupport::WorldSpec world = baseWorld();
    world.hardwareType = c.hardwareType;
    std::map<uint16_t, Bytes> records = joinedRecords();
    for (const auto& [number, payload] : c.changes) records[number] = payload;
    for (const auto& [number, payload] : records) world.configRecords[std::to_string(number)] = payload;
    if (!c.failing.empty()) world.failingConfigRecords = std::vector<int64_t>(c.failing.begin(), c.failing.end());
    return world;
}

class PaneStatus : public PaneScenario, public testing::WithParamInterface<StatusCase> {};

TEST_P(PaneStatus, ShowsTheCardsLinkAsTheRecordsSay) {
    const StatusCase& c = GetParam();
    testsupport::SimulatorSession simulator;
    ASSERT_TRUE(simulator.start(statusWorld(c))) << simulator.process().startError();
    const HostRun run = runHost({"select", "dump", "leave"}, simulator.registry());
    ASSERT_EQ(run.dumps().size(), 1u);
    for (const auto& [outlet, state] : c.expected) {
        EXPECT_EQ(toJsonText(outletState(run.dumps()[0], outlet)), toJsonText(parsedState(state))) << outlet;
    }

    // The diagnostics report reads first, then the status display, then the scan.
    std::vector<std::string> diagnostics = c.hardwareType < 0x8000
                                               ? std::vector<std::string>{kMAC, kNIC, kSerial, kPRI, kSTA, kSymbol}
                                               : kIntersilDiagnostics;
    for (std::string& call : diagnostics) {
        const uint16_t number = static_cast<uint16_t>(std::stoi(call.substr(7), nullptr, 16));
        if (std::find(c.failing.begin(), c.failing.end(), number) != c.failing.end()) call = failed(call);
    }
    EXPECT_EQ(selectionCalls(simulator.journal()), joined({{"open"}, diagnostics, c.statusReads, {"apScan"}}));
}

INSTANTIATE_TEST_SUITE_P(Links, PaneStatus, testing::ValuesIn(statusCases()),
                         [](const auto& info) { return info.param.name; });

TEST_F(PaneScenario, StatusWithoutDriverKeepsTheInitialTexts) {
    EmptyRegistry noDriver;
    const HostRun run = runHost({"select", "tick 2", "dump", "leave"}, noDriver.path());
    ASSERT_EQ(run.dumps().size(), 1u);
    for (const char* outlet : {"showSSID", "showBSSID", "showTxRate", "showMAC"}) {
        EXPECT_EQ(toJsonText(outletState(run.dumps()[0], outlet)), toJsonText(parsedState(text("n/a")))) << outlet;
    }
    EXPECT_EQ(toJsonText(outletState(run.dumps()[0], "showSignal")), toJsonText(parsedState(signal(0))));
}

TEST_F(PaneScenario, StatusTimerRefreshesWhileSelected) {
    // A card that starts out searching: once the timer has run, the display
    // follows the card's own association.
    testsupport::WorldSpec world = baseWorld({{"Open Net", "00:40:96:A1:B2:C3", 3, 55, 8, std::nullopt}});
    world.settingsRecord->portType = kPortTypeInfrastructure;
    world.settingsRecord->ssid[0] = 0;
    world.settingsRecord->wepEnabled = 0;
    testsupport::SimulatorSession simulator;
    ASSERT_TRUE(simulator.start(world)) << simulator.process().startError();
    const HostRun run = runHost({"select", "dump", "tick 6", "dump", "leave"}, simulator.registry());
    ASSERT_EQ(run.dumps().size(), 2u);
    EXPECT_EQ(toJsonText(outletState(run.dumps()[1], "showSSID")), toJsonText(parsedState(text("Open Net"))));
    EXPECT_EQ(toJsonText(outletState(run.dumps()[1], "showBSSID")),
              toJsonText(parsedState(text("00:40:96:A1:B2:C3  (channel 3)"))));
    // More than the one refresh of selecting reached the card.
    std::size_t refreshes = 0;
    for (const std::string& call : journalCalls(simulator.journal())) refreshes += call == kPortStatus;
    EXPECT_GT(refreshes, 1u);
}

// ---- The diagnostics report ----

struct ReportCase {
    std::string name;
    std::optional<testsupport::WorldSpec> world;  // none: no driver
    std::string report;
};

void PrintTo(const ReportCase& c, std::ostream* out) { *out << c.name; }

testsupport::WorldSpec orinocoWorld() {
    testsupport::WorldSpec world = baseWorld();
    world.hardwareType = 0x0001;
    world.macAddress = "00:02:2D:5A:6B:7C";
    world.serialNumber = "ORN123456789";
    world.priIdentity = std::array<int64_t, 4>{21, 1, 4, 2};
    world.staIdentity = std::array<int64_t, 4>{31, 3, 8, 10};
    world.symbolFirmwareVersion = "V2.30";
    return world;
}

testsupport::WorldSpec intersilWorld() {
    testsupport::WorldSpec world = baseWorld();
    world.hardwareType = 0x8013;
    world.macAddress = "00:0A:FF:01:23:45";
    world.serialNumber = "NOT SHOWN";
    world.priIdentity = std::array<int64_t, 4>{21, 1, 1, 1};
    world.staIdentity = std::array<int64_t, 4>{31, 4, 1, 7};
    return world;
}

std::vector<ReportCase> reportCases() {
    return {
        {"OrinocoCard", orinocoWorld(),
         "Diagnostic Information:\r\rMAC Address 00:02:2D:5A:6B:7C\r"
         "Card hardware type 0001: Orinoco, serial number ORN123456789\r"
         "Firmware Versions: PRI 4.2.1, STA 8.10.3, Symbol Technologies V2.30\r"},
        {"IntersilCard", intersilWorld(),
         "Diagnostic Information:\r\rMAC Address 00:0A:FF:01:23:45\r"
         "Card hardware type 8013: Intersil PRISM 2.5, SST parallel flash\r"
         "Firmware Versions: PRI 1.1.1, STA 1.7.4\r"},
        {"NoDriver", std::nullopt, "Diagnostic Information:\r\r\rFirmware Versions: \r"},
    };
}

class PaneDiagnostics : public PaneScenario, public testing::WithParamInterface<ReportCase> {};

TEST_P(PaneDiagnostics, ShowsTheWholeReport) {
    const ReportCase& c = GetParam();
    testsupport::SimulatorSession simulator;
    EmptyRegistry noDriver;
    if (c.world) {
        ASSERT_TRUE(simulator.start(*c.world)) << simulator.process().startError();
    }
    const HostRun run = runHost({"select", "dump", "leave"}, c.world ? simulator.registry() : noDriver.path());
    ASSERT_EQ(run.dumps().size(), 1u);
    EXPECT_EQ(toJsonText(outletState(run.dumps()[0], "showDiagnosticInfo")),
              toJsonText(Json::object({{"text", Json::string(c.report)}, {"enabled", Json::boolean(true)}})));
}

INSTANTIATE_TEST_SUITE_P(Cards, PaneDiagnostics, testing::ValuesIn(reportCases()),
                         [](const auto& info) { return info.param.name; });

}  // namespace
}  // namespace pane_test
