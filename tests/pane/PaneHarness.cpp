#include "tests/pane/PaneHarness.h"

#include <sys/mount.h>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <sstream>

#include <gtest/gtest.h>

#include "platform/Locations.h"

namespace pane_test {


bool inPrivateNamespace() {
    std::ifstream mounts("/proc/self/mountinfo");
    std::string line;
    while (std::getline(mounts, line)) {
        std::istringstream fields(line);
        std::string id, parent, device, root, mountPoint;
        fields >> id >> parent >> device >> root >> mountPoint;
        const std::size_t separator = line.find(" - ");
        if (mountPoint != "/Library/Preferences" || separator == std::string::npos) continue;
        std::istringstream tail(line.substr(separator + 3));
        std::string type, source;
        tail >> type >> source;
        if (type == "tmpfs" && source == "nimbrel-preferences") return true;
    }
    return false;
}

std::string settingsFilePath() { return platform::kSettingsFilePath; }

void removeSettingsFile() { std::remove(platform::kSettingsFilePath); }

std::string settingsXml(const Settings& settings, const std::string& extraEntries) {
    return testsupport::stringEntriesXml({settings.begin(), settings.end()}, extraEntries);
}

void writeSettingsText(const std::string& xml) {
    ASSERT_TRUE(testsupport::writeTextFile(settingsFilePath(), xml)) << "cannot write " << settingsFilePath();
}

void writeSettings(const Settings& settings) { writeSettingsText(settingsXml(settings)); }

std::optional<platform::PropertyDictionary> readSettingsDictionary() {
    return platform::readPropertyListDictionary(settingsFilePath());
}

std::optional<Settings> readSettings() {
    const std::optional<platform::PropertyDictionary> dictionary = readSettingsDictionary();
    if (!dictionary) return std::nullopt;
    Settings settings;
    for (const auto& [key, value] : dictionary->entries()) {
        if (const std::optional<std::string> text = value.asString()) settings[key] = *text;
    }
    return settings;
}

namespace {
constexpr const char* kSettingsFolder = "/Library/Preferences";
}

ReadOnlySettingsFolder::ReadOnlySettingsFolder() {
    const char* path = kSettingsFolder;
    if (::mount(path, path, nullptr, MS_BIND, nullptr) != 0) return;
    if (::mount(nullptr, path, nullptr, MS_BIND | MS_REMOUNT | MS_RDONLY, nullptr) != 0) {
        ::umount(path);
        return;
    }
    active_ = true;
}

ReadOnlySettingsFolder::~ReadOnlySettingsFolder() {
    if (active_) ::umount(kSettingsFolder);
}

std::vector<Json> HostRun::linesNamed(const std::string& name) const {
    std::vector<Json> found;
    for (const Json& line : lines) {
        if (const Json* member = line.find(name)) found.push_back(*member);
    }
    return found;
}

std::vector<bool> HostRun::leaves() const {
    std::vector<bool> answers;
    for (const Json& answer : linesNamed("leave")) answers.push_back(answer.asBool());
    return answers;
}

std::vector<std::string> HostRun::openedAddresses() const {
    std::vector<std::string> addresses;
    for (const Json& address : linesNamed("open")) addresses.push_back(address.asString());
    return addresses;
}

HostRun runHost(const Script& script, const std::string& registry) {
    testsupport::TemporaryFolder folder;
    const std::string scriptPath = folder.file("script.txt");
    std::string text;
    for (const std::string& line : script) text += line + "\n";
    HostRun run;
    if (!testsupport::writeTextFile(scriptPath, text)) {
        ADD_FAILURE() << "cannot write the script " << scriptPath;
        return run;
    }
    const testsupport::ProgramResult result = testsupport::runProgram(
        NIMBREL_PREFERENCES_HOST_PATH,
        {"--panes", NIMBREL_TEST_PANES_DIR, "--pane", "WirelessPane", "--registry", registry, "--script", scriptPath},
        std::chrono::seconds(60));
    run.exitStatus = result.exited ? result.exitStatus : -1;
    run.standardError = result.standardError;
    std::istringstream lines(result.standardOutput);
    std::string line;
    while (std::getline(lines, line)) {
        if (line.empty()) continue;
        std::optional<Json> parsed = parseJson(line);
        if (!parsed) {
            ADD_FAILURE() << "the host printed a line that is no JSON: " << line;
            continue;
        }
        run.lines.push_back(std::move(*parsed));
    }
    EXPECT_EQ(run.exitStatus, 0) << "the host failed: " << run.standardError;
    return run;
}

Json outletState(const Json& dump, const std::string& outlet) {
    const Json* state = dump.find(outlet);
    return state ? *state : Json();
}

Json parsedState(const std::string& jsonText) {
    std::optional<Json> parsed = parseJson(jsonText);
    EXPECT_TRUE(parsed.has_value()) << "bad expected state " << jsonText;
    return parsed.value_or(Json());
}

PrismPrefsRecord baseSettingsRecord() {
    PrismPrefsRecord record;
    std::memset(&record, 0x77, sizeof record);
    record.driverWord = 0xBEEF;
    record.flags = 0xA5A4;  // short preamble off, the driver's bits mixed
    const char name[] = "Driver Net";
    std::memcpy(record.ssid, name, sizeof name);  // with its zero; the 0x77 bytes after it stay
    record.portType = kPortTypeAdHoc;
    record.wepEnabled = 1;
    record.txKeyIndex = 3;
    const uint8_t lengths[4] = {13, 5, 13, 5};
    std::memcpy(record.keyLength, lengths, sizeof lengths);
    for (int slot = 0; slot < 4; ++slot) {
        for (int byte = 0; byte < 16; ++byte) record.key[slot][byte] = static_cast<uint8_t>(0x80 + 16 * slot + byte);
    }
    return record;
}

testsupport::WorldSpec baseWorld(std::vector<testsupport::AccessPointSpec> accessPoints) {
    testsupport::WorldSpec world;
    world.hardwareType = 0x800B;
    world.macAddress = "00:0A:FF:01:23:45";
    world.priIdentity = std::array<int64_t, 4>{21, 1, 1, 1};
    world.staIdentity = std::array<int64_t, 4>{31, 4, 1, 7};
    world.settingsRecord = baseSettingsRecord();
    world.accessPoints = std::move(accessPoints);
    return world;
}

std::vector<std::string> journalCalls(const testsupport::Journal& journal) {
    std::vector<std::string> calls;
    for (const testsupport::JournalEvent& event : journal.events) {
        std::string call = event.name;
        if (event.name == "getRID" || event.name == "setRID") call += " " + event.argument;
        if (event.status && *event.status != 0) call += " failed";
        calls.push_back(call);
    }
    return calls;
}

std::vector<PrismPrefsRecord> sentRecords(const testsupport::Journal& journal) {
    std::vector<PrismPrefsRecord> records;
    for (const testsupport::JournalEvent& event : journal.named("setPrefs")) {
        if (event.settingsRecord) records.push_back(*event.settingsRecord);
    }
    return records;
}

std::string describeRecordDifferences(const PrismPrefsRecord& expected, const PrismPrefsRecord& actual) {
    const auto* want = reinterpret_cast<const uint8_t*>(&expected);
    const auto* got = reinterpret_cast<const uint8_t*>(&actual);
    std::string text;
    char line[64];
    for (std::size_t offset = 0; offset < sizeof expected; ++offset) {
        if (want[offset] == got[offset]) continue;
        std::snprintf(line, sizeof line, "  byte %3zu: expected %02x, sent %02x\n", offset, want[offset], got[offset]);
        text += line;
    }
    return text;
}

}  // namespace pane_test
