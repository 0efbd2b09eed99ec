// The transport's server side against frames from a client: each input is the
// whole byte stream of one client connection to a real published service in
// this process. The server must answer or close, never crash or hang, and
// never reply with more than the call's output capacity.
#include <array>
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "fuzz/FuzzSupport.h"
#include "platform/IOKitServer.h"
#include "platform/TransportWire.h"

namespace {

namespace wire = iokit::wire;

constexpr const char* kClassName = "com_nimbrel_802_11_driver";
constexpr uint32_t kServedType = 0;
constexpr uint32_t kFailingMethod = 7;

// Answers every method with its input twice over, so that replies larger than
// the caller's capacity are common and the server has to cut them.
class EchoDriver : public iokit::UserClientDriver {
public:
    bool servesConnectionType(uint32_t type) const override { return type == kServedType; }
    iokit::MethodReply callMethod(const iokit::UserClientConnection&, const iokit::MethodCall& call) override {
        iokit::MethodReply reply;
        if (call.method == kFailingMethod) {
            reply.status = iokit::kIOReturnUnsupported;
            reply.output.assign(16, 0xEE);  // dropped by the server with a failed status
            return reply;
        }
        reply.output.assign(call.input.begin(), call.input.end());
        reply.output.insert(reply.output.end(), call.input.begin(), call.input.end());
        return reply;
    }
};

struct Service {
    std::string registry;
    std::string socketPath;
};

// Published once for the whole run and never torn down: libFuzzer ends the
// process with exit(), while the service thread is still serving.
const Service& service() {
    static const Service published = [] {
        Service made;
        made.registry = fuzz::makeTemporaryFolder("server");
        auto* driver = new EchoDriver;
        auto* publisher = new iokit::ServicePublisher(*driver);
        std::string error;
        if (!publisher->publish(made.registry, kClassName, 0, error)) fuzz::fail(error.c_str());
        made.socketPath = publisher->socketPath();
        std::thread([publisher] { publisher->serve(); }).detach();
        static std::string socketToRemove = made.socketPath;
        static std::string folderToRemove = made.registry;
        std::atexit([] {
            ::unlink(socketToRemove.c_str());
            ::rmdir(folderToRemove.c_str());
        });
        return made;
    }();
    return published;
}

// Splits a byte stream into whole frames, up to the first one that is not.
std::vector<wire::Frame> wholeFrames(std::span<const uint8_t> stream) {
    std::vector<wire::Frame> frames;
    while (stream.size() >= wire::kHeaderSize) {
        const auto header = wire::decodeHeader(stream.first<wire::kHeaderSize>());
        if (!header || stream.size() - wire::kHeaderSize < header->bodySize) break;
        const auto body = stream.subspan(wire::kHeaderSize, header->bodySize);
        frames.push_back({*header, std::vector<uint8_t>(body.begin(), body.end())});
        stream = stream.subspan(wire::kHeaderSize + header->bodySize);
    }
    return frames;
}

struct AskedCall {
    uint32_t sequence;
    uint32_t outputCapacity;
};

// The calls that the server may answer: those after the opening frame, up to
// the first frame that is no well-formed call.
std::vector<AskedCall> callsAsked(const std::vector<wire::Frame>& sent) {
    std::vector<AskedCall> calls;
    for (std::size_t i = 1; i < sent.size(); ++i) {
        if (sent[i].header.kind != wire::FrameKind::Call) break;
        const auto call = wire::decodeCallRequest(sent[i].body);
        if (!call) break;
        calls.push_back({sent[i].header.sequence, call->outputCapacity});
    }
    return calls;
}

// Every reply must answer the call in its place, within its capacity.
void checkReplies(std::span<const uint8_t> sentStream, std::span<const uint8_t> receivedStream) {
    const std::vector<wire::Frame> received = wholeFrames(receivedStream);
    if (received.empty()) return;
    if (received[0].header.kind != wire::FrameKind::OpenReply) fuzz::fail("the first reply is no open reply");
    const std::vector<wire::Frame> sent = wholeFrames(sentStream);
    const std::vector<AskedCall> calls = callsAsked(sent);
    if (received.size() - 1 > calls.size()) fuzz::fail("more replies than calls");
    for (std::size_t i = 1; i < received.size(); ++i) {
        const auto reply = wire::decodeCallReply(received[i].body);
        if (received[i].header.kind != wire::FrameKind::Reply || !reply) fuzz::fail("a malformed reply");
        if (received[i].header.sequence != calls[i - 1].sequence) fuzz::fail("a reply to another call");
        if (reply->output.size() > calls[i - 1].outputCapacity) fuzz::fail("a reply beyond the output capacity");
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    const int fd = iokit::wire::connectUnixSocket(service().socketPath);
    if (fd < 0) fuzz::fail("cannot connect to the published service");
    const std::span<const uint8_t> sent(data, size);
    std::vector<uint8_t> received;
    // The server closes once the stream ends, well formed or not; waiting
    // longer than its own reply timeout means it hangs.
    const bool closed = fuzz::pumpAndDrain(fd, sent, 7000, &received);
    ::close(fd);
    if (!closed) fuzz::fail("the server neither answered nor closed the connection");
    checkReplies(sent, received);
    return 0;
}
