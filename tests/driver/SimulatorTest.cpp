// CardSimulator: its command line, world files, signals, journal, the sample
// worlds, and the simulated card's association, signal, rate and scan.
#include <gtest/gtest.h>
#include <signal.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "driver/80211UserClientWrapper.h"
#include "driver/ConfigRecords.h"
#include "platform/PropertyList.h"
#include "simulator/Card.h"
#include "simulator/World.h"
#include "tests/support/CardSimulatorProcess.h"

namespace {

namespace fs = std::filesystem;
using testsupport::ProgramResult;
using testsupport::runProgram;
using testsupport::TemporaryFolder;
using testsupport::WorldSpec;

std::size_t lineCount(const std::string& text) { return static_cast<std::size_t>(std::count(text.begin(), text.end(), '\n')); }

// --- Command line ---

struct CommandLineCase {
    const char* name;
    std::vector<std::string> arguments;
};

void PrintTo(const CommandLineCase& c, std::ostream* out) { *out << c.name; }

class SimulatorCommandLine : public testing::TestWithParam<CommandLineCase> {};

TEST_P(SimulatorCommandLine, BadArgumentsEndWithStatus2BeforeServing) {
    TemporaryFolder folder;
    std::vector<std::string> arguments{"--registry", folder.file("registry")};
    arguments.insert(arguments.end(), GetParam().arguments.begin(), GetParam().arguments.end());
    const ProgramResult result = runProgram(testsupport::cardSimulatorPath(), arguments);
    EXPECT_TRUE(result.exited);
    EXPECT_EQ(result.exitStatus, 2);
    EXPECT_TRUE(result.standardOutput.empty()) << result.standardOutput;
    EXPECT_TRUE(result.standardError.starts_with("CardSimulator: ")) << result.standardError;
    EXPECT_FALSE(fs::exists(folder.file("registry/com_nimbrel_802_11_driver.0")));
}

INSTANTIATE_TEST_SUITE_P(
    Simulator, SimulatorCommandLine,
    testing::Values(CommandLineCase{"UnknownOption", {"--verbose"}}, CommandLineCase{"PlainArgument", {"extra"}},
                    CommandLineCase{"WorldWithoutValue", {"--world"}}, CommandLineCase{"UnitWithoutValue", {"--unit"}},
                    CommandLineCase{"JournalWithoutValue", {"--journal"}},
                    CommandLineCase{"UnitNotANumber", {"--unit", "abc"}}, CommandLineCase{"NegativeUnit", {"--unit", "-1"}},
                    CommandLineCase{"UnitTooLarge", {"--unit", "4294967296"}},
                    CommandLineCase{"UnitWithTrailingText", {"--unit", "3x"}},
                    CommandLineCase{"EmptyUnit", {"--unit", ""}}),
    [](const auto& info) { return info.param.name; });

// --- World files it cannot use ---

struct WorldFileCase {
    const char* name;
    std::optional<std::string> contents;  // none: no file at all
    const char* problem;                  // a part of the one line on standard error
};

void PrintTo(const WorldFileCase& c, std::ostream* out) { *out << c.name; }

std::string plistWith(const std::string& body) {
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<plist version=\"1.0\">\n<dict>\n" + body + "</dict>\n</plist>\n";
}

const WorldFileCase kBadWorlds[] = {
    {"Missing", std::nullopt, "No such file"},
    {"NotAPropertyList", "hello, card\n", "not a property list"},
    {"RootIsAnArray", "<?xml version=\"1.0\"?>\n<plist version=\"1.0\"><array/></plist>\n", "not a property list"},
    {"UnknownKey", plistWith("<key>HardwareTyp</key><integer>1</integer>"), "HardwareTyp"},
    {"HardwareTypeNotAnInteger", plistWith("<key>HardwareType</key><string>1</string>"), "HardwareType"},
    {"HardwareTypeTooLarge", plistWith("<key>HardwareType</key><integer>65536</integer>"), "HardwareType"},
    {"MACAddressShort", plistWith("<key>MACAddress</key><string>00:0A:FF:01:23</string>"), "MACAddress"},
    {"MACAddressNotHex", plistWith("<key>MACAddress</key><string>00:0A:FF:01:23:4G</string>"), "MACAddress"},
    {"SerialNumberThirteenBytes", plistWith("<key>SerialNumber</key><string>0123456789ABC</string>"), "SerialNumber"},
    {"IdentityOfThree", plistWith("<key>PRIIdentity</key><array><integer>1</integer><integer>2</integer><integer>3</integer></array>"), "PRIIdentity"},
    {"IdentityWordTooLarge", plistWith("<key>STAIdentity</key><array><integer>1</integer><integer>2</integer><integer>3</integer><integer>70000</integer></array>"), "STAIdentity"},
    {"SymbolVersionNotAString", plistWith("<key>SymbolFirmwareVersion</key><integer>2</integer>"), "SymbolFirmwareVersion"},
    {"SettingsRecordOf141Bytes", plistWith("<key>SettingsRecord</key><data>" + std::string(188, 'A') + "</data>"), "SettingsRecord"},
    {"AccessPointsNotAnArray", plistWith("<key>AccessPoints</key><dict/>"), "AccessPoints"},
    {"AccessPointWithoutBSSID", plistWith("<key>AccessPoints</key><array><dict><key>SSID</key><string>a</string><key>Channel</key><integer>1</integer></dict></array>"), "BSSID"},
    {"AccessPointSSIDOf33Bytes", plistWith("<key>AccessPoints</key><array><dict><key>SSID</key><string>" + std::string(33, 'n') + "</string><key>BSSID</key><string>00:00:00:00:00:01</string><key>Channel</key><integer>1</integer></dict></array>"), "SSID"},
    {"AccessPointChannel15", plistWith("<key>AccessPoints</key><array><dict><key>SSID</key><string>a</string><key>BSSID</key><string>00:00:00:00:00:01</string><key>Channel</key><integer>15</integer></dict></array>"), "Channel"},
    {"AccessPointKeyOf12Digits", plistWith("<key>AccessPoints</key><array><dict><key>SSID</key><string>a</string><key>BSSID</key><string>00:00:00:00:00:01</string><key>Channel</key><integer>1</integer><key>WEPKey</key><string>0123456789AB</string></dict></array>"), "WEPKey"},
    {"AccessPointKeyNotHex", plistWith("<key>AccessPoints</key><array><dict><key>SSID</key><string>a</string><key>BSSID</key><string>00:00:00:00:00:01</string><key>Channel</key><integer>1</integer><key>WEPKey</key><string>0123456789ABCDEF012345678Z</string></dict></array>"), "WEPKey"},
    {"ConfigRecordNamedNotNumbered", plistWith("<key>ConfigRecords</key><dict><key>PortStatus</key><data>AAA=</data></dict>"), "PortStatus"},
    {"ConfigRecordTooLong", plistWith("<key>ConfigRecords</key><dict><key>64832</key><data>" + std::string(1368, 'A') + "</data></dict>"), "64832"},
    {"FailingMethodsNotIntegers", plistWith("<key>FailingMethods</key><array><string>2</string></array>"), "FailingMethods"},
    {"FailingConfigRecordTooLarge", plistWith("<key>FailingConfigRecords</key><array><integer>65536</integer></array>"), "FailingConfigRecords"},
    {"NegativeReplyDelay", plistWith("<key>ReplyDelayMilliseconds</key><integer>-1</integer>"), "ReplyDelayMilliseconds"},
};

class SimulatorWorldFile : public testing::TestWithParam<WorldFileCase> {};

TEST_P(SimulatorWorldFile, ProblemIsOneLineNamingTheFileAndStatus2) {
    TemporaryFolder folder;
    const std::string path = folder.file("world.plist");
    if (GetParam().contents) {
        ASSERT_TRUE(testsupport::writeTextFile(path, *GetParam().contents));
    }
    const ProgramResult result =
        runProgram(testsupport::cardSimulatorPath(), {"--world", path, "--registry", folder.file("registry")});
    EXPECT_EQ(result.exitStatus, 2);
    EXPECT_TRUE(result.standardOutput.empty()) << result.standardOutput;
    EXPECT_EQ(lineCount(result.standardError), 1u) << result.standardError;
    EXPECT_NE(result.standardError.find(path), std::string::npos) << result.standardError;
    EXPECT_NE(result.standardError.find(GetParam().problem), std::string::npos) << result.standardError;
}

INSTANTIATE_TEST_SUITE_P(Simulator, SimulatorWorldFile, testing::ValuesIn(kBadWorlds),
                         [](const auto& info) { return info.param.name; });

// --- Running and stopping ---

struct StopCase {
    const char* name;
    int signalNumber;
    uint32_t unit;
};

void PrintTo(const StopCase& c, std::ostream* out) { *out << c.name; }

class SimulatorStop : public testing::TestWithParam<StopCase> {};

TEST_P(SimulatorStop, ReadyLineNamesTheSocketAndTheSignalRemovesIt) {
    TemporaryFolder folder;
    testsupport::CardSimulatorProcess simulator;
    ASSERT_TRUE(simulator.start({std::nullopt, folder.file("registry"), GetParam().unit, std::nullopt, {}}));
    const std::string expected = folder.file("registry") + "/com_nimbrel_802_11_driver." + std::to_string(GetParam().unit);
    EXPECT_EQ(simulator.socketPath(), expected);
    EXPECT_TRUE(fs::is_socket(expected));
    EXPECT_EQ(simulator.stopWith(GetParam().signalNumber), 0);
    EXPECT_FALSE(fs::exists(expected));
}

INSTANTIATE_TEST_SUITE_P(Simulator, SimulatorStop,
                         testing::Values(StopCase{"SIGTERM", SIGTERM, 0}, StopCase{"SIGINT", SIGINT, 0},
                                         StopCase{"SIGTERMOnUnit7", SIGTERM, 7}),
                         [](const auto& info) { return info.param.name; });

TEST(SimulatorRun, StopsWhileAClientIsConnectedAndACallWaits) {
    testsupport::SimulatorSession session;
    WorldSpec slow;
    slow.replyDelayMilliseconds = 4000;
    ASSERT_TRUE(session.start(slow));
    Nimbrel80211UserClientWrapper userClient(session.registry());
    ASSERT_EQ(userClient.connect(), 1);
    std::thread caller([&userClient] {
        PrismPrefsRecord record{};
        userClient.getPrefs(&record);
    });
    std::this_thread::sleep_for(std::chrono::milliseconds(300));  // let the call reach the driver
    EXPECT_EQ(session.process().stop(), 0);
    caller.join();
}

TEST(SimulatorRun, UnitThatIsServedAlreadyIsRefused) {
    testsupport::SimulatorSession first;
    ASSERT_TRUE(first.start());
    const ProgramResult second = runProgram(testsupport::cardSimulatorPath(), {"--registry", first.registry()});
    EXPECT_NE(second.exitStatus, 0);
    EXPECT_NE(second.standardError.find(first.process().socketPath()), std::string::npos) << second.standardError;
    Nimbrel80211UserClientWrapper userClient(first.registry());
    ASSERT_EQ(userClient.connect(), 1);
    PrismPrefsRecord record{};
    EXPECT_EQ(userClient.getPrefs(&record), 142);
}

// --- Journal ---

std::string hexOf(const void* data, std::size_t size) {
    std::string hex;
    char pair[3];
    for (std::size_t i = 0; i < size; ++i) {
        std::snprintf(pair, sizeof pair, "%02x", static_cast<const uint8_t*>(data)[i]);
        hex += pair;
    }
    return hex;
}

std::vector<std::string> linesOf(const std::string& path) {
    std::ifstream file(path);
    std::vector<std::string> lines;
    for (std::string line; std::getline(file, line);) lines.push_back(line);
    return lines;
}

TEST(SimulatorJournal, OneLinePerEventInTheFixedFormat) {
    TemporaryFolder folder;
    const std::string journalPath = folder.file("journal.txt");
    ASSERT_TRUE(testsupport::writeTextFile(journalPath, "earlier line\n"));
    WorldSpec world;
    world.failingConfigRecords = std::vector<int64_t>{CurrentSSID};
    ASSERT_TRUE(testsupport::writeWorldFile(folder.file("world.plist"), world));
    testsupport::CardSimulatorProcess simulator;
    ASSERT_TRUE(simulator.start({folder.file("world.plist"), folder.file("registry"), std::nullopt, journalPath, {}}));

    Nimbrel80211UserClientWrapper userClient(folder.file("registry"));
    ASSERT_EQ(userClient.connect(), 1);
    PrismPrefsRecord record;
    std::memset(&record, 0, sizeof record);
    ASSERT_EQ(userClient.getPrefs(&record), 142);
    std::memcpy(record.ssid, "Caf\x8E", 5);
    record.portType = 4;
    record.key[3][15] = 0xFF;
    ASSERT_EQ(userClient.setPrefs(&record), 142);
    NMX80211UserClientRID buffer{};
    buffer.rid = PortStatus;
    ASSERT_NE(userClient.getRID(&buffer), 0);
    buffer.rid = CnfOwnMACAddress;
    ASSERT_NE(userClient.setRID(&buffer), 0);
    std::vector<NMX80211ScanRecord> area(kScanRecordCount);
    ASSERT_NE(userClient.apScan(area.data()), 0);
    buffer.rid = CurrentSSID;
    ASSERT_EQ(userClient.getRID(&buffer), 0);
    userClient.disconnect();
    EXPECT_EQ(simulator.stop(), 0);  // the journal is complete once the simulator has stopped

    const std::vector<std::string> lines = linesOf(journalPath);
    ASSERT_EQ(lines.size(), 9u);
    EXPECT_EQ(lines[0], "earlier line");
    EXPECT_EQ(lines[1], "open 0");
    EXPECT_EQ(lines[2], "getPrefs 0");
    EXPECT_EQ(lines[3], "setPrefs 0 " + hexOf(&record, sizeof record));
    EXPECT_EQ(lines[3].size(), std::string("setPrefs 0 ").size() + 284);
    EXPECT_EQ(lines[4], "getRID 0 fd40");
    EXPECT_EQ(lines[5], "setRID 0 fc01");
    EXPECT_EQ(lines[6], "apScan 0");
    // A failed call: its status, not 0, between the name and the record number.
    ASSERT_TRUE(lines[7].starts_with("getRID ") && lines[7].ends_with(" fd41")) << lines[7];
    const std::string status = lines[7].substr(7, lines[7].size() - 12);
    EXPECT_NE(std::stoi(status), 0);
    EXPECT_EQ(lines[8], "close");

    const testsupport::Journal parsed = testsupport::readJournal(journalPath);
    ASSERT_EQ(parsed.malformedLines, std::vector<std::string>{"earlier line"});
    ASSERT_EQ(parsed.events.size(), 8u);
    ASSERT_TRUE(parsed.events[2].settingsRecord.has_value());
    EXPECT_EQ(std::memcmp(&*parsed.events[2].settingsRecord, &record, sizeof record), 0);
}

// --- Sample worlds ---

TEST(SimulatorSampleWorlds, EachLoads) {
    std::size_t count = 0;
    for (const auto& entry : fs::directory_iterator(testsupport::sampleWorldsFolder())) {
        if (entry.path().extension() != ".plist") continue;
        ++count;
        const auto world = simulator::loadWorldFile(entry.path().string());
        EXPECT_TRUE(std::holds_alternative<simulator::World>(world))
            << entry.path() << ": " << (std::holds_alternative<std::string>(world) ? std::get<std::string>(world) : "");
    }
    EXPECT_GE(count, 3u);
}

void expectSameWorld(const simulator::World& a, const simulator::World& b) {
    EXPECT_EQ(a.hardwareType, b.hardwareType);
    EXPECT_EQ(a.macAddress, b.macAddress);
    EXPECT_EQ(a.serialNumber, b.serialNumber);
    EXPECT_EQ(a.priIdentity, b.priIdentity);
    EXPECT_EQ(a.staIdentity, b.staIdentity);
    EXPECT_EQ(a.symbolFirmwareVersion, b.symbolFirmwareVersion);
    EXPECT_EQ(std::memcmp(&a.settingsRecord, &b.settingsRecord, sizeof a.settingsRecord), 0);
    ASSERT_EQ(a.accessPoints.size(), b.accessPoints.size());
    for (std::size_t i = 0; i < a.accessPoints.size(); ++i) {
        const auto& p = a.accessPoints[i];
        const auto& q = b.accessPoints[i];
        EXPECT_EQ(p.ssid, q.ssid);
        EXPECT_EQ(p.bssid, q.bssid);
        EXPECT_EQ(p.channel, q.channel);
        EXPECT_EQ(p.signal, q.signal);
        EXPECT_EQ(p.noise, q.noise);
        EXPECT_EQ(p.wepKey, q.wepKey);
    }
    EXPECT_EQ(a.configRecords, b.configRecords);
    EXPECT_EQ(a.failingConfigRecords, b.failingConfigRecords);
    EXPECT_EQ(a.failingMethods, b.failingMethods);
    EXPECT_EQ(a.replyDelay, b.replyDelay);
}

TEST(SimulatorSampleWorlds, DemoFileIsTheBuiltInDemoWorld) {
    const auto fromFile = simulator::loadWorldFile(testsupport::sampleWorldsFolder() + "/demo.plist");
    ASSERT_TRUE(std::holds_alternative<simulator::World>(fromFile));
    expectSameWorld(std::get<simulator::World>(fromFile), simulator::demoWorld());
}

TEST(SimulatorSampleWorlds, BuiltInDemoWorldIsAnIntersilCardWithThreeNetworks) {
    const simulator::World demo = simulator::demoWorld();
    EXPECT_TRUE(isIntersilFamily(demo.hardwareType));
    ASSERT_EQ(demo.accessPoints.size(), 3u);
    std::vector<uint16_t> channels;
    std::vector<std::size_t> keySizes;
    for (const auto& point : demo.accessPoints) {
        channels.push_back(point.channel);
        keySizes.push_back(point.wepKey.size());
    }
    EXPECT_EQ(channels, (std::vector<uint16_t>{1, 6, 11}));
    std::sort(keySizes.begin(), keySizes.end());
    EXPECT_EQ(keySizes, (std::vector<std::size_t>{0, 5, 13}));
}

TEST(SimulatorSampleWorlds, OrinocoWorldHasASerialNumber) {
    const auto world = simulator::loadWorldFile(testsupport::sampleWorldsFolder() + "/orinoco-serial.plist");
    ASSERT_TRUE(std::holds_alternative<simulator::World>(world));
    const simulator::Card card(std::get<simulator::World>(world));
    const auto identity = card.readRecord(NICIdentity);
    const auto serial = card.readRecord(NICSerialNumber);
    ASSERT_TRUE(identity && serial);
    NMX80211UserClientRID record{};
    std::memcpy(record.data, identity->data.data(), kRIDDataCapacity);
    EXPECT_FALSE(isIntersilFamily(hardwareType(record)));
    std::memcpy(record.data, serial->data.data(), kRIDDataCapacity);
    EXPECT_EQ(serialNumberBytes(record).size(), 12u);
}

TEST(SimulatorSampleWorlds, FailingReadsWorldFailsEveryCatalogueRecord) {
    const auto world = simulator::loadWorldFile(testsupport::sampleWorldsFolder() + "/failing-reads.plist");
    ASSERT_TRUE(std::holds_alternative<simulator::World>(world));
    for (const ConfigRecordInfo& info : kConfigRecords)
        EXPECT_TRUE(std::get<simulator::World>(world).failingConfigRecords.contains(info.number)) << info.name;
}

TEST(SimulatorSampleWorlds, EmptyWorldFileIsTheDemoWorld) {
    const auto world = simulator::worldFromDictionary(platform::PropertyDictionary{});
    ASSERT_TRUE(std::holds_alternative<simulator::World>(world));
    expectSameWorld(std::get<simulator::World>(world), simulator::demoWorld());
}

// --- The simulated card ---

using simulator::AccessPoint;
using simulator::Card;

AccessPoint point(std::string ssid, uint8_t last, uint16_t channel, uint16_t signal, std::vector<uint8_t> key = {}) {
    return AccessPoint{std::move(ssid), {0x00, 0x40, 0x96, 0x00, 0x00, last}, channel, signal, 5, std::move(key)};
}

const std::vector<uint8_t> kKey64{0x1A, 0x2B, 0x3C, 0x4D, 0x5E};
const std::vector<uint8_t> kKey128{0x01, 0x23, 0x45, 0x67, 0x89, 0xAB, 0xCD, 0xEF, 0x01, 0x23, 0x45, 0x67, 0x89};

std::vector<AccessPoint> cardWorldPoints() {
    return {point("Open Lounge", 1, 1, 40), point("Open Lounge", 2, 3, 55), point("Secure64", 3, 6, 60, kKey64),
            point("Secure128", 4, 11, 35, kKey128)};
}

struct Settings {
    std::string ssid;
    uint16_t portType = kPortTypeInfrastructure;
    uint16_t wepEnabled = 0;
    uint16_t txKeyIndex = 0;
    int slot = -1;  // where the key goes, with its length
    std::vector<uint8_t> key{};
    uint8_t keyLength = 0;
};

PrismPrefsRecord recordOf(const Settings& s) {
    PrismPrefsRecord record;
    std::memset(&record, 0, sizeof record);
    std::memcpy(record.ssid, s.ssid.data(), s.ssid.size());
    record.portType = s.portType;
    record.wepEnabled = s.wepEnabled;
    record.txKeyIndex = s.txKeyIndex;
    if (s.slot >= 0) {
        std::memcpy(record.key[s.slot], s.key.data(), s.key.size());
        record.keyLength[s.slot] = s.keyLength;
    }
    return record;
}

struct AssociationCase {
    const char* name;
    Settings settings;
    uint16_t status;
    std::string ssid;
    uint8_t channel;
};

void PrintTo(const AssociationCase& c, std::ostream* out) { *out << c.name; }

struct FakeClock {
    Card::Clock::time_point now = Card::Clock::time_point{} + std::chrono::hours(1);
    Card::TimeSource source() {
        return [this] { return now; };
    }
};

NMX80211UserClientRID recordFrom(const Card& card, uint16_t number) {
    NMX80211UserClientRID record{};
    const auto payload = card.readRecord(number);
    if (payload) std::memcpy(record.data, payload->data.data(), kRIDDataCapacity);
    return record;
}

class SimulatorAssociation : public testing::TestWithParam<AssociationCase> {};

TEST_P(SimulatorAssociation, SearchesForASecondThenJoinsWhatTheSettingsAllow) {
    const AssociationCase& c = GetParam();
    simulator::World world = simulator::demoWorld();
    world.accessPoints = cardWorldPoints();
    world.settingsRecord = recordOf(c.settings);
    FakeClock clock;
    Card card(world, clock.source(), [] { return 0; });

    EXPECT_EQ(portStatus(recordFrom(card, PortStatus)), kPortSearching);
    clock.now += std::chrono::milliseconds(999);
    EXPECT_EQ(portStatus(recordFrom(card, PortStatus)), kPortSearching);
    clock.now += std::chrono::milliseconds(1);
    EXPECT_EQ(portStatus(recordFrom(card, PortStatus)), c.status);
    EXPECT_EQ(currentSSIDBytes(recordFrom(card, CurrentSSID)), c.ssid);
    EXPECT_EQ(channelNumber(recordFrom(card, CurrentChannel)), c.channel);

    // Each new settings record starts the search again.
    card.takeSettings(recordOf(c.settings));
    EXPECT_EQ(portStatus(recordFrom(card, PortStatus)), kPortSearching);
    clock.now += std::chrono::milliseconds(1000);
    EXPECT_EQ(portStatus(recordFrom(card, PortStatus)), c.status);
}

INSTANTIATE_TEST_SUITE_P(
    Simulator, SimulatorAssociation,
    testing::Values(
        AssociationCase{"AnyOpenNetworkTakesTheStrongest", {""}, 4, "Open Lounge", 3},
        AssociationCase{"NamedOpenNetwork", {"Open Lounge"}, 4, "Open Lounge", 3},
        AssociationCase{"OnlyTheFirstNameByteSaysAny", {std::string("\0Secure64", 9)}, 4, "Open Lounge", 3},
        AssociationCase{"AnyNetworkWithA64BitKey", {"", 1, 1, 0, 0, kKey64, 5}, 4, "Secure64", 6},
        AssociationCase{"NamedNetworkWithKeyInSlot3", {"Secure128", 1, 1, 2, 2, kKey128, 13}, 4, "Secure128", 11},
        AssociationCase{"TransmitKeyInAnotherSlot", {"Secure128", 1, 1, 1, 2, kKey128, 13}, 2, "", 0},
        AssociationCase{"WrongKeyByte", {"Secure64", 1, 1, 0, 0, {0x1A, 0x2B, 0x3C, 0x4D, 0x5F}, 5}, 2, "", 0},
        AssociationCase{"KeyOfTheWrongLength", {"Secure64", 1, 1, 0, 0, kKey64, 13}, 2, "", 0},
        AssociationCase{"WEPNetworkWithWEPOff", {"Secure64", 1, 0, 0, 0, kKey64, 5}, 2, "", 0},
        AssociationCase{"OpenNetworkWithWEPOn", {"Open Lounge", 1, 1, 0, 0, kKey64, 5}, 2, "", 0},
        AssociationCase{"NamesAreCaseSensitive", {"open lounge"}, 2, "", 0},
        AssociationCase{"NoSuchNetwork", {"Elsewhere"}, 2, "", 0},
        AssociationCase{"AdHocRunsItsOwnNetwork", {"My IBSS", 4}, 3, "My IBSS", simulator::kAdHocChannel}),
    [](const auto& info) { return info.param.name; });

struct JitterCase {
    const char* name;
    int jitter;
    Settings settings;
    uint16_t expectedSignal;
};

void PrintTo(const JitterCase& c, std::ostream* out) { *out << c.name; }

class SimulatorSignal : public testing::TestWithParam<JitterCase> {};

TEST_P(SimulatorSignal, IsTheJoinedPointsSignalWithJitterOrZero) {
    simulator::World world = simulator::demoWorld();
    world.accessPoints = cardWorldPoints();
    world.settingsRecord = recordOf(GetParam().settings);
    FakeClock clock;
    const int jitter = GetParam().jitter;
    Card card(world, clock.source(), [jitter] { return jitter; });
    clock.now += simulator::kAssociationTime;
    EXPECT_EQ(signalLevel(recordFrom(card, CommsQuality)), GetParam().expectedSignal);
}

INSTANTIATE_TEST_SUITE_P(Simulator, SimulatorSignal,
                         testing::Values(JitterCase{"Up", 2, {"Secure64", 1, 1, 0, 0, kKey64, 5}, 62},
                                         JitterCase{"Down", -2, {"Secure64", 1, 1, 0, 0, kKey64, 5}, 58},
                                         JitterCase{"NotJoined", 2, {"Elsewhere"}, 0},
                                         JitterCase{"AdHoc", 2, {"Mine", 4}, 0}),
                         [](const auto& info) { return info.param.name; });

TEST(SimulatorCard, RateFollowsTheSignalFromStrongToWeak) {
    EXPECT_EQ(simulator::txRateForSignal(0), kTxRate1Mbps);
    EXPECT_EQ(simulator::txRateForSignal(65535), kTxRate11Mbps);
    std::set<uint16_t> seen;
    uint16_t previous = simulator::txRateForSignal(0);
    for (uint32_t signal = 0; signal <= 65535; ++signal) {
        const uint16_t code = simulator::txRateForSignal(static_cast<uint16_t>(signal));
        EXPECT_GE(code, previous) << signal;
        previous = code;
        seen.insert(code);
    }
    EXPECT_EQ(seen, (std::set<uint16_t>{1, 2, 4, 8}));
}

TEST(SimulatorCard, ScanReportsAtMostSixteenPointsInWorldOrder) {
    simulator::World world = simulator::demoWorld();
    world.accessPoints.clear();
    for (uint8_t i = 0; i < 20; ++i) world.accessPoints.push_back(point("Net" + std::to_string(i), i, 1 + i % 14, 20 + i, i % 2 ? kKey64 : std::vector<uint8_t>{}));
    const Card card(world);
    const auto records = card.scan();
    ASSERT_EQ(records.size(), kScanRecordCount);
    for (std::size_t i = 0; i < records.size(); ++i) {
        const std::string name = "Net" + std::to_string(i);
        EXPECT_EQ(records[i].channel, 1 + i % 14);
        EXPECT_EQ(records[i].signal, 20 + i);
        EXPECT_EQ(records[i].ssidLength, name.size());
        EXPECT_EQ(std::string(reinterpret_cast<const char*>(records[i].ssid), records[i].ssidLength), name);
        EXPECT_EQ(records[i].bssid[5], i);
        EXPECT_NE(records[i].beaconInterval, 0);
        EXPECT_EQ((records[i].capability & simulator::kCapabilityPrivacy) != 0, i % 2 == 1);
    }
}

TEST(SimulatorCard, EveryCatalogueRecordReadsWithANonZeroLength) {
    const Card card(simulator::demoWorld());
    for (const ConfigRecordInfo& info : kConfigRecords) {
        const auto payload = card.readRecord(info.number);
        ASSERT_TRUE(payload.has_value()) << info.name;
        EXPECT_NE(payload->length, 0) << info.name;
    }
    EXPECT_FALSE(card.readRecord(0x1234).has_value());
}

}  // namespace
