#include "platform/TransportWire.h"

#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstring>

namespace iokit::wire {
namespace {

// Writes a frame into a buffer sized for it from the start.
class FrameWriter {
public:
    FrameWriter(FrameKind kind, uint32_t sequence, std::size_t bodySize) : frame_(kHeaderSize + bodySize) {
        std::copy(kMagic.begin(), kMagic.end(), frame_.begin());
        offset_ = kMagic.size();
        u16(kWireVersion);
        u16(static_cast<uint16_t>(kind));
        u32(sequence);
        u32(static_cast<uint32_t>(bodySize));
    }
    FrameWriter& u16(uint16_t value) { return bytesOf(value, 2); }
    FrameWriter& u32(uint32_t value) { return bytesOf(value, 4); }
    FrameWriter& bytes(std::span<const uint8_t> data) {
        std::copy(data.begin(), data.end(), frame_.begin() + static_cast<std::ptrdiff_t>(offset_));
        offset_ += data.size();
        return *this;
    }
    std::vector<uint8_t> take() { return std::move(frame_); }

private:
    FrameWriter& bytesOf(uint32_t value, std::size_t count) {
        for (std::size_t i = 0; i < count; ++i) frame_[offset_++] = static_cast<uint8_t>(value >> (8 * i));
        return *this;
    }
    std::vector<uint8_t> frame_;
    std::size_t offset_ = 0;
};

uint16_t getU16(std::span<const uint8_t> bytes, std::size_t offset) {
    return static_cast<uint16_t>(bytes[offset] | (bytes[offset + 1] << 8));
}

uint32_t getU32(std::span<const uint8_t> bytes, std::size_t offset) {
    uint32_t value = 0;
    for (std::size_t i = 0; i < 4; ++i) value |= static_cast<uint32_t>(bytes[offset + i]) << (8 * i);
    return value;
}

bool isKnownKind(uint16_t kind) {
    return kind >= static_cast<uint16_t>(FrameKind::Open) && kind <= static_cast<uint16_t>(FrameKind::Reply);
}

// Milliseconds left for poll(): -1 waits for ever, 0 when already past.
int pollTimeout(Deadline deadline) {
    if (deadline == kNoDeadline) return -1;
    const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now()).count();
    return static_cast<int>(std::clamp<long long>(left, 0, INT_MAX));
}

// Waits until fd is ready for events; Ok, TimedOut or Failed.
IoResult waitFor(int fd, short events, Deadline deadline) {
    for (;;) {
        pollfd entry{fd, events, 0};
        const int ready = poll(&entry, 1, pollTimeout(deadline));
        if (ready > 0) return IoResult::Ok;
        if (ready == 0) return IoResult::TimedOut;
        if (errno != EINTR) return IoResult::Failed;
    }
}

}  // namespace

std::vector<uint8_t> encodeOpenRequest(uint32_t sequence, const OpenRequest& request) {
    return FrameWriter(FrameKind::Open, sequence, 4).u32(request.connectionType).take();
}

std::vector<uint8_t> encodeOpenReply(uint32_t sequence, const OpenReply& reply) {
    return FrameWriter(FrameKind::OpenReply, sequence, 4).u32(static_cast<uint32_t>(reply.status)).take();
}

std::vector<uint8_t> encodeCallRequest(uint32_t sequence, uint32_t method, std::span<const uint8_t> input,
                                       uint32_t outputCapacity) {
    return FrameWriter(FrameKind::Call, sequence, kCallFixedSize + input.size())
        .u32(method)
        .u32(static_cast<uint32_t>(input.size()))
        .u32(outputCapacity)
        .bytes(input)
        .take();
}

std::vector<uint8_t> encodeCallReply(uint32_t sequence, const CallReply& reply) {
    return FrameWriter(FrameKind::Reply, sequence, kReplyFixedSize + reply.output.size())
        .u32(static_cast<uint32_t>(reply.status))
        .u32(static_cast<uint32_t>(reply.output.size()))
        .bytes(reply.output)
        .take();
}

std::optional<FrameHeader> decodeHeader(std::span<const uint8_t, kHeaderSize> bytes) {
    if (!std::equal(kMagic.begin(), kMagic.end(), bytes.begin())) return std::nullopt;
    if (getU16(bytes, 4) != kWireVersion) return std::nullopt;
    const uint16_t kind = getU16(bytes, 6);
    if (!isKnownKind(kind)) return std::nullopt;
    const uint32_t bodySize = getU32(bytes, 12);
    if (bodySize > kMaxBodySize) return std::nullopt;
    return FrameHeader{static_cast<FrameKind>(kind), getU32(bytes, 8), bodySize};
}

std::optional<OpenRequest> decodeOpenRequest(std::span<const uint8_t> body) {
    if (body.size() != 4) return std::nullopt;
    return OpenRequest{getU32(body, 0)};
}

std::optional<OpenReply> decodeOpenReply(std::span<const uint8_t> body) {
    if (body.size() != 4) return std::nullopt;
    return OpenReply{static_cast<int32_t>(getU32(body, 0))};
}

std::optional<CallRequest> decodeCallRequest(std::span<const uint8_t> body) {
    if (body.size() < kCallFixedSize) return std::nullopt;
    const uint32_t inputSize = getU32(body, 4);
    const uint32_t outputCapacity = getU32(body, 8);
    if (inputSize > kMaxStructureSize || outputCapacity > kMaxStructureSize) return std::nullopt;
    if (body.size() != kCallFixedSize + inputSize) return std::nullopt;
    return CallRequest{getU32(body, 0), outputCapacity,
                       std::vector<uint8_t>(body.begin() + kCallFixedSize, body.end())};
}

std::optional<CallReply> decodeCallReply(std::span<const uint8_t> body) {
    if (body.size() < kReplyFixedSize) return std::nullopt;
    const uint32_t outputSize = getU32(body, 4);
    if (outputSize > kMaxStructureSize || body.size() != kReplyFixedSize + outputSize) return std::nullopt;
    return CallReply{static_cast<int32_t>(getU32(body, 0)),
                     std::vector<uint8_t>(body.begin() + kReplyFixedSize, body.end())};
}

IoResult sendAll(int fd, std::span<const uint8_t> bytes, Deadline deadline) {
    std::size_t sent = 0;
    while (sent < bytes.size()) {
        const ssize_t n = send(fd, bytes.data() + sent, bytes.size() - sent, MSG_NOSIGNAL | MSG_DONTWAIT);
        if (n > 0) {
            sent += static_cast<std::size_t>(n);
            continue;
        }
        if (n < 0 && errno == EINTR) continue;
        if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
            const IoResult ready = waitFor(fd, POLLOUT, deadline);
            if (ready != IoResult::Ok) return ready;
            continue;
        }
        return (errno == EPIPE || errno == ECONNRESET) ? IoResult::Closed : IoResult::Failed;
    }
    return IoResult::Ok;
}

// Reads first and waits only when nothing has arrived yet: most of a frame is
// already there once its first byte is, and a poll before every read doubled
// the system calls of a round trip. `received` tells a clean end (nothing
// read) from a frame cut short.
IoResult receiveExactly(int fd, std::span<uint8_t> bytes, Deadline deadline, std::size_t* receivedCount) {
    std::size_t received = 0;
    IoResult result = IoResult::Ok;
    while (received < bytes.size()) {
        const ssize_t n = recv(fd, bytes.data() + received, bytes.size() - received, MSG_DONTWAIT);
        if (n > 0) {
            received += static_cast<std::size_t>(n);
            continue;
        }
        if (n == 0) {
            result = IoResult::Closed;
            break;
        }
        if (errno == EINTR) continue;
        if (errno == EAGAIN || errno == EWOULDBLOCK) {
            result = waitFor(fd, POLLIN, deadline);
            if (result != IoResult::Ok) break;
            continue;
        }
        result = errno == ECONNRESET ? IoResult::Closed : IoResult::Failed;
        break;
    }
    if (receivedCount) *receivedCount = received;
    return result;
}

IoResult receiveFrame(int fd, Frame& frame, Deadline firstByteDeadline, std::chrono::milliseconds restTimeout) {
    std::array<uint8_t, kHeaderSize> header{};
    IoResult result = waitFor(fd, POLLIN, firstByteDeadline);
    if (result != IoResult::Ok) return result;
    const Deadline rest = Clock::now() + restTimeout;
    std::size_t headerBytes = 0;
    result = receiveExactly(fd, header, rest, &headerBytes);
    // A peer that hangs up between frames ends cleanly; within one, the frame is cut short.
    if (result == IoResult::Closed && headerBytes == 0) return IoResult::Closed;
    if (result != IoResult::Ok) return result == IoResult::Closed ? IoResult::Malformed : result;
    const auto decoded = decodeHeader(header);
    if (!decoded) return IoResult::Malformed;
    frame.header = *decoded;
    frame.body.assign(decoded->bodySize, 0);
    result = receiveExactly(fd, frame.body, rest);
    return result == IoResult::Closed ? IoResult::Malformed : result;
}

bool unixSocketAddress(const std::string& path, sockaddr_un& address) {
    address = {};
    address.sun_family = AF_UNIX;
    if (path.size() >= sizeof address.sun_path) return false;
    std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
    return true;
}

int connectUnixSocket(const std::string& path) {
    sockaddr_un address;
    if (!unixSocketAddress(path, address)) return -1;
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) return -1;
    if (::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
        ::close(fd);
        return -1;
    }
    return fd;
}

}  // namespace iokit::wire
