// WirelessPane against failing peers and a damaged settings file, with the
// real host, plug-in and CardSimulator in a private mount namespace.
#include <linux/capability.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <functional>
#include <future>
#include <thread>

#include "tests/pane/PaneHarness.h"

namespace {

using namespace pane_test;
using namespace std::chrono_literals;

const std::string kCardMAC = "00:0A:FF:01:23:45";  // baseWorld's card

// A simulator on a registry of the scenario's own, journaling to a file.
class Card {
public:
    explicit Card(const testsupport::WorldSpec& world = baseWorld()) : world_(world) {
        EXPECT_TRUE(testsupport::writeWorldFile(folder_.file("world.plist"), world_));
        std::filesystem::create_directory(registry());
        start("journal.txt");
    }

    bool start(const std::string& journalName) {
        testsupport::SimulatorOptions options;
        options.world = folder_.file("world.plist");
        options.registry = registry();
        options.journal = folder_.file(journalName);
        process_ = std::make_unique<testsupport::CardSimulatorProcess>();
        bool started = process_->start(options);
        EXPECT_TRUE(started) << process_->startError();
        return started;
    }

    std::string registry() const { return folder_.file("registry"); }
    testsupport::Journal journal(const std::string& name = "journal.txt") const {
        return testsupport::readJournal(folder_.file(name));
    }
    testsupport::CardSimulatorProcess& process() { return *process_; }

    // Waits until the pane has connected and drawn its first status (the
    // diagnostics and first status reads are in the journal).
    bool waitForSelectedPane(std::chrono::seconds timeout = 20s) const {
        auto deadline = std::chrono::steady_clock::now() + timeout;
        while (std::chrono::steady_clock::now() < deadline) {
            testsupport::Journal seen = journal();
            if (!seen.named("open").empty() && seen.named("apScan").size() >= 1) return true;
            std::this_thread::sleep_for(50ms);
        }
        return false;
    }

private:
    testsupport::TemporaryFolder folder_;
    testsupport::WorldSpec world_;
    std::unique_ptr<testsupport::CardSimulatorProcess> process_;
};

// A member of an outlet's state in a dump; null when it has none.
Json stateMember(const Json& dump, const std::string& outlet, const std::string& member) {
    const Json state = outletState(dump, outlet);
    const Json* found = state.find(member);
    return found ? *found : Json();
}

std::string textOf(const Json& dump, const std::string& outlet) {
    return stateMember(dump, outlet, "text").asString();
}

double signalOf(const Json& dump) { return stateMember(dump, "showSignal", "value").asNumber(); }

// The status display once every record read fails.
void expectStatusFallback(const Json& dump) {
    EXPECT_EQ(textOf(dump, "showMAC"), "n/a");
    EXPECT_EQ(textOf(dump, "showSSID"), "n/a");
    EXPECT_EQ(textOf(dump, "showBSSID"), "n/a");
    EXPECT_EQ(signalOf(dump), 0.0);
}

// Runs the host on its script while `during` acts on the card.
HostRun runHostWhile(const Script& script, const std::string& registry, const std::function<void()>& during) {
    auto host = std::async(std::launch::async, [&] { return runHost(script, registry); });
    during();
    return host.get();
}

class FaultScenario : public PaneScenario {};

TEST_F(FaultScenario, SimulatorKilledWhileSelected) {
    Card card;
    writeSettings({{"DesiredSSID", "Office"}});
    HostRun run = runHostWhile({"select", "tick 12", "dump", "leave"}, card.registry(), [&] {
        ASSERT_TRUE(card.waitForSelectedPane());
        card.process().kill();
    });

    ASSERT_EQ(run.dumps().size(), 1u);
    expectStatusFallback(run.dumps()[0]);
    EXPECT_EQ(run.leaves(), std::vector<bool>{true});
    std::optional<Settings> written = readSettings();
    ASSERT_TRUE(written.has_value()) << "leaving did not write the settings file";
    EXPECT_EQ(written->at("DesiredSSID"), "Office");
}

TEST_F(FaultScenario, SimulatorThatStopsAnswering) {
    Card card;
    writeSettings({{"DesiredSSID", "Office"}});
    // Each call fails after the transport's timeout; the connection closes, so
    // the calls after it fail at once and the pane goes on.
    HostRun run = runHostWhile(
        {"select", "tick 2", "dump", "type showPreferredNetworkName Elsewhere", "leave"}, card.registry(), [&] {
            ASSERT_TRUE(card.waitForSelectedPane());
            kill(card.process().pid(), SIGSTOP);
        });
    kill(card.process().pid(), SIGCONT);

    ASSERT_EQ(run.dumps().size(), 1u);
    expectStatusFallback(run.dumps()[0]);
    EXPECT_EQ(run.leaves(), std::vector<bool>{true});
    std::optional<Settings> written = readSettings();
    ASSERT_TRUE(written.has_value());
    EXPECT_EQ(written->at("DesiredSSID"), "Elsewhere");
    EXPECT_TRUE(card.journal().named("setPrefs").empty());
}

TEST_F(FaultScenario, SimulatorRestartedWhileSelected) {
    Card card;
    writeSettings({{"DesiredSSID", "Office"}});
    HostRun run = runHostWhile({"select", "tick 8", "dump", "leave", "select", "tick 2", "dump", "leave"},
                               card.registry(), [&] {
                                   ASSERT_TRUE(card.waitForSelectedPane());
                                   card.process().kill();
                                   ASSERT_TRUE(card.start("restarted.txt"));
                               });

    ASSERT_EQ(run.dumps().size(), 2u);
    // The wrapper does not reconnect by itself: the first selection stays on
    // the dead connection, the next one opens the new driver.
    expectStatusFallback(run.dumps()[0]);
    EXPECT_EQ(textOf(run.dumps()[1], "showMAC"), kCardMAC);
    EXPECT_EQ(run.leaves(), (std::vector<bool>{true, true}));
    testsupport::Journal restarted = card.journal("restarted.txt");
    EXPECT_EQ(restarted.named("open").size(), 1u);
    EXPECT_EQ(restarted.named("setPrefs").size(), 1u);
    EXPECT_EQ(restarted.named("close").size(), 1u);
}

struct Damage {
    const char* name;
    std::function<void()> apply;
    bool fileRewrittenOnLeave;
};

void PrintTo(const Damage& damage, std::ostream* out) { *out << damage.name; }

void replaceWithGarbage() {
    writeSettingsText(std::string("\x00\x01garbage<plist><dict><key>", 26));
}

void replaceWithFolder() {
    removeSettingsFile();
    ASSERT_EQ(mkdir(settingsFilePath().c_str(), 0755), 0);
}

// Root reads any file; without these capabilities the host it starts can't.
void makeUnreadableToTheHost() {
    ASSERT_EQ(chmod(settingsFilePath().c_str(), 0), 0);
    ASSERT_EQ(prctl(PR_CAPBSET_DROP, CAP_DAC_OVERRIDE, 0, 0, 0), 0);
    ASSERT_EQ(prctl(PR_CAPBSET_DROP, CAP_DAC_READ_SEARCH, 0, 0, 0), 0);
}

class DamagedSettingsFile : public FaultScenario, public testing::WithParamInterface<Damage> {};

TEST_P(DamagedSettingsFile, BetweenSelectionsCountsAsNoFile) {
    Card card;
    writeSettings({{"DesiredSSID", "Office"}, {"IBSSmode", "YES"}});
    HostRun first = runHost({"select", "dump", "leave"}, card.registry());
    ASSERT_EQ(first.dumps().size(), 1u);
    ASSERT_EQ(textOf(first.dumps()[0], "showPreferredNetworkName"), "Office");

    GetParam().apply();
    if (HasFatalFailure()) return;
    HostRun second = runHost({"select", "dump", "leave"}, card.registry());

    ASSERT_EQ(second.dumps().size(), 1u);
    // The new host's controls keep their initial state: nothing came from the file.
    EXPECT_EQ(textOf(second.dumps()[0], "showPreferredNetworkName"), "");
    EXPECT_EQ(stateMember(second.dumps()[0], "showIBSSmode", "state").asNumber(), 0);
    EXPECT_EQ(second.leaves(), std::vector<bool>{true});
    EXPECT_EQ(card.journal().named("setPrefs").size(), 2u) << "leaving must still send the record";
    if (GetParam().fileRewrittenOnLeave) {
        std::optional<Settings> written = readSettings();
        ASSERT_TRUE(written.has_value());
        EXPECT_EQ(written->size(), 8u);
    }
}

INSTANTIATE_TEST_SUITE_P(Damages, DamagedSettingsFile,
                         testing::Values(Damage{"Garbage", replaceWithGarbage, true},
                                         Damage{"Folder", replaceWithFolder, false},
                                         Damage{"Unreadable", makeUnreadableToTheHost, false}),
                         [](const testing::TestParamInfo<Damage>& info) { return std::string(info.param.name); });

TEST_F(FaultScenario, SettingsFolderThatCannotBeWritten) {
    Card card;
    ReadOnlySettingsFolder readOnly;
    ASSERT_TRUE(readOnly.active());
    HostRun run = runHost({"select", "choose showAnyVsSpecificNetwork 1", "type showPreferredNetworkName Office",
                           "leave"},
                          card.registry());

    EXPECT_EQ(run.leaves(), std::vector<bool>{true});
    EXPECT_FALSE(readSettings().has_value());
    std::vector<PrismPrefsRecord> sent = sentRecords(card.journal());
    ASSERT_EQ(sent.size(), 1u) << "apply must send the record although the file can't be written";
    EXPECT_STREQ(reinterpret_cast<const char*>(sent[0].ssid), "Office");
}

}  // namespace
