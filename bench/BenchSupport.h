// What the benchmarks share: the programs they run, running a program to its
// end with its resource use, the status refresh's record numbers, and the
// figures that the summary compares with their floors.
#pragma once

#include <sys/resource.h>
#include <sys/types.h>

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "driver/ConfigRecords.h"

namespace bench {

// The programs built beside the benchmarks.
std::string programPath(const char* name);

// The eight reads of one status refresh, in the pane's order.
inline constexpr std::array<uint16_t, 8> kStatusRecords = {
    NICIdentity, CurrentChannel, CommsQuality, CurrentTxRate, CnfOwnMACAddress, PortStatus, CurrentBSSID, CurrentSSID,
};

struct ProgramRun {
    bool exited = false;
    int exitStatus = -1;
};

// Starts a program (no shell, output to /dev/null) and waits for its end.
ProgramRun runToEnd(const std::string& program, const std::vector<std::string>& arguments);

// The program's own peak resident memory (VmHWM of its address space, read as
// it exits), or -1 when it cannot be run or ends with another status than 0.
// The getrusage figure of a child also counts the address space it had
// before its exec, the parent's, so it is not used.
long ownPeakResidentKilobytes(const std::string& program, const std::vector<std::string>& arguments);

// Whether the settings folder and the service registry are private tmpfs
// mounts, as scripts/bench makes them: only then may a benchmark put files
// at the fixed locations.
bool fixedLocationsArePrivate();

// A private folder under /tmp, removed with its contents.
class ScratchFolder {
public:
    ScratchFolder();
    ~ScratchFolder();
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;
    const std::string& path() const { return path_; }
    std::string file(const std::string& name) const { return path_ + "/" + name; }

private:
    std::string path_;
};

// A settings file as the pane writes it: a named network with a 128-bit hex
// key, single-key mode, the transmit key of an earlier multiple-key setup.
std::string typicalSettingsFile();

// The typical file with a 128-bit base-station password as its key, the one
// key type whose derivation needs libcrypto.
std::string password128SettingsFile();

void writeFile(const std::string& path, const std::string& bytes);

}  // namespace bench
