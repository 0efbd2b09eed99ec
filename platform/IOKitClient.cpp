// Client side of the user-client transport. Handles name objects of a
// process-wide table: iterators, services and connections.
#include <fcntl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <charconv>
#include <cstring>
#include <filesystem>
#include <memory>
#include <mutex>
#include <unordered_map>
#include <utility>
#include <variant>
#include <vector>

#include "platform/IOKit.h"
#include "platform/TransportWire.h"

namespace iokit {
namespace {

namespace fs = std::filesystem;
using namespace wire;

constexpr mach_port_t kMasterPort = 0x0B00;
constexpr task_port_t kTaskSelf = 0x0A00;

struct ServiceEntry {
    std::string socketPath;
};

struct IteratorEntry {
    std::vector<std::string> socketPaths;
    std::size_t next = 0;
};

// One open connection. Its own lock keeps calls of several threads on one
// connection apart without holding up the rest of the table.
struct ConnectionEntry {
    std::mutex lock;
    int fd = -1;
    uint32_t sequence = 0;

    ~ConnectionEntry() { closeSocket(); }
    void closeSocket() {
        if (fd >= 0) ::close(fd);
        fd = -1;
    }
};

using Object = std::variant<IteratorEntry, ServiceEntry, std::shared_ptr<ConnectionEntry>>;

class HandleTable {
public:
    io_object_t add(Object object) {
        std::lock_guard guard(lock_);
        do {
            ++last_;
        } while (last_ == 0 || objects_.contains(last_));
        objects_.emplace(last_, std::move(object));
        return last_;
    }

    template <typename T, typename F>
    auto with(io_object_t handle, F&& use) -> decltype(use(std::declval<T&>())) {
        std::lock_guard guard(lock_);
        auto found = objects_.find(handle);
        if (found == objects_.end() || !std::holds_alternative<T>(found->second)) return {};
        return use(std::get<T>(found->second));
    }

    template <typename T>
    bool remove(io_object_t handle) {
        std::unique_lock guard(lock_);
        auto found = objects_.find(handle);
        if (found == objects_.end() || !std::holds_alternative<T>(found->second)) return false;
        Object gone = std::move(found->second);
        objects_.erase(found);
        guard.unlock();  // a connection closes its socket outside the lock
        return true;
    }

private:
    std::mutex lock_;
    std::unordered_map<io_object_t, Object> objects_;
    io_object_t last_ = 0x1000;
};

HandleTable& handles() {
    static HandleTable table;
    return table;
}

// Unit number of a registry entry named "<className>.<digits>".
std::optional<uint32_t> unitOf(std::string_view entryName, std::string_view className) {
    if (entryName.size() <= className.size() + 1 || !entryName.starts_with(className) ||
        entryName[className.size()] != '.')
        return std::nullopt;
    const std::string_view digits = entryName.substr(className.size() + 1);
    if (!std::all_of(digits.begin(), digits.end(), [](char c) { return c >= '0' && c <= '9'; })) return std::nullopt;
    uint32_t unit = 0;
    const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), unit);
    if (error != std::errc() || end != digits.data() + digits.size()) return std::nullopt;
    return unit;
}

bool isSocket(const fs::path& path) {
    struct stat status {};
    return ::stat(path.c_str(), &status) == 0 && S_ISSOCK(status.st_mode);
}

kern_return_t statusOf(IoResult result) {
    switch (result) {
        case IoResult::Ok: return kIOReturnSuccess;
        case IoResult::TimedOut: return kIOReturnTimeout;
        case IoResult::Closed: return kIOReturnNotOpen;
        case IoResult::Failed:
        case IoResult::Malformed: return kIOReturnIPCError;
    }
    return kIOReturnError;
}

// Sends a request and reads the reply of the same sequence and kind. Any
// failure leaves the connection closed.
kern_return_t exchange(ConnectionEntry& connection, const std::vector<uint8_t>& request, uint32_t sequence,
                       FrameKind replyKind, Frame& reply) {
    const Deadline deadline = Clock::now() + kReplyTimeout;
    IoResult result = sendAll(connection.fd, request, deadline);
    if (result == IoResult::Ok) {
        result = receiveFrame(connection.fd, reply, deadline, kReplyTimeout);
        // A frame that is well formed but not the answer to this request.
        if (result == IoResult::Ok && (reply.header.kind != replyKind || reply.header.sequence != sequence))
            result = IoResult::Malformed;
    }
    if (result != IoResult::Ok) connection.closeSocket();
    return statusOf(result);
}

kern_return_t openConnection(ConnectionEntry& connection, uint32_t type) {
    const uint32_t sequence = ++connection.sequence;
    Frame reply;
    kern_return_t status = exchange(connection, encodeOpenRequest(sequence, {type}), sequence, FrameKind::OpenReply, reply);
    if (status != kIOReturnSuccess) return status;
    const auto answer = decodeOpenReply(reply.body);
    if (!answer) status = kIOReturnIPCError;
    else if (answer->status != kIOReturnSuccess) status = answer->status != 0 ? answer->status : kIOReturnError;
    if (status != kIOReturnSuccess) connection.closeSocket();
    return status;
}

kern_return_t callMethod(ConnectionEntry& connection, uint32_t index, std::span<const uint8_t> input,
                         IOByteCount* outputSize, void* output) {
    if (connection.fd < 0) return kIOReturnNotOpen;
    const uint32_t capacity = *outputSize;
    const uint32_t sequence = ++connection.sequence;
    Frame frame;
    const kern_return_t status =
        exchange(connection, encodeCallRequest(sequence, index, input, capacity), sequence, FrameKind::Reply, frame);
    if (status != kIOReturnSuccess) return status;
    const auto reply = decodeCallReply(frame.body);
    // More than the caller can hold is a broken reply, not one to cut short.
    if (!reply || reply->output.size() > capacity) {
        connection.closeSocket();
        return kIOReturnIPCError;
    }
    if (reply->status != kIOReturnSuccess) return reply->status;
    if (!reply->output.empty()) std::memcpy(output, reply->output.data(), reply->output.size());
    *outputSize = static_cast<IOByteCount>(reply->output.size());
    return kIOReturnSuccess;
}

}  // namespace

task_port_t mach_task_self() { return kTaskSelf; }

kern_return_t IOMasterPort(mach_port_t /*bootstrapPort*/, mach_port_t* masterPort) {
    if (masterPort == nullptr) return kIOReturnBadArgument;
    *masterPort = kMasterPort;
    return kIOReturnSuccess;
}

CFMutableDictionaryRef IOServiceMatching(const char* className, std::string_view registry) {
    if (className == nullptr) return nullptr;
    return new MatchingDictionary{className, std::string(registry)};
}

kern_return_t IOServiceGetMatchingServices(mach_port_t masterPort, CFDictionaryRef matching, io_iterator_t* existing) {
    const std::unique_ptr<MatchingDictionary> consumed(matching);
    if (existing == nullptr || consumed == nullptr) return kIOReturnBadArgument;
    *existing = 0;
    if (masterPort != kMasterPort && masterPort != kIOMasterPortDefault) return kIOReturnBadArgument;

    std::vector<std::pair<uint32_t, std::string>> found;
    std::error_code error;
    fs::directory_iterator entries(consumed->registry, error);
    if (error && error != std::errc::no_such_file_or_directory) return kIOReturnNotPermitted;
    if (!error) {
        for (const fs::directory_entry& entry : entries) {
            const auto unit = unitOf(entry.path().filename().string(), consumed->className);
            if (unit && isSocket(entry.path())) found.emplace_back(*unit, entry.path().string());
        }
    }
    std::sort(found.begin(), found.end());
    IteratorEntry iterator;
    for (auto& [unit, path] : found) iterator.socketPaths.push_back(std::move(path));
    *existing = handles().add(std::move(iterator));
    return kIOReturnSuccess;
}

io_service_t IOIteratorNext(io_iterator_t iterator) {
    std::optional<std::string> path = handles().with<IteratorEntry>(iterator, [](IteratorEntry& entry) {
        if (entry.next >= entry.socketPaths.size()) return std::optional<std::string>();
        return std::optional<std::string>(entry.socketPaths[entry.next++]);
    });
    if (!path) return 0;
    return handles().add(ServiceEntry{std::move(*path)});
}

kern_return_t IOObjectRelease(io_object_t object) {
    if (handles().remove<IteratorEntry>(object) || handles().remove<ServiceEntry>(object)) return kIOReturnSuccess;
    return kIOReturnBadArgument;
}

kern_return_t IOServiceOpen(io_service_t service, task_port_t owningTask, uint32_t type, io_connect_t* connect) {
    if (connect == nullptr) return kIOReturnBadArgument;
    *connect = 0;
    if (owningTask != kTaskSelf) return kIOReturnBadArgument;
    std::optional<std::string> path =
        handles().with<ServiceEntry>(service, [](ServiceEntry& entry) { return std::optional(entry.socketPath); });
    if (!path) return kIOReturnBadArgument;

    auto connection = std::make_shared<ConnectionEntry>();
    connection->fd = wire::connectUnixSocket(*path);
    if (connection->fd < 0) return kIOReturnNoDevice;
    const kern_return_t status = openConnection(*connection, type);
    if (status != kIOReturnSuccess) return status;
    *connect = handles().add(std::move(connection));
    return kIOReturnSuccess;
}

kern_return_t IOServiceClose(io_connect_t connect) {
    return handles().remove<std::shared_ptr<ConnectionEntry>>(connect) ? kIOReturnSuccess : kIOReturnBadArgument;
}

kern_return_t IOConnectMethodStructureIStructureO(io_connect_t connect, uint32_t index,
                                                  IOItemCount structureInputSize, IOByteCount* structureOutputSize,
                                                  void* inputStructure, void* outputStructure) {
    if (structureOutputSize == nullptr) return kIOReturnBadArgument;
    if (structureInputSize > kMaxStructureSize || *structureOutputSize > kMaxStructureSize) return kIOReturnBadArgument;
    if ((structureInputSize > 0 && inputStructure == nullptr) ||
        (*structureOutputSize > 0 && outputStructure == nullptr))
        return kIOReturnBadArgument;

    std::shared_ptr<ConnectionEntry> connection = handles().with<std::shared_ptr<ConnectionEntry>>(
        connect, [](std::shared_ptr<ConnectionEntry>& entry) { return entry; });
    if (!connection) return kIOReturnNotOpen;

    // The input goes into the request before any reply can overwrite it, so
    // input and output may share one buffer.
    const std::span<const uint8_t> input(static_cast<const uint8_t*>(inputStructure), structureInputSize);
    std::lock_guard guard(connection->lock);
    return callMethod(*connection, index, input, structureOutputSize, outputStructure);
}

}  // namespace iokit
