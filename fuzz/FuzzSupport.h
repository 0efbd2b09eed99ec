// Small helpers shared by the fuzz targets.
#pragma once

#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <span>
#include <string>
#include <vector>

namespace fuzz {

// Stops the run the way a sanitizer would, so that libFuzzer keeps the input.
[[noreturn]] inline void fail(const char* what) {
    std::fprintf(stderr, "fuzz check failed: %s\n", what);
    std::abort();
}

// A caller's buffer of exactly `capacity` bytes followed by a guard region
// that nothing may write. The buffer starts filled with a pattern so that
// copying uninitialised bytes would show as well.
class GuardedBuffer {
public:
    static constexpr std::size_t kGuardSize = 64;
    static constexpr uint8_t kGuardByte = 0xA5;

    explicit GuardedBuffer(std::size_t capacity) : capacity_(capacity), bytes_(capacity + kGuardSize, kGuardByte) {}

    uint8_t* data() { return bytes_.data(); }
    std::size_t capacity() const { return capacity_; }
    std::span<uint8_t> contents() { return std::span(bytes_).first(capacity_); }

    void checkGuard() const {
        const bool intact = std::all_of(bytes_.begin() + static_cast<std::ptrdiff_t>(capacity_), bytes_.end(),
                                        [](uint8_t byte) { return byte == kGuardByte; });
        if (!intact) fail("write past the end of the caller's buffer");
    }

private:
    std::size_t capacity_;
    std::vector<uint8_t> bytes_;
};

// A private folder under /tmp, used as a service registry for one run.
inline std::string makeTemporaryFolder(const char* purpose) {
    std::string pattern = std::string("/tmp/nimbrel-fuzz-") + purpose + "-XXXXXX";
    if (::mkdtemp(pattern.data()) == nullptr) fail("cannot create a temporary folder");
    return pattern;
}

// Sends bytes on a stream socket while reading and dropping whatever the peer
// sends back, then half-closes and keeps reading until the peer closes. Gives
// up after `idleMilliseconds` without progress, which no well-behaved peer
// needs, and reports whether the peer closed in time. What the peer sent is
// appended to `received` when given.
inline bool pumpAndDrain(int fd, std::span<const uint8_t> bytes, int idleMilliseconds,
                         std::vector<uint8_t>* received = nullptr) {
    std::size_t sent = 0;
    bool writeShut = false;
    uint8_t sink[8192];
    for (;;) {
        if (sent == bytes.size() && !writeShut) {
            ::shutdown(fd, SHUT_WR);
            writeShut = true;
        }
        pollfd entry{fd, static_cast<short>(POLLIN | (writeShut ? 0 : POLLOUT)), 0};
        const int ready = ::poll(&entry, 1, idleMilliseconds);
        if (ready == 0) return false;
        if (ready < 0) continue;
        if (entry.revents & (POLLIN | POLLHUP | POLLERR)) {
            const ssize_t got = ::recv(fd, sink, sizeof sink, MSG_DONTWAIT);
            if (got == 0 || (got < 0 && errno != EAGAIN && errno != EINTR)) return true;
            if (got > 0 && received) received->insert(received->end(), sink, sink + got);
        }
        if (!writeShut && (entry.revents & POLLOUT)) {
            const ssize_t put = ::send(fd, bytes.data() + sent, bytes.size() - sent, MSG_NOSIGNAL | MSG_DONTWAIT);
            if (put > 0) sent += static_cast<std::size_t>(put);
            // The peer may close on a bad frame before it has read the rest.
            else if (put < 0 && errno != EAGAIN && errno != EINTR) sent = bytes.size();
        }
    }
}

}  // namespace fuzz
