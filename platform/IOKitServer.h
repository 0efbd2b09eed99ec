// Server side of the user-client transport: how a driver publishes a service
// and answers the method calls of its user clients. Each connection is served
// by a thread of its own, so a slow or silent client holds up nobody else.
#pragma once

#include <sys/types.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <list>
#include <mutex>
#include <span>
#include <string>
#include <thread>
#include <vector>

#include "platform/IOKit.h"

namespace iokit {

struct PeerCredentials {
    uint32_t uid = 0;
    uint32_t gid = 0;
    int32_t pid = 0;
};

// One open user-client connection, as the driver sees it.
struct UserClientConnection {
    uint64_t id = 0;
    uint32_t type = 0;
    PeerCredentials peer;
};

struct MethodCall {
    uint32_t method = 0;
    std::span<const uint8_t> input;
    uint32_t outputCapacity = 0;  // the reply is cut to this size
};

struct MethodReply {
    kern_return_t status = kIOReturnSuccess;
    std::vector<uint8_t> output;
    std::chrono::milliseconds delay{0};  // waited before the reply goes out
};

// What a driver implements. The methods may run on several threads at once.
class UserClientDriver {
public:
    virtual ~UserClientDriver() = default;
    virtual bool servesConnectionType(uint32_t type) const = 0;
    virtual void connectionOpened(const UserClientConnection&) {}
    virtual void connectionClosed(const UserClientConnection&) {}
    virtual MethodReply callMethod(const UserClientConnection& connection, const MethodCall& call) = 0;
};

// The socket path of a service: <registry>/<className>.<unit>.
std::string serviceSocketPath(const std::string& registry, const std::string& className, uint32_t unit);

class ServicePublisher {
public:
    static constexpr std::size_t kMaxConnections = 64;

    explicit ServicePublisher(UserClientDriver& driver);
    ~ServicePublisher();  // stops serving and removes the socket
    ServicePublisher(const ServicePublisher&) = delete;
    ServicePublisher& operator=(const ServicePublisher&) = delete;

    // Creates the registry folder when missing and listens on the service's
    // socket. A stale socket left by a dead driver is replaced; a live one is
    // not. On failure returns false with the reason in error.
    bool publish(const std::string& registry, const std::string& className, uint32_t unit, std::string& error);
    const std::string& socketPath() const { return socketPath_; }

    // Accepts and serves connections until stop(); returns once every
    // connection has ended.
    void serve();
    // From any thread: ends serve(), closing every connection.
    void stop();

private:
    struct Client {
        int fd = -1;
        std::thread thread;
        std::atomic<bool> finished{false};
    };

    void acceptOne();
    void serveClient(Client& client, PeerCredentials peer);
    // Whether the connection was opened (and the driver told of it).
    bool openHandshake(int fd, UserClientConnection& connection);
    bool answerCall(int fd, const UserClientConnection& connection, const std::vector<uint8_t>& body,
                    uint32_t sequence);
    bool waitUnlessStopped(std::chrono::milliseconds delay);
    void reapFinishedClients();
    void unpublish();

    UserClientDriver& driver_;
    std::string socketPath_;
    int listenFd_ = -1;
    int wakePipe_[2] = {-1, -1};
    dev_t socketDevice_ = 0;
    ino_t socketInode_ = 0;

    std::mutex lock_;
    std::condition_variable stopped_;
    bool stopping_ = false;
    std::list<Client> clients_;
    uint64_t lastConnectionId_ = 0;
};

}  // namespace iokit
