// Test helpers around the real CardSimulator program: temporary folders,
// starting and stopping the simulator, reading its journal and writing world
// files.
#pragma once

#include <sys/types.h>

#include <array>
#include <chrono>
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "driver/Records.h"

namespace testsupport {

// The CardSimulator built with the tests, and the sample worlds' folder.
std::string cardSimulatorPath();
std::string sampleWorldsFolder();

// A fresh folder under the system's temporary folder, removed with all its
// contents when the object goes.
class TemporaryFolder {
public:
    TemporaryFolder();
    ~TemporaryFolder();
    TemporaryFolder(const TemporaryFolder&) = delete;
    TemporaryFolder& operator=(const TemporaryFolder&) = delete;

    const std::string& path() const { return path_; }
    std::string file(const std::string& name) const { return path_ + "/" + name; }

private:
    std::string path_;
};

struct SimulatorOptions {
    std::optional<std::string> world;  // none: the built-in demo world
    std::optional<std::string> registry;
    std::optional<uint32_t> unit;
    std::optional<std::string> journal;
    std::vector<std::string> extraArguments;  // after the options above
};

// What a finished run of a program left: its exit status (or the signal that
// ended it) and everything it wrote.
struct ProgramResult {
    bool exited = false;
    int exitStatus = -1;
    int signal = 0;
    std::string standardOutput;
    std::string standardError;
};

// Runs a program to its end with the given arguments; kills it after
// timeout. No shell is involved.
ProgramResult runProgram(const std::string& program, const std::vector<std::string>& arguments,
                         std::chrono::milliseconds timeout = std::chrono::seconds(20));

// One running CardSimulator. The destructor kills it if it still runs.
class CardSimulatorProcess {
public:
    static constexpr std::chrono::seconds kReadyTimeout{10};

    CardSimulatorProcess() = default;
    ~CardSimulatorProcess();
    CardSimulatorProcess(const CardSimulatorProcess&) = delete;
    CardSimulatorProcess& operator=(const CardSimulatorProcess&) = delete;

    // Starts the program and waits for its "ready <socket path>" line. False
    // (with the process ended) when it ends first or is not ready in time.
    bool start(const SimulatorOptions& options);

    const std::string& socketPath() const { return socketPath_; }
    pid_t pid() const { return pid_; }
    bool running() const { return pid_ > 0; }

    // SIGTERM, then waits for the end; the exit status, or -1 when it did
    // not exit by itself within the timeout (it is then killed).
    int stop(std::chrono::milliseconds timeout = std::chrono::seconds(10));
    // The same with another signal, such as SIGINT.
    int stopWith(int signalNumber, std::chrono::milliseconds timeout = std::chrono::seconds(10));
    // SIGKILL, and waits for the end.
    void kill();

    // What it wrote on standard error while starting, when it failed.
    const std::string& startError() const { return startError_; }

private:
    pid_t pid_ = -1;
    int output_ = -1;
    std::string socketPath_;
    std::string startError_;
};

// One line of a simulator journal.
struct JournalEvent {
    std::string name;                   // open, close, getRID, setRID, getPrefs, setPrefs, apScan
    std::optional<int> status;          // the method's status; none for open and close
    std::string argument;               // open: the type; getRID/setRID: RRRR; setPrefs: HEX
    std::optional<uint16_t> recordNumber;           // getRID, setRID
    std::optional<PrismPrefsRecord> settingsRecord;  // setPrefs with exactly 142 bytes
};

struct Journal {
    std::vector<JournalEvent> events;
    std::vector<std::string> malformedLines;  // lines that follow no journal format

    std::vector<JournalEvent> named(const std::string& name) const;
};

std::optional<JournalEvent> parseJournalLine(const std::string& line);
Journal readJournal(const std::string& path);

// Bytes from hex digits (two per byte); none for anything else.
std::optional<std::vector<uint8_t>> bytesFromHex(const std::string& hex);
std::string hexFromBytes(const void* data, std::size_t size);

// A world file from a few fields; every field left out is left out of the
// file too.
struct AccessPointSpec {
    std::string ssid;
    std::string bssid;  // 00:0A:FF:01:23:45 form
    int channel = 1;
    std::optional<int> signal;
    std::optional<int> noise;
    std::optional<std::string> wepKey;  // hex digits
};

struct WorldSpec {
    std::optional<int64_t> hardwareType;
    std::optional<std::string> macAddress;
    std::optional<std::string> serialNumber;
    std::optional<std::array<int64_t, 4>> priIdentity;
    std::optional<std::array<int64_t, 4>> staIdentity;
    std::optional<std::string> symbolFirmwareVersion;
    std::optional<PrismPrefsRecord> settingsRecord;
    std::optional<std::vector<AccessPointSpec>> accessPoints;
    std::map<std::string, std::vector<uint8_t>> configRecords;  // key: record number as decimal text
    std::optional<std::vector<int64_t>> failingConfigRecords;
    std::optional<std::vector<int64_t>> failingMethods;
    std::optional<int64_t> replyDelayMilliseconds;
};

// The XML property-list text of a world, written out by hand so that it does
// not depend on the code under test.
std::string worldXml(const WorldSpec& world);

// Text for an XML property list, and a settings-like dictionary of string
// entries (in the given order, then extraEntries as raw XML), both written
// out by hand.
std::string xmlEscaped(std::string_view text);
std::string stringEntriesXml(const std::vector<std::pair<std::string, std::string>>& entries,
                             const std::string& extraEntries = "");
bool writeWorldFile(const std::string& path, const WorldSpec& world);
bool writeTextFile(const std::string& path, const std::string& text);

// A simulator with a registry and a journal of its own in a temporary
// folder: the usual set-up of a test.
class SimulatorSession {
public:
    // Writes the world (when given) to world.plist and starts the simulator
    // on it; the built-in demo world without one.
    bool start(const std::optional<WorldSpec>& world = std::nullopt, uint32_t unit = 0);
    bool startWithWorldFile(const std::string& worldPath, uint32_t unit = 0);

    std::string registry() const { return folder_.file("registry"); }
    std::string journalPath() const { return folder_.file("journal.txt"); }
    Journal journal() const { return readJournal(journalPath()); }
    CardSimulatorProcess& process() { return process_; }
    const TemporaryFolder& folder() const { return folder_; }

private:
    TemporaryFolder folder_;
    CardSimulatorProcess process_;
};

}  // namespace testsupport
