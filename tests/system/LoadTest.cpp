// One simulator serving, at once and for a bounded time, the pane ticking at
// 2 Hz, a loop of WirelessLoader runs and several clients of its own. Every
// record the driver receives must be one that a client sent, whole, and no
// client may see a failed call.
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <future>
#include <mutex>
#include <set>
#include <thread>

#include "driver/80211UserClientWrapper.h"
#include "driver/ConfigRecords.h"
#include "platform/Locations.h"
#include "tests/pane/PaneHarness.h"

namespace {

using namespace pane_test;
using namespace std::chrono_literals;

constexpr int kRawClients = 3;
const std::string kCardMAC = "00:0A:FF:01:23:45";  // baseWorld's card

// The settings that the loader and the pane send: every record of theirs has
// exactly these fields.
const Settings kSavedSettings = {{"DesiredSSID", "LoaderNet"},
                                 {"IBSSmode", "NO"},
                                 {"ShortPreamble", "YES"},
                                 {"WEPKeyType", "hex64"},
                                 {"WEPKeyValue", "0102030405"},
                                 {"WEPMultipleKeys", "NO"}};

bool hasSavedSettings(const PrismPrefsRecord& record) {
    uint8_t ssid[64] = {};
    std::memcpy(ssid, "LoaderNet", 9);
    const uint8_t slot0[16] = {1, 2, 3, 4, 5};
    return std::memcmp(record.ssid, ssid, sizeof ssid) == 0 && record.portType == kPortTypeInfrastructure &&
           (record.flags & kShortPreambleFlag) && record.wepEnabled == 1 && record.txKeyIndex == 0 &&
           record.keyLength[0] == 5 && std::memcmp(record.key[0], slot0, sizeof slot0) == 0;
}

// The fields that the saved settings leave as the driver had them.
std::string untouchedFields(const PrismPrefsRecord& record) {
    std::string fields(reinterpret_cast<const char*>(&record.driverWord), 2);
    uint16_t driverFlags = record.flags & static_cast<uint16_t>(~kShortPreambleFlag);
    fields.append(reinterpret_cast<const char*>(&driverFlags), 2);
    fields.append(reinterpret_cast<const char*>(record.keyLength + 1), 3);
    fields.append(reinterpret_cast<const char*>(record.key[1]), 48);
    return fields;
}

// A record no other client sends: its numbers say who sent it and when.
PrismPrefsRecord rawClientRecord(int client, int sequence) {
    PrismPrefsRecord record;
    auto* bytes = reinterpret_cast<uint8_t*>(&record);
    for (std::size_t i = 0; i < sizeof record; ++i) bytes[i] = static_cast<uint8_t>(client * 31 + sequence + i);
    record.driverWord = static_cast<uint16_t>(client << 12 | (sequence & 0xFFF));
    std::memset(record.ssid, 0, sizeof record.ssid);
    std::snprintf(reinterpret_cast<char*>(record.ssid), sizeof record.ssid, "Raw-%d-%d", client, sequence);
    record.portType = kPortTypeInfrastructure;
    record.wepEnabled = 0;
    record.txKeyIndex = 0;
    return record;
}

struct RawClientResult {
    std::vector<PrismPrefsRecord> sent;
    std::vector<std::string> failures;
};

RawClientResult runRawClient(const std::string& registry, int client, const std::atomic<bool>& stop) {
    RawClientResult result;
    Nimbrel80211UserClientWrapper userClient(registry);
    if (!userClient.connect()) {
        result.failures.push_back("connect");
        return result;
    }
    for (int sequence = 0; !stop && sequence < 4000; ++sequence) {
        PrismPrefsRecord current{};
        if (userClient.getPrefs(&current) != 142) result.failures.push_back("getPrefs");
        PrismPrefsRecord record = rawClientRecord(client, sequence);
        if (userClient.setPrefs(&record) != 142) result.failures.push_back("setPrefs");
        result.sent.push_back(rawClientRecord(client, sequence));
        NMX80211UserClientRID identity{};
        identity.rid = NICIdentity;
        if (userClient.getRID(&identity) == 0) result.failures.push_back("getRID");
        NMX80211ScanRecord area[kScanRecordCount] = {};
        if (userClient.apScan(area) == 0) result.failures.push_back("apScan");
        std::this_thread::sleep_for(5ms);
    }
    userClient.disconnect();
    return result;
}

TEST(Load, PaneLoaderAndClientsAtOnce) {
    ASSERT_TRUE(inPrivateNamespace()) << "run through scripts/in-private-namespace";
    testsupport::TemporaryFolder folder;
    // The loader finds its driver only in the fixed registry, private here.
    const std::string registry = platform::kServiceRegistryPath;
    // Networks in range, so that every scan has something to report.
    ASSERT_TRUE(testsupport::writeWorldFile(
        folder.file("world.plist"),
        baseWorld({{"Cafe Open", "00:40:96:A1:B2:C3", 1, 45, 8, std::nullopt},
                   {"LoaderNet", "00:60:1D:22:33:44", 6, 62, 12, std::string("0102030405")}})));
    testsupport::CardSimulatorProcess card;
    testsupport::SimulatorOptions options;
    options.world = folder.file("world.plist");
    options.registry = registry;
    options.journal = folder.file("journal.txt");
    ASSERT_TRUE(card.start(options)) << card.startError();
    writeSettings(kSavedSettings);

    std::atomic<bool> stop = false;
    std::vector<std::future<RawClientResult>> rawClients;
    for (int client = 1; client <= kRawClients; ++client) {
        rawClients.push_back(
            std::async(std::launch::async, [&, client] { return runRawClient(registry, client, stop); }));
    }
    auto loaderRuns = std::async(std::launch::async, [&] {
        std::vector<int> statuses;
        while (!stop && statuses.size() < 500) {
            testsupport::ProgramResult result =
                testsupport::runProgram(NIMBREL_WIRELESS_LOADER_PATH, {}, std::chrono::seconds(20));
            statuses.push_back(result.exited ? result.exitStatus : -1);
        }
        return statuses;
    });

    Script script = {"select"};
    for (int i = 0; i < 8; ++i) {
        script.push_back("tick 2");
        script.push_back("dump");
    }
    script.push_back("leave");
    HostRun pane = runHost(script, registry);
    stop = true;

    std::vector<int> loaderStatuses = loaderRuns.get();
    std::set<std::string> sentByClients;
    std::set<std::string> untouchedFieldsSeen = {untouchedFields(baseSettingsRecord())};
    std::size_t rawRecordsSent = 0;
    for (auto& client : rawClients) {
        RawClientResult result = client.get();
        EXPECT_EQ(result.failures, std::vector<std::string>{});
        rawRecordsSent += result.sent.size();
        for (const auto& record : result.sent) {
            sentByClients.insert(std::string(reinterpret_cast<const char*>(&record), sizeof record));
            untouchedFieldsSeen.insert(untouchedFields(record));
        }
    }
    EXPECT_EQ(card.stop(), 0);

    EXPECT_GT(loaderStatuses.size(), 0u);
    EXPECT_EQ(std::count(loaderStatuses.begin(), loaderStatuses.end(), 0), static_cast<long>(loaderStatuses.size()));
    ASSERT_EQ(pane.dumps().size(), 8u);
    for (const Json& dump : pane.dumps()) {
        const Json mac = outletState(dump, "showMAC");
        ASSERT_NE(mac.find("text"), nullptr);
        EXPECT_EQ(mac.find("text")->asString(), kCardMAC) << "a status read failed";
    }
    EXPECT_EQ(pane.leaves(), std::vector<bool>{true});

    testsupport::Journal journal = testsupport::readJournal(*options.journal);
    EXPECT_EQ(journal.malformedLines, std::vector<std::string>{});
    std::size_t rawRecordsReceived = 0;
    std::size_t savedSettingsRecords = 0;
    for (const testsupport::JournalEvent& event : journal.named("setPrefs")) {
        EXPECT_EQ(event.status, 0);
        ASSERT_TRUE(event.settingsRecord.has_value()) << "a setPrefs record that is not whole: " << event.argument;
        const PrismPrefsRecord& record = *event.settingsRecord;
        if (sentByClients.count(std::string(reinterpret_cast<const char*>(&record), sizeof record))) {
            ++rawRecordsReceived;
        } else {
            // The loader's and the pane's: the saved settings on top of a
            // record that the driver held, which some client had sent.
            EXPECT_TRUE(hasSavedSettings(record)) << event.argument;
            EXPECT_TRUE(untouchedFieldsSeen.count(untouchedFields(record))) << event.argument;
            ++savedSettingsRecords;
        }
    }
    EXPECT_EQ(rawRecordsReceived, rawRecordsSent);
    EXPECT_EQ(savedSettingsRecords, loaderStatuses.size() + 1) << "every loader run and the pane's leave";
}

}  // namespace
