// Scenarios of WirelessPane through the scripted PreferencesHost, the real
// plug-in and a real CardSimulator. They run in a private mount namespace,
// so the settings file at its fixed path is the scenario's own.
#pragma once

#include <map>
#include <optional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "driver/Records.h"
#include "platform/PropertyList.h"
#include "tests/pane/Json.h"
#include "tests/support/CardSimulatorProcess.h"

namespace pane_test {

using Settings = std::map<std::string, std::string>;
using Script = std::vector<std::string>;

// True inside the namespace that scripts/in-private-namespace sets up: the
// settings folder is its own tmpfs.
bool inPrivateNamespace();

std::string settingsFilePath();
void removeSettingsFile();
// An XML property list of string entries, written out by hand.
void writeSettings(const Settings& settings);
void writeSettingsText(const std::string& xml);
std::string settingsXml(const Settings& settings, const std::string& extraEntries = "");
std::optional<platform::PropertyDictionary> readSettingsDictionary();
// The string entries of the settings file; none when there is no file.
std::optional<Settings> readSettings();

// Keeps the settings folder readable and makes every write into it fail (a
// read-only bind mount), for as long as the object lives: the settings file
// then stays as the scenario wrote it, or missing, across selections.
class ReadOnlySettingsFolder {
public:
    ReadOnlySettingsFolder();
    ~ReadOnlySettingsFolder();
    ReadOnlySettingsFolder(const ReadOnlySettingsFolder&) = delete;
    ReadOnlySettingsFolder& operator=(const ReadOnlySettingsFolder&) = delete;
    bool active() const { return active_; }

private:
    bool active_ = false;
};

// What one run of the scripted host printed.
struct HostRun {
    int exitStatus = -1;
    std::string standardError;
    std::vector<Json> lines;

    std::vector<Json> linesNamed(const std::string& name) const;
    std::vector<Json> dumps() const { return linesNamed("dump"); }
    std::vector<Json> alerts() const { return linesNamed("alert"); }
    std::vector<bool> leaves() const;
    std::vector<std::string> openedAddresses() const;
};

// Runs the host with WirelessPane on the script; the registry is where the
// pane looks for the driver.
HostRun runHost(const Script& script, const std::string& registry);

// The state of one outlet in a dump, as the host prints it.
Json outletState(const Json& dump, const std::string& outlet);
Json parsedState(const std::string& jsonText);

// A driver settings record that differs from zero in every field, so that a
// field the pane should keep shows when it is lost.
PrismPrefsRecord baseSettingsRecord();
// An Intersil card with that record and the given networks.
testsupport::WorldSpec baseWorld(std::vector<testsupport::AccessPointSpec> accessPoints = {});

// The reads and calls of the journal, as "getRID fd0b", "getPrefs", "open"...
std::vector<std::string> journalCalls(const testsupport::Journal& journal);
std::vector<PrismPrefsRecord> sentRecords(const testsupport::Journal& journal);

std::string describeRecordDifferences(const PrismPrefsRecord& expected, const PrismPrefsRecord& actual);

// Every scenario starts inside the private namespace, without a settings file.
class PaneScenario : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(inPrivateNamespace()) << "run through scripts/in-private-namespace: the scenarios replace "
                                          << settingsFilePath();
        removeSettingsFile();
    }
};

// An empty folder as a registry: no driver there.
class EmptyRegistry {
public:
    const std::string& path() const { return folder_.path(); }

private:
    testsupport::TemporaryFolder folder_;
};

}  // namespace pane_test
