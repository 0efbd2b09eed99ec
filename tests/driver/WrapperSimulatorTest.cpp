// Nimbrel80211UserClientWrapper against a running CardSimulator: every
// operation, every failure knob of the world file, and drivers that are
// missing, killed or slow.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "driver/80211UserClientWrapper.h"
#include "driver/ConfigRecords.h"
#include "tests/support/CardSimulatorProcess.h"

namespace {

using testsupport::AccessPointSpec;
using testsupport::SimulatorSession;
using testsupport::WorldSpec;

PrismPrefsRecord startingRecord() {
    PrismPrefsRecord record;
    std::memset(&record, 0, sizeof record);
    record.driverWord = 0xBEEF;
    record.flags = 0x8002;
    std::memcpy(record.ssid, "Nimbrel Lab", 11);
    record.portType = 1;
    record.wepEnabled = 1;
    record.txKeyIndex = 0;
    record.keyLength[0] = 5;
    const uint8_t key[] = {0x1A, 0x2B, 0x3C, 0x4D, 0x5E};
    std::memcpy(record.key[0], key, sizeof key);
    return record;
}

WorldSpec testWorld() {
    WorldSpec world;
    world.hardwareType = 0x8013;
    world.macAddress = "00:0A:FF:01:23:45";
    world.serialNumber = "SN0123456789";
    world.priIdentity = {{21, 3, 1, 2}};
    world.staIdentity = {{31, 9, 1, 7}};
    world.symbolFirmwareVersion = "V3.10-04";
    world.settingsRecord = startingRecord();
    world.accessPoints = {{
        AccessPointSpec{"Nimbrel Lab", "00:60:1D:22:33:44", 6, 62, 12, "1A2B3C4D5E"},
        AccessPointSpec{"Cafe Open", "00:40:96:A1:B2:C3", 1, 45, 8, std::nullopt},
    }};
    return world;
}

bool sameBytes(const void* a, const void* b, std::size_t size) { return std::memcmp(a, b, size) == 0; }

// Waits until the journal holds what the test expects; the simulator writes
// "close" once it has seen the connection end.
testsupport::Journal journalWhen(const SimulatorSession& session,
                                 const std::function<bool(const testsupport::Journal&)>& ready) {
    testsupport::Journal journal;
    for (int attempt = 0; attempt < 200; ++attempt) {
        journal = session.journal();
        if (ready(journal)) break;
        std::this_thread::sleep_for(std::chrono::milliseconds(25));
    }
    return journal;
}

bool endsWithClose(const testsupport::Journal& journal) {
    return !journal.events.empty() && journal.events.back().name == "close";
}

NMX80211UserClientRID readRecord(Nimbrel80211UserClientWrapper& userClient, uint16_t number, int32_t& result) {
    NMX80211UserClientRID buffer;
    std::memset(&buffer, 0, sizeof buffer);
    result = readConfigRecord(userClient, number, buffer);
    return buffer;
}

class DriverWrapperSimulator : public testing::Test {
protected:
    void startOn(const WorldSpec& world) {
        ASSERT_TRUE(session.start(world)) << session.process().startError();
        ASSERT_EQ(userClient.connect(), 1);
    }

    SimulatorSession session;
    Nimbrel80211UserClientWrapper userClient{session.registry()};
};

struct RegistryCase {
    const char* name;
    bool createFolder;
};

class DriverWrapperNoDriver : public testing::TestWithParam<RegistryCase> {};

TEST_P(DriverWrapperNoDriver, ConnectFailsAndDisconnectLeavesBothFieldsZero) {
    testsupport::TemporaryFolder folder;
    const std::string registry = folder.file("registry");
    if (GetParam().createFolder) std::filesystem::create_directories(registry);
    Nimbrel80211UserClientWrapper userClient(registry);
    EXPECT_EQ(userClient.connect(), 0);
    EXPECT_EQ(userClient.serviceObject(), 0u);
    EXPECT_EQ(userClient.dataPort(), 0u);
    PrismPrefsRecord record{};
    EXPECT_EQ(userClient.getPrefs(&record), 0);
    EXPECT_EQ(userClient.disconnect(), 1);
    EXPECT_EQ(userClient.serviceObject(), 0u);
    EXPECT_EQ(userClient.dataPort(), 0u);
}

INSTANTIATE_TEST_SUITE_P(Driver, DriverWrapperNoDriver,
                         testing::Values(RegistryCase{"EmptyRegistry", true}, RegistryCase{"NoRegistryFolder", false}),
                         [](const auto& info) { return info.param.name; });

struct UnconnectedCase {
    const char* name;
    std::function<int32_t(Nimbrel80211UserClientWrapper&)> run;
};

class DriverWrapperUnconnected : public testing::TestWithParam<UnconnectedCase> {};

TEST_P(DriverWrapperUnconnected, RecordOperationReturnsZero) {
    SimulatorSession session;
    ASSERT_TRUE(session.start());
    Nimbrel80211UserClientWrapper userClient(session.registry());  // a driver is there, but never connected
    EXPECT_EQ(GetParam().run(userClient), 0);
    EXPECT_TRUE(session.journal().events.empty());
}

INSTANTIATE_TEST_SUITE_P(
    Driver, DriverWrapperUnconnected,
    testing::Values(UnconnectedCase{"getRID",
                                    [](auto& w) {
                                        NMX80211UserClientRID r{};
                                        r.rid = NICIdentity;
                                        return w.getRID(&r);
                                    }},
                    UnconnectedCase{"setRID", [](auto& w) { NMX80211UserClientRID r{}; r.rid = CnfOwnMACAddress; return w.setRID(&r); }},
                    UnconnectedCase{"getPrefs", [](auto& w) { PrismPrefsRecord r{}; return w.getPrefs(&r); }},
                    UnconnectedCase{"setPrefs", [](auto& w) { PrismPrefsRecord r{}; return w.setPrefs(&r); }},
                    UnconnectedCase{"apScan", [](auto& w) { std::vector<NMX80211ScanRecord> a(16); return w.apScan(a.data()); }}),
    [](const auto& info) { return info.param.name; });

TEST_F(DriverWrapperSimulator, ConnectsOnceAndDisconnectsTwice) {
    startOn(testWorld());
    EXPECT_NE(userClient.serviceObject(), 0u);
    EXPECT_NE(userClient.dataPort(), 0u);
    EXPECT_EQ(userClient.disconnect(), 1);
    EXPECT_EQ(userClient.serviceObject(), 0u);
    EXPECT_EQ(userClient.dataPort(), 0u);
    EXPECT_EQ(userClient.disconnect(), 1);
    EXPECT_EQ(userClient.serviceObject(), 0u);
    EXPECT_EQ(userClient.dataPort(), 0u);

    const auto journal = journalWhen(session, endsWithClose);
    ASSERT_EQ(journal.events.size(), 2u);
    EXPECT_EQ(journal.events[0].name, "open");
    EXPECT_EQ(journal.events[0].argument, "0");
    EXPECT_EQ(journal.events[1].name, "close");
}

TEST_F(DriverWrapperSimulator, GetPrefsDeliversTheDriversRecord) {
    startOn(testWorld());
    PrismPrefsRecord record;
    std::memset(&record, 0, sizeof record);
    EXPECT_EQ(userClient.getPrefs(&record), 142);
    const PrismPrefsRecord expected = startingRecord();
    EXPECT_TRUE(sameBytes(&record, &expected, sizeof record));
}

TEST_F(DriverWrapperSimulator, SetPrefsHandsTheWholeRecordToTheDriver) {
    startOn(testWorld());
    PrismPrefsRecord record = startingRecord();
    std::memcpy(record.ssid, "Cafe Open\0", 10);
    record.wepEnabled = 0;
    record.flags |= kShortPreambleFlag;
    EXPECT_EQ(userClient.setPrefs(&record), 142);

    PrismPrefsRecord readBack;
    std::memset(&readBack, 0, sizeof readBack);
    EXPECT_EQ(userClient.getPrefs(&readBack), 142);
    EXPECT_TRUE(sameBytes(&readBack, &record, sizeof record));

    const auto sent = session.journal().named("setPrefs");
    ASSERT_EQ(sent.size(), 1u);
    EXPECT_EQ(sent[0].status, 0);
    ASSERT_TRUE(sent[0].settingsRecord.has_value());
    EXPECT_TRUE(sameBytes(&*sent[0].settingsRecord, &record, sizeof record));
}

struct RecordCase {
    const char* name;
    uint16_t number;
    std::vector<uint8_t> expectedStart;  // the payload's first bytes, from the world file
};

class DriverWrapperRecord : public testing::TestWithParam<RecordCase> {};

TEST_P(DriverWrapperRecord, GetRIDReadsTheWorldsPayload) {
    SimulatorSession session;
    ASSERT_TRUE(session.start(testWorld()));
    Nimbrel80211UserClientWrapper userClient(session.registry());
    ASSERT_EQ(userClient.connect(), 1);
    NMX80211UserClientRID buffer;
    std::memset(&buffer, 0xEE, sizeof buffer);  // whatever the caller left
    buffer.rid = GetParam().number;
    EXPECT_NE(userClient.getRID(&buffer), 0);
    EXPECT_EQ(buffer.rid, GetParam().number);
    EXPECT_TRUE(sameBytes(buffer.data, GetParam().expectedStart.data(), GetParam().expectedStart.size()));
    userClient.disconnect();
}

INSTANTIATE_TEST_SUITE_P(
    Driver, DriverWrapperRecord,
    testing::Values(RecordCase{"CnfOwnMACAddress", 0xFC01, {0x00, 0x0A, 0xFF, 0x01, 0x23, 0x45}},
                    RecordCase{"NICIdentity", 0xFD0B, {0x13, 0x80}},
                    RecordCase{"NICSerialNumber", 0xFD0A, {'S', 'N', '0', '1', '2', '3', '4', '5', '6', '7', '8', '9'}},
                    RecordCase{"PRIIdentity", 0xFD02, {21, 0, 3, 0, 1, 0, 2, 0}},
                    RecordCase{"STAIdentity", 0xFD20, {31, 0, 9, 0, 1, 0, 7, 0}},
                    RecordCase{"SymbolFirmwareVersion", 0xFD24, {'V', '3', '.', '1', '0', '-', '0', '4', 0}}),
    [](const auto& info) { return info.param.name; });

TEST_F(DriverWrapperSimulator, JoinsTheNetworkOfItsSettingsRecord) {
    startOn(testWorld());
    int32_t result = 0;
    uint16_t status = 0;
    for (int attempt = 0; attempt < 100 && status != kPortConnected; ++attempt) {
        status = portStatus(readRecord(userClient, PortStatus, result));
        ASSERT_NE(result, 0);
        if (status != kPortConnected) std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    ASSERT_EQ(status, kPortConnected);
    EXPECT_EQ(currentSSIDBytes(readRecord(userClient, CurrentSSID, result)), "Nimbrel Lab");
    EXPECT_EQ(hardwareAddress(readRecord(userClient, CurrentBSSID, result)),
              (HardwareAddress{0x00, 0x60, 0x1D, 0x22, 0x33, 0x44}));
    EXPECT_EQ(channelNumber(readRecord(userClient, CurrentChannel, result)), 6);
    const uint16_t signal = signalLevel(readRecord(userClient, CommsQuality, result));
    EXPECT_GE(signal, 62 - 2);
    EXPECT_LE(signal, 62 + 2);
    const uint16_t rate = txRateCode(readRecord(userClient, CurrentTxRate, result));
    EXPECT_TRUE(rate == 1 || rate == 2 || rate == 4 || rate == 8) << rate;
}

TEST_F(DriverWrapperSimulator, SetRIDWritesOnlyConfigurationRecords) {
    startOn(testWorld());
    NMX80211UserClientRID buffer{};
    buffer.rid = CnfOwnMACAddress;
    buffer.length = 6;
    const uint8_t mac[] = {0x02, 0x11, 0x22, 0x33, 0x44, 0x55};
    std::memcpy(buffer.data, mac, sizeof mac);
    EXPECT_EQ(userClient.setRID(&buffer), 6);

    int32_t result = 0;
    EXPECT_EQ(hardwareAddress(readRecord(userClient, CnfOwnMACAddress, result)),
              (HardwareAddress{0x02, 0x11, 0x22, 0x33, 0x44, 0x55}));

    buffer.rid = PortStatus;  // an information record: read-only
    EXPECT_EQ(userClient.setRID(&buffer), 0);
}

TEST_F(DriverWrapperSimulator, APScanListsTheNetworksInRange) {
    startOn(testWorld());
    std::vector<NMX80211ScanRecord> area(kScanRecordCount);
    std::memset(area.data(), 0, kScanAreaSize);
    EXPECT_EQ(userClient.apScan(area.data()), 2 * 50);
    EXPECT_EQ(area[0].channel, 6);
    EXPECT_EQ(area[0].signal, 62);
    EXPECT_EQ(area[0].noise, 12);
    EXPECT_EQ(area[0].ssidLength, 11);
    EXPECT_TRUE(sameBytes(area[0].ssid, "Nimbrel Lab", 11));
    const uint8_t bssid[] = {0x00, 0x60, 0x1D, 0x22, 0x33, 0x44};
    EXPECT_TRUE(sameBytes(area[0].bssid, bssid, 6));
    EXPECT_EQ(area[1].channel, 1);
    EXPECT_EQ(area[1].ssidLength, 9);
    EXPECT_TRUE(sameBytes(area[1].ssid, "Cafe Open", 9));
    EXPECT_EQ(area[2].channel, 0);  // the end of the list
}

TEST_F(DriverWrapperSimulator, APScanOfACrowdedWorldFillsTheWholeArea) {
    WorldSpec world;
    world.accessPoints.emplace();
    for (int i = 0; i < 20; ++i) {
        char bssid[18];
        std::snprintf(bssid, sizeof bssid, "00:40:96:10:20:%02X", i);
        world.accessPoints->push_back(AccessPointSpec{"Street " + std::to_string(i), bssid, 1 + i % 11, 30, 5, std::nullopt});
    }
    startOn(world);
    std::vector<NMX80211ScanRecord> area(kScanRecordCount);
    EXPECT_EQ(userClient.apScan(area.data()), 800);
    EXPECT_EQ(area[15].ssidLength, 9);
    EXPECT_TRUE(sameBytes(area[15].ssid, "Street 15", 9));
}

struct FailingMethodCase {
    const char* name;
    int64_t method;
    const char* journalName;
    std::function<int32_t(Nimbrel80211UserClientWrapper&)> run;
};

int32_t getPrefsOnce(Nimbrel80211UserClientWrapper& w) {
    PrismPrefsRecord r{};
    return w.getPrefs(&r);
}

int32_t setPrefsOnce(Nimbrel80211UserClientWrapper& w) {
    PrismPrefsRecord r = startingRecord();
    return w.setPrefs(&r);
}

int32_t getRIDOnce(Nimbrel80211UserClientWrapper& w) {
    NMX80211UserClientRID r{};
    r.rid = NICIdentity;
    return w.getRID(&r);
}

int32_t setRIDOnce(Nimbrel80211UserClientWrapper& w) {
    NMX80211UserClientRID r{};
    r.rid = CnfOwnMACAddress;
    r.length = 6;
    return w.setRID(&r);
}

int32_t apScanOnce(Nimbrel80211UserClientWrapper& w) {
    std::vector<NMX80211ScanRecord> a(16);
    return w.apScan(a.data());
}

const FailingMethodCase kFailingMethods[] = {
    {"GetRID", 0, "getRID", getRIDOnce},     {"SetRID", 1, "setRID", setRIDOnce},
    {"GetPrefs", 2, "getPrefs", getPrefsOnce}, {"SetPrefs", 3, "setPrefs", setPrefsOnce},
    {"APScan", 5, "apScan", apScanOnce},
};

void PrintTo(const FailingMethodCase& c, std::ostream* out) { *out << c.name; }

class DriverWrapperFailingMethod : public testing::TestWithParam<FailingMethodCase> {};

TEST_P(DriverWrapperFailingMethod, OnlyThatOperationReturnsZero) {
    WorldSpec world = testWorld();
    world.failingMethods = std::vector<int64_t>{GetParam().method};
    SimulatorSession session;
    ASSERT_TRUE(session.start(world));
    Nimbrel80211UserClientWrapper userClient(session.registry());
    ASSERT_EQ(userClient.connect(), 1);
    for (const FailingMethodCase& other : kFailingMethods) {
        const int32_t result = other.run(userClient);
        if (other.method == GetParam().method) EXPECT_EQ(result, 0) << other.name;
        else EXPECT_NE(result, 0) << other.name;
    }
    const auto failed = session.journal().named(GetParam().journalName);
    ASSERT_EQ(failed.size(), 1u);
    EXPECT_NE(failed[0].status, 0);
    userClient.disconnect();
}

INSTANTIATE_TEST_SUITE_P(Driver, DriverWrapperFailingMethod, testing::ValuesIn(kFailingMethods),
                         [](const auto& info) { return info.param.name; });

TEST_F(DriverWrapperSimulator, FailingConfigRecordsFailOnlyTheirReads) {
    WorldSpec world = testWorld();
    world.failingConfigRecords = std::vector<int64_t>{PortStatus, CurrentSSID};
    startOn(world);
    int32_t result = 0;
    readRecord(userClient, PortStatus, result);
    EXPECT_EQ(result, 0);
    readRecord(userClient, CurrentSSID, result);
    EXPECT_EQ(result, 0);
    EXPECT_EQ(hardwareType(readRecord(userClient, NICIdentity, result)), 0x8013);
    EXPECT_NE(result, 0);
}

TEST_F(DriverWrapperSimulator, ConfigRecordsFixThePayload) {
    WorldSpec world = testWorld();
    world.configRecords["64832"] = {0x07, 0x00};                // PortStatus
    world.configRecords["4660"] = {0xDE, 0xAD, 0xBE, 0xEF, 0x01};  // 0x1234, no record of the card's own
    startOn(world);
    int32_t result = 0;
    const NMX80211UserClientRID status = readRecord(userClient, PortStatus, result);
    EXPECT_NE(result, 0);
    EXPECT_EQ(portStatus(status), 7);
    EXPECT_TRUE(std::all_of(status.data + 2, status.data + kRIDDataCapacity, [](uint8_t b) { return b == 0; }));
    const NMX80211UserClientRID extra = readRecord(userClient, 0x1234, result);
    EXPECT_NE(result, 0);
    const uint8_t expected[] = {0xDE, 0xAD, 0xBE, 0xEF, 0x01, 0x00};
    EXPECT_TRUE(sameBytes(extra.data, expected, sizeof expected));
}

TEST_F(DriverWrapperSimulator, ShortReplyDelayStillAnswers) {
    WorldSpec world = testWorld();
    world.replyDelayMilliseconds = 200;
    startOn(world);
    EXPECT_EQ(getPrefsOnce(userClient), 142);
    EXPECT_NE(getRIDOnce(userClient), 0);
}

TEST_F(DriverWrapperSimulator, DriverThatAnswersTooSlowlyFailsTheCallAndTheConnection) {
    WorldSpec world = testWorld();
    world.replyDelayMilliseconds = 6000;
    startOn(world);
    PrismPrefsRecord record{};
    EXPECT_EQ(userClient.getPrefs(&record), 0);
    EXPECT_EQ(getRIDOnce(userClient), 0);  // the connection is closed: fails at once
    EXPECT_EQ(userClient.disconnect(), 1);
    EXPECT_EQ(session.journal().named("getPrefs").size(), 1u);
    EXPECT_TRUE(session.journal().named("getRID").empty());
}

TEST_F(DriverWrapperSimulator, DriverKilledBetweenTwoCalls) {
    startOn(testWorld());
    EXPECT_EQ(getPrefsOnce(userClient), 142);
    session.process().kill();
    EXPECT_EQ(getPrefsOnce(userClient), 0);
    EXPECT_EQ(apScanOnce(userClient), 0);
    EXPECT_EQ(userClient.disconnect(), 1);
    EXPECT_EQ(userClient.dataPort(), 0u);
}

TEST_F(DriverWrapperSimulator, SocketOfADeadDriverLeavesTheWrapperHalfOpen) {
    ASSERT_TRUE(session.start(testWorld()));
    session.process().kill();  // the socket file stays behind
    EXPECT_EQ(userClient.connect(), 0);
    EXPECT_NE(userClient.serviceObject(), 0u);
    EXPECT_EQ(userClient.dataPort(), 0u);
    EXPECT_EQ(userClient.disconnect(), 1);
    EXPECT_EQ(userClient.serviceObject(), 0u);
}

TEST(DriverWrapperServices, FirstServiceInAscendingUnitOrderIsUsed) {
    testsupport::TemporaryFolder folder;
    const std::string registry = folder.file("registry");
    testsupport::CardSimulatorProcess units[2];
    const uint32_t unitNumbers[2] = {10, 2};
    for (int i = 0; i < 2; ++i) {
        WorldSpec world;
        world.hardwareType = 0x8000 + unitNumbers[i];
        const std::string path = folder.file("world" + std::to_string(i) + ".plist");
        ASSERT_TRUE(testsupport::writeWorldFile(path, world));
        ASSERT_TRUE(units[i].start({path, registry, unitNumbers[i], std::nullopt, {}}));
    }
    Nimbrel80211UserClientWrapper userClient(registry);
    ASSERT_EQ(userClient.connect(), 1);
    int32_t result = 0;
    EXPECT_EQ(hardwareType(readRecord(userClient, NICIdentity, result)), 0x8002);
    userClient.disconnect();
}

TEST_F(DriverWrapperSimulator, ServesManyClientsAtOnce) {
    startOn(testWorld());
    constexpr int kClients = 8;
    std::vector<int> successes(kClients, 0);
    std::vector<std::thread> clients;
    for (int i = 0; i < kClients; ++i) {
        clients.emplace_back([this, i, &successes] {
            Nimbrel80211UserClientWrapper own(session.registry());
            if (own.connect() != 1) return;
            for (int call = 0; call < 20; ++call) successes[i] += getRIDOnce(own) != 0 && getPrefsOnce(own) == 142;
            own.disconnect();
        });
    }
    for (std::thread& client : clients) client.join();
    for (int i = 0; i < kClients; ++i) EXPECT_EQ(successes[i], 20) << "client " << i;
    EXPECT_EQ(getPrefsOnce(userClient), 142);
}

}  // namespace
