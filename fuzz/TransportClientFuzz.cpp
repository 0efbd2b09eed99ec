// The transport's client side against replies from a server: a fake driver in
// this process answers with the input's bytes, and the client's calls must
// fail or succeed without ever writing past their caller's buffer, reporting
// more output than its capacity, or waiting longer than the reply timeout.
//
// Input: byte 0 chooses the script (bit 0: the input answers the open as
// well; bit 1: input and output share one buffer; bits 2-4: through the
// driver wrapper's operation instead of a raw call), bytes 1-2 the output
// capacity, byte 3 the method; the rest is the server's whole reply stream.
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <cstdlib>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "driver/80211UserClientWrapper.h"
#include "fuzz/FuzzSupport.h"
#include "platform/IOKit.h"
#include "platform/TransportWire.h"

namespace {

namespace wire = iokit::wire;
using Clock = std::chrono::steady_clock;

constexpr std::size_t kScriptSize = 4;

struct Script {
    bool answersOpen = false;
    bool sharedBuffer = false;
    unsigned wrapperOperation = 0;  // 0: a raw call
    uint32_t capacity = 0;
    uint32_t method = 0;
    std::vector<uint8_t> replies;
};

Script scriptOf(std::span<const uint8_t> input) {
    Script script;
    if (input.size() < kScriptSize) return script;
    script.answersOpen = input[0] & 1;
    script.sharedBuffer = input[0] & 2;
    script.wrapperOperation = (input[0] >> 2) & 7;
    script.capacity = littleEndianWord(input[1], input[2]) % (wire::kMaxStructureSize + 1);
    script.method = input[3];
    script.replies.assign(input.begin() + kScriptSize, input.end());
    return script;
}

// A fake driver that serves one connection per input: it answers the open
// properly (unless the input does), then sends the input's reply stream,
// half-closes and waits for the client to close.
class FakeDriver {
public:
    FakeDriver() {
        registry_ = fuzz::makeTemporaryFolder("client");
        socketPath_ = registry_ + "/" + kDriverClassName + ".0";
        listenFd_ = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        std::memcpy(address.sun_path, socketPath_.c_str(), socketPath_.size() + 1);
        if (listenFd_ < 0 || ::bind(listenFd_, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0 ||
            ::listen(listenFd_, 4) != 0)
            fuzz::fail("cannot listen for the client");
        std::thread([this] { serve(); }).detach();
    }

    const std::string& registry() const { return registry_; }
    const std::string& socketPath() const { return socketPath_; }

    void expect(const Script& script) {
        std::lock_guard guard(lock_);
        script_ = &script;
        served_ = false;
    }

    // Waits until the connection of this input has ended on the driver's
    // side too, so that no input's traffic runs into the next one.
    void waitServed() {
        std::unique_lock guard(lock_);
        if (!changed_.wait_for(guard, std::chrono::seconds(15), [this] { return served_; }))
            fuzz::fail("the client never connected or never closed");
        script_ = nullptr;
    }

private:
    void serve() {
        for (;;) {
            const int fd = ::accept4(listenFd_, nullptr, nullptr, SOCK_CLOEXEC);
            if (fd < 0) continue;
            const Script* script = nullptr;
            {
                std::lock_guard guard(lock_);
                script = script_;
            }
            if (script) answer(fd, *script);
            ::close(fd);
            std::lock_guard guard(lock_);
            served_ = true;
            changed_.notify_all();
        }
    }

    static void answer(int fd, const Script& script) {
        std::vector<uint8_t> stream;
        if (!script.answersOpen) {
            wire::Frame open;
            const auto deadline = Clock::now() + std::chrono::seconds(5);
            if (wire::receiveFrame(fd, open, deadline, std::chrono::seconds(5)) != wire::IoResult::Ok) return;
            stream = wire::encodeOpenReply(open.header.sequence, {iokit::kIOReturnSuccess});
        }
        stream.insert(stream.end(), script.replies.begin(), script.replies.end());
        if (!fuzz::pumpAndDrain(fd, stream, 7000)) fuzz::fail("the client neither read nor closed the connection");
    }

    std::string registry_;
    std::string socketPath_;
    int listenFd_ = -1;
    std::mutex lock_;
    std::condition_variable changed_;
    const Script* script_ = nullptr;
    bool served_ = true;
};

FakeDriver& fakeDriver() {
    // Never torn down: libFuzzer ends the process with exit().
    static FakeDriver* driver = [] {
        auto* made = new FakeDriver;
        static std::string socketToRemove = made->socketPath();
        static std::string folderToRemove = made->registry();
        std::atexit([] {
            ::unlink(socketToRemove.c_str());
            ::rmdir(folderToRemove.c_str());
        });
        return made;
    }();
    return *driver;
}

// A raw call with a buffer of the script's capacity, twice: the second call
// either reads a second reply or finds the connection closed.
void rawCalls(const FakeDriver& driver, const Script& script) {
    iokit::io_iterator_t iterator = 0;
    if (iokit::IOServiceGetMatchingServices(iokit::kIOMasterPortDefault,
                                            iokit::IOServiceMatching(kDriverClassName, driver.registry()),
                                            &iterator) != iokit::kIOReturnSuccess)
        fuzz::fail("the registry cannot be listed");
    const iokit::io_service_t service = iokit::IOIteratorNext(iterator);
    iokit::IOObjectRelease(iterator);
    if (service == 0) fuzz::fail("the fake driver is not found");
    iokit::io_connect_t connection = 0;
    if (iokit::IOServiceOpen(service, iokit::mach_task_self(), 0, &connection) == iokit::kIOReturnSuccess) {
        for (int call = 0; call < 2; ++call) {
            fuzz::GuardedBuffer output(script.capacity);
            std::vector<uint8_t> separateInput(16, 0x3C);
            void* input = script.sharedBuffer ? output.data() : separateInput.data();
            const uint32_t inputSize = script.sharedBuffer ? script.capacity : separateInput.size();
            uint32_t outputSize = script.capacity;
            const auto status = iokit::IOConnectMethodStructureIStructureO(connection, script.method, inputSize,
                                                                           &outputSize, input, output.data());
            output.checkGuard();
            if (status == iokit::kIOReturnSuccess && outputSize > script.capacity)
                fuzz::fail("more output reported than the caller's capacity");
        }
        iokit::IOServiceClose(connection);
    }
    iokit::IOObjectRelease(service);
}

// A driver record followed by a guard region.
template <typename Record>
struct Guarded {
    Record record;
    uint8_t guard[fuzz::GuardedBuffer::kGuardSize];
    Guarded() {
        std::memset(&record, 0, sizeof record);
        std::memset(guard, fuzz::GuardedBuffer::kGuardByte, sizeof guard);
    }
    void checkGuard() const {
        for (uint8_t byte : guard) {
            if (byte != fuzz::GuardedBuffer::kGuardByte) fuzz::fail("write past the end of the caller's record");
        }
    }
};

// One operation of the wrapper, as the pane and the loader make them.
void wrapperCall(const FakeDriver& driver, const Script& script) {
    Nimbrel80211UserClientWrapper userClient(driver.registry());
    if (userClient.connect()) {
        switch (script.wrapperOperation % 5) {
            case 0: {
                Guarded<NMX80211UserClientRID> rid;
                rid.record.rid = 0xFD20;
                userClient.getRID(&rid.record);
                rid.checkGuard();
                break;
            }
            case 1: {
                Guarded<NMX80211UserClientRID> rid;
                rid.record.length = 4;
                userClient.setRID(&rid.record);
                rid.checkGuard();
                break;
            }
            case 2: {
                Guarded<PrismPrefsRecord> prefs;
                userClient.getPrefs(&prefs.record);
                prefs.checkGuard();
                break;
            }
            case 3: {
                Guarded<PrismPrefsRecord> prefs;
                userClient.setPrefs(&prefs.record);
                prefs.checkGuard();
                break;
            }
            default: {
                Guarded<NMX80211ScanRecord[kScanRecordCount]> area;
                const int32_t size = userClient.apScan(area.record);
                area.checkGuard();
                if (size < 0 || static_cast<std::size_t>(size) > kScanAreaSize)
                    fuzz::fail("a scan reports more than its area");
                break;
            }
        }
    }
    userClient.disconnect();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    if (size < kScriptSize) return 0;
    const Script script = scriptOf(std::span(data, size));
    FakeDriver& driver = fakeDriver();
    driver.expect(script);
    const auto started = Clock::now();
    if (script.wrapperOperation == 0) rawCalls(driver, script);
    else wrapperCall(driver, script);
    driver.waitServed();
    // Each call may wait up to the reply timeout, but the fake driver always
    // closes: a call that waits for more than that hangs.
    if (Clock::now() - started > 2 * iokit::kReplyTimeout) fuzz::fail("a call outlived the reply timeout");
    return 0;
}
