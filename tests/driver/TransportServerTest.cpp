// The server side against raw clients that send truncated, oversized and
// garbage frames: each such connection is closed, and the simulator goes on
// serving everyone else.
#include <gtest/gtest.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstring>
#include <functional>
#include <thread>
#include <vector>

#include "driver/80211UserClientWrapper.h"
#include "platform/TransportWire.h"
#include "tests/support/CardSimulatorProcess.h"

namespace {

using namespace iokit::wire;
using Bytes = std::vector<uint8_t>;

class RawClient {
public:
    explicit RawClient(const std::string& socketPath) {
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        std::strncpy(address.sun_path, socketPath.c_str(), sizeof address.sun_path - 1);
        fd_ = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
        if (::connect(fd_, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
            ::close(fd_);
            fd_ = -1;
        }
    }
    ~RawClient() { close(); }

    bool connected() const { return fd_ >= 0; }
    bool send(const Bytes& bytes) { return sendAll(fd_, bytes, Clock::now() + std::chrono::seconds(5)) == IoResult::Ok; }
    void close() {
        if (fd_ >= 0) ::close(fd_);
        fd_ = -1;
    }
    // Whether the server ends the connection within the time given, reading
    // away anything it sends first.
    bool closedByServer(std::chrono::seconds within = std::chrono::seconds(10)) {
        const auto deadline = Clock::now() + within;
        uint8_t byte;
        for (;;) {
            const IoResult result = receiveExactly(fd_, std::span(&byte, 1), deadline);
            if (result == IoResult::Closed) return true;
            if (result != IoResult::Ok) return false;
        }
    }
    bool receive(Frame& frame) {
        return receiveFrame(fd_, frame, Clock::now() + std::chrono::seconds(10), std::chrono::seconds(10)) == IoResult::Ok;
    }
    bool open(uint32_t type = 0) {
        Frame reply;
        return send(encodeOpenRequest(1, {type})) && receive(reply) && reply.header.kind == FrameKind::OpenReply &&
               decodeOpenReply(reply.body).value_or(OpenReply{-1}).status == 0;
    }

private:
    int fd_ = -1;
};

Bytes header(uint16_t version, uint16_t kind, uint32_t bodySize) {
    Bytes bytes{'N', 'M', 'B', 'K', static_cast<uint8_t>(version), static_cast<uint8_t>(version >> 8),
                static_cast<uint8_t>(kind), static_cast<uint8_t>(kind >> 8), 1, 0, 0, 0};
    for (int shift = 0; shift < 32; shift += 8) bytes.push_back(static_cast<uint8_t>(bodySize >> shift));
    return bytes;
}

Bytes concat(Bytes a, const Bytes& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

Bytes firstBytes(Bytes bytes, std::size_t count) {
    bytes.resize(count);
    return bytes;
}

Bytes prefsCall() { return encodeCallRequest(2, kMethodGetPrefs, Bytes(142, 0), 142); }

struct BadClient {
    const char* name;
    bool opensFirst;      // a proper open before the bad bytes
    Bytes bytes;
    bool clientCloses;    // the client hangs up after sending; otherwise the server must
};

void PrintTo(const BadClient& c, std::ostream* out) { *out << c.name; }

const BadClient kBadClients[] = {
    {"HalfAHeaderThenHangUp", false, firstBytes(encodeOpenRequest(1, {0}), 8), true},
    {"Garbage", false, Bytes(100, 0x42), false},
    {"WrongVersion", false, concat(header(9, 1, 4), {0, 0, 0, 0}), false},
    {"OversizedBody", false, header(1, 3, 0xFFFFFFF0), false},
    {"BodyJustOverTheLimit", false, concat(header(1, 3, kMaxBodySize + 1), Bytes(kMaxBodySize + 1, 0)), false},
    {"CallBeforeOpen", false, prefsCall(), false},
    {"OpenBodyTooLong", false, concat(header(1, 1, 8), Bytes(8, 0)), false},
    {"UnknownKind", false, concat(header(1, 7, 4), {0, 0, 0, 0}), false},
    {"CallInputSizeBeyondItsBody", true, concat(header(1, 3, 12), {2, 0, 0, 0, 0x88, 0x13, 0, 0, 142, 0, 0, 0}), false},
    {"CallCapacityOverTheLimit", true, concat(header(1, 3, 12), {5, 0, 0, 0, 0, 0, 0, 0, 0x01, 0x10, 0, 0}), false},
    {"CallCutShortThenHangUp", true, firstBytes(prefsCall(), 40), true},
    {"SecondOpen", true, encodeOpenRequest(2, {0}), false},
    {"ReplyFromTheClient", true, encodeCallReply(2, {0, {1, 2, 3}}), false},
};

class TransportServerBadClient : public testing::TestWithParam<BadClient> {};

TEST_P(TransportServerBadClient, IsClosedAndOthersAreStillServed) {
    const BadClient& c = GetParam();
    testsupport::SimulatorSession session;
    ASSERT_TRUE(session.start());

    // A well-behaved client, connected all along.
    Nimbrel80211UserClientWrapper before(session.registry());
    ASSERT_EQ(before.connect(), 1);

    RawClient bad(session.process().socketPath());
    ASSERT_TRUE(bad.connected());
    if (c.opensFirst) {
        ASSERT_TRUE(bad.open());
    }
    bad.send(c.bytes);
    if (c.clientCloses) bad.close();
    else EXPECT_TRUE(bad.closedByServer());

    PrismPrefsRecord record{};
    EXPECT_EQ(before.getPrefs(&record), 142);
    Nimbrel80211UserClientWrapper after(session.registry());
    ASSERT_EQ(after.connect(), 1);
    EXPECT_EQ(after.getPrefs(&record), 142);

    // Only the well-formed clients, and a bad one after its proper open, were
    // ever opened; no bad frame reached the driver as a call.
    before.disconnect();
    after.disconnect();
    EXPECT_EQ(session.journal().named("open").size(), c.opensFirst ? 3u : 2u);
    EXPECT_EQ(session.journal().named("getPrefs").size(), 2u);
}

INSTANTIATE_TEST_SUITE_P(Transport, TransportServerBadClient, testing::ValuesIn(kBadClients),
                         [](const auto& info) { return info.param.name; });

TEST(TransportServer, RefusesAConnectionTypeItDoesNotServe) {
    testsupport::SimulatorSession session;
    ASSERT_TRUE(session.start());
    RawClient client(session.process().socketPath());
    ASSERT_TRUE(client.send(encodeOpenRequest(1, {1})));
    Frame reply;
    ASSERT_TRUE(client.receive(reply));
    EXPECT_EQ(reply.header.kind, FrameKind::OpenReply);
    const auto answer = decodeOpenReply(reply.body);
    ASSERT_TRUE(answer.has_value());
    EXPECT_NE(answer->status, 0);
    EXPECT_TRUE(client.closedByServer());
    EXPECT_TRUE(session.journal().named("open").empty());
}

TEST(TransportServer, StalledFrameHoldsUpNobodyAndIsDroppedAfterTheTimeout) {
    testsupport::SimulatorSession session;
    ASSERT_TRUE(session.start());
    RawClient stalled(session.process().socketPath());
    ASSERT_TRUE(stalled.open());
    ASSERT_TRUE(stalled.send(firstBytes(prefsCall(), 20)));

    Nimbrel80211UserClientWrapper other(session.registry());
    ASSERT_EQ(other.connect(), 1);
    PrismPrefsRecord record{};
    EXPECT_EQ(other.getPrefs(&record), 142);
    EXPECT_TRUE(stalled.closedByServer());
    other.disconnect();
}

struct CapacityCase {
    const char* name;
    uint32_t method;
    Bytes input;
    uint32_t capacity;
    std::size_t expectedOutput;
};

void PrintTo(const CapacityCase& c, std::ostream* out) { *out << c.name; }

class TransportServerCapacity : public testing::TestWithParam<CapacityCase> {};

TEST_P(TransportServerCapacity, ReplyNeverExceedsTheCallersCapacity) {
    const CapacityCase& c = GetParam();
    testsupport::SimulatorSession session;
    ASSERT_TRUE(session.start());  // the demo world: three networks
    RawClient client(session.process().socketPath());
    ASSERT_TRUE(client.open());
    ASSERT_TRUE(client.send(encodeCallRequest(2, c.method, c.input, c.capacity)));
    Frame frame;
    ASSERT_TRUE(client.receive(frame));
    const auto reply = decodeCallReply(frame.body);
    ASSERT_TRUE(reply.has_value());
    EXPECT_EQ(reply->status, 0);
    EXPECT_EQ(reply->output.size(), c.expectedOutput);
}

INSTANTIATE_TEST_SUITE_P(
    Transport, TransportServerCapacity,
    testing::Values(CapacityCase{"SettingsRecordIntoTenBytes", 2, Bytes(142, 0), 10, 10},
                    CapacityCase{"SettingsRecordIntoMore", 2, Bytes(142, 0), 4096, 142},
                    CapacityCase{"ScanIntoRoomForTwo", 5, {}, 120, 100},
                    CapacityCase{"ScanIntoNothing", 5, {}, 0, 0},
                    CapacityCase{"ScanIntoTheWholeArea", 5, {}, 800, 150}),
    [](const auto& info) { return info.param.name; });

}  // namespace
