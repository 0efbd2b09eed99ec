#include "tests/driver/FakeDriver.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>

#include "driver/80211UserClientWrapper.h"

namespace testsupport {

using namespace iokit::wire;

FakeDriver::Answer FakeDriver::acceptOpen(const Frame& request) {
    return Answer{encodeOpenReply(request.header.sequence, {0}), false, false};
}

FakeDriver::Answer FakeDriver::reply(const Frame& request, int32_t status, std::vector<uint8_t> output) {
    return Answer{encodeCallReply(request.header.sequence, CallReply{status, std::move(output)}), false, false};
}

FakeDriver::FakeDriver(const std::string& registry, Script onCall, Script onOpen)
    : onCall_(std::move(onCall)), onOpen_(std::move(onOpen)) {
    std::filesystem::create_directories(registry);
    const std::string path = registry + "/" + kDriverClassName + ".0";
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::strncpy(address.sun_path, path.c_str(), sizeof address.sun_path - 1);
    listenFd_ = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (::bind(listenFd_, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 || ::listen(listenFd_, 4) != 0 ||
        ::pipe2(wake_, O_CLOEXEC) != 0) {
        ::close(listenFd_);
        listenFd_ = -1;
        return;
    }
    thread_ = std::thread([this] { run(); });
}

FakeDriver::~FakeDriver() {
    if (thread_.joinable()) {
        [[maybe_unused]] ssize_t written = ::write(wake_[1], "x", 1);
        thread_.join();
    }
    for (int fd : {listenFd_, wake_[0], wake_[1]}) {
        if (fd >= 0) ::close(fd);
    }
}

std::vector<CallRequest> FakeDriver::calls() const {
    std::lock_guard guard(lock_);
    return calls_;
}

void FakeDriver::run() {
    for (;;) {
        pollfd watched[2] = {{listenFd_, POLLIN, 0}, {wake_[0], POLLIN, 0}};
        if (::poll(watched, 2, -1) <= 0 || (watched[1].revents & POLLIN)) return;
        const int fd = ::accept4(listenFd_, nullptr, nullptr, SOCK_CLOEXEC);
        if (fd < 0) continue;
        serve(fd);
        ::close(fd);
    }
}

// One connection at a time: the tests open one.
void FakeDriver::serve(int fd) {
    for (;;) {
        pollfd watched[2] = {{fd, POLLIN, 0}, {wake_[0], POLLIN, 0}};
        if (::poll(watched, 2, -1) <= 0 || (watched[1].revents & POLLIN)) return;
        Frame frame;
        if (receiveFrame(fd, frame, Clock::now(), std::chrono::seconds(10)) != IoResult::Ok) return;
        Answer answer;
        if (frame.header.kind == FrameKind::Open) {
            answer = onOpen_(frame);
        } else {
            if (auto call = decodeCallRequest(frame.body)) {
                std::lock_guard guard(lock_);
                calls_.push_back(*call);
            }
            answer = onCall_(frame);
        }
        if (answer.silent) continue;  // the client gives up and closes
        if (!answer.bytes.empty() && sendAll(fd, answer.bytes, Clock::now() + std::chrono::seconds(10)) != IoResult::Ok)
            return;
        if (answer.close) return;
    }
}

}  // namespace testsupport
