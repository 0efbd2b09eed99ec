// A hand-driven driver for the client side's tests: it publishes the
// driver's service in a registry folder and answers each open and each call
// with whatever bytes the test scripts, including broken ones.
#pragma once

#include <atomic>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "platform/TransportWire.h"

namespace testsupport {

class FakeDriver {
public:
    // What to send back for one frame, and whether to close afterwards.
    struct Answer {
        std::vector<uint8_t> bytes;
        bool close = false;
        bool silent = false;  // send nothing, keep the connection open
    };
    using Script = std::function<Answer(const iokit::wire::Frame& request)>;

    static Answer acceptOpen(const iokit::wire::Frame& request);
    // A well-formed reply to a call with the given status and output.
    static Answer reply(const iokit::wire::Frame& request, int32_t status, std::vector<uint8_t> output);

    FakeDriver(const std::string& registry, Script onCall, Script onOpen = acceptOpen);
    ~FakeDriver();
    FakeDriver(const FakeDriver&) = delete;
    FakeDriver& operator=(const FakeDriver&) = delete;

    bool listening() const { return listenFd_ >= 0; }
    std::vector<iokit::wire::CallRequest> calls() const;

private:
    void run();
    void serve(int fd);

    Script onCall_;
    Script onOpen_;
    int listenFd_ = -1;
    int wake_[2] = {-1, -1};
    std::thread thread_;
    mutable std::mutex lock_;
    std::vector<iokit::wire::CallRequest> calls_;
};

}  // namespace testsupport
