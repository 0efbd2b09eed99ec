// The least that a loader run can cost: a program that opens the driver's
// socket and makes the loader's two calls, getPrefs: and setPrefs:, with
// frames made by hand, reading no settings file. The floor of the loader
// benchmark; exits 0 when both calls succeed.
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstdint>
#include <cstring>

#include "bench/BareSocketIo.h"
#include "driver/80211UserClientWrapper.h"
#include "platform/Locations.h"

namespace {

constexpr std::size_t kHeader = 16;
constexpr std::size_t kCallFixed = 12;
constexpr std::size_t kReplyFixed = 8;
constexpr uint16_t kOpen = 1;
constexpr uint16_t kCall = 3;

void put16(uint8_t* at, uint16_t value) {
    at[0] = static_cast<uint8_t>(value);
    at[1] = static_cast<uint8_t>(value >> 8);
}

void put32(uint8_t* at, uint32_t value) {
    for (int i = 0; i < 4; ++i) at[i] = static_cast<uint8_t>(value >> (8 * i));
}

uint32_t get32(const uint8_t* at) {
    return static_cast<uint32_t>(at[0]) | static_cast<uint32_t>(at[1]) << 8 | static_cast<uint32_t>(at[2]) << 16 |
           static_cast<uint32_t>(at[3]) << 24;
}

void header(uint8_t* frame, uint16_t kind, uint32_t sequence, uint32_t bodySize) {
    std::memcpy(frame, "NMBK", 4);
    put16(frame + 4, 1);
    put16(frame + 6, kind);
    put32(frame + 8, sequence);
    put32(frame + 12, bodySize);
}

// One settings-record call; the reply overwrites the record.
bool callWithRecord(int fd, uint32_t method, uint32_t sequence, uint8_t (&record)[kPrefsRecordSize]) {
    uint8_t frame[kHeader + kCallFixed + kPrefsRecordSize];
    header(frame, kCall, sequence, kCallFixed + kPrefsRecordSize);
    put32(frame + kHeader, method);
    put32(frame + kHeader + 4, kPrefsRecordSize);
    put32(frame + kHeader + 8, kPrefsRecordSize);
    std::memcpy(frame + kHeader + kCallFixed, record, kPrefsRecordSize);
    uint8_t reply[kHeader + kReplyFixed + kPrefsRecordSize];
    if (!bench::sendAll(fd, frame, sizeof frame) || !bench::receiveAll(fd, reply, sizeof reply)) return false;
    if (get32(reply + kHeader) != 0 || get32(reply + kHeader + 4) != kPrefsRecordSize) return false;
    std::memcpy(record, reply + kHeader + kReplyFixed, kPrefsRecordSize);
    return true;
}

}  // namespace

int main() {
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    const std::string path = std::string(platform::kServiceRegistryPath) + "/" + kDriverClassName + ".0";
    std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0 || ::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) return 255;

    uint8_t open[kHeader + 4];
    header(open, kOpen, 1, 4);
    put32(open + kHeader, 0);
    uint8_t openReply[kHeader + 4];
    if (!bench::sendAll(fd, open, sizeof open) || !bench::receiveAll(fd, openReply, sizeof openReply)) return 1;
    if (get32(openReply + kHeader) != 0) return 1;

    uint8_t record[kPrefsRecordSize] = {};
    if (!callWithRecord(fd, kMethodGetPrefs, 2, record)) return 1;
    if (!callWithRecord(fd, kMethodSetPrefs, 3, record)) return 1;
    ::close(fd);
    return 0;
}
