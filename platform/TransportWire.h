// The user-client transport's wire format, shared by both sides.
//
// Every frame is a 16-byte header followed by a body:
//   bytes 0-3   magic "NMBK"
//   bytes 4-5   version (kWireVersion)
//   bytes 6-7   kind (FrameKind)
//   bytes 8-11  sequence number; a reply carries its request's
//   bytes 12-15 body size
// All numbers are little-endian. Bodies by kind:
//   Open       type u32                                      (4 bytes)
//   OpenReply  status i32                                    (4 bytes)
//   Call       method u32, input size u32, output capacity u32, input bytes
//   Reply      status i32, output size u32, output bytes
// Structure sizes are at most kMaxStructureSize; a body must be exactly as
// long as its fields say. Anything else is a malformed frame.
#pragma once

#include <sys/un.h>

#include <array>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace iokit::wire {

inline constexpr std::array<uint8_t, 4> kMagic{'N', 'M', 'B', 'K'};
inline constexpr uint16_t kWireVersion = 1;
inline constexpr std::size_t kHeaderSize = 16;
inline constexpr uint32_t kMaxStructureSize = 4096;
inline constexpr std::size_t kCallFixedSize = 12;
inline constexpr std::size_t kReplyFixedSize = 8;
inline constexpr uint32_t kMaxBodySize = kCallFixedSize + kMaxStructureSize;

enum class FrameKind : uint16_t { Open = 1, OpenReply = 2, Call = 3, Reply = 4 };

struct FrameHeader {
    FrameKind kind;
    uint32_t sequence;
    uint32_t bodySize;
};

struct OpenRequest {
    uint32_t connectionType;
};

struct OpenReply {
    int32_t status;
};

struct CallRequest {
    uint32_t method;
    uint32_t outputCapacity;
    std::vector<uint8_t> input;
};

struct CallReply {
    int32_t status;
    std::vector<uint8_t> output;
};

// Whole frames, header included.
std::vector<uint8_t> encodeOpenRequest(uint32_t sequence, const OpenRequest& request);
std::vector<uint8_t> encodeOpenReply(uint32_t sequence, const OpenReply& reply);
std::vector<uint8_t> encodeCallRequest(uint32_t sequence, uint32_t method, std::span<const uint8_t> input,
                                       uint32_t outputCapacity);  // input at most kMaxStructureSize
std::vector<uint8_t> encodeCallReply(uint32_t sequence, const CallReply& reply);  // output at most kMaxStructureSize

// None for a wrong magic or version, an unknown kind or an oversized body.
std::optional<FrameHeader> decodeHeader(std::span<const uint8_t, kHeaderSize> bytes);

// None unless the body is exactly what its fields say.
std::optional<OpenRequest> decodeOpenRequest(std::span<const uint8_t> body);
std::optional<OpenReply> decodeOpenReply(std::span<const uint8_t> body);
std::optional<CallRequest> decodeCallRequest(std::span<const uint8_t> body);
std::optional<CallReply> decodeCallReply(std::span<const uint8_t> body);

// A Unix-domain stream socket address; false when path does not fit.
bool unixSocketAddress(const std::string& path, sockaddr_un& address);

// A stream socket connected to path (close-on-exec), or -1.
int connectUnixSocket(const std::string& path);

// Socket I/O with a deadline. Sending never raises SIGPIPE.
using Clock = std::chrono::steady_clock;
using Deadline = Clock::time_point;
inline constexpr Deadline kNoDeadline = Deadline::max();

enum class IoResult { Ok, Closed, TimedOut, Failed, Malformed };

IoResult sendAll(int fd, std::span<const uint8_t> bytes, Deadline deadline);
IoResult receiveExactly(int fd, std::span<uint8_t> bytes, Deadline deadline, std::size_t* receivedCount = nullptr);

struct Frame {
    FrameHeader header;
    std::vector<uint8_t> body;
};

// Reads one frame. The first byte may take until firstByteDeadline; once it
// has come, the rest of the frame must arrive within restTimeout.
// Malformed for a header that decodeHeader refuses; the body is then not read.
IoResult receiveFrame(int fd, Frame& frame, Deadline firstByteDeadline, std::chrono::milliseconds restTimeout);

}  // namespace iokit::wire
