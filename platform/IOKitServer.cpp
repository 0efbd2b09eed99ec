#include "platform/IOKitServer.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>

#include "platform/TransportWire.h"

namespace iokit {
namespace {

namespace fs = std::filesystem;
using namespace wire;

// Whether a driver still answers on the socket at path.
bool somebodyListens(const std::string& path) {
    const int probe = connectUnixSocket(path);
    if (probe < 0) return false;
    ::close(probe);
    return true;
}

std::string systemError(const std::string& what) { return what + ": " + std::strerror(errno); }

PeerCredentials peerOf(int fd) {
    ucred credentials{};
    socklen_t size = sizeof credentials;
    if (getsockopt(fd, SOL_SOCKET, SO_PEERCRED, &credentials, &size) != 0) return {};
    return PeerCredentials{credentials.uid, credentials.gid, credentials.pid};
}

}  // namespace

std::string serviceSocketPath(const std::string& registry, const std::string& className, uint32_t unit) {
    return (fs::path(registry) / (className + "." + std::to_string(unit))).string();
}

ServicePublisher::ServicePublisher(UserClientDriver& driver) : driver_(driver) {}

ServicePublisher::~ServicePublisher() {
    stop();
    unpublish();
    for (int& fd : wakePipe_) {
        if (fd >= 0) ::close(fd);
        fd = -1;
    }
}

bool ServicePublisher::publish(const std::string& registry, const std::string& className, uint32_t unit,
                               std::string& error) {
    std::error_code folderError;
    fs::create_directories(registry, folderError);
    if (folderError) {
        error = "cannot create registry " + registry + ": " + folderError.message();
        return false;
    }
    const std::string path = serviceSocketPath(registry, className, unit);
    sockaddr_un address;
    if (!unixSocketAddress(path, address)) {
        error = "socket path too long: " + path;
        return false;
    }
    struct stat existing {};
    if (::lstat(path.c_str(), &existing) == 0) {
        if (!S_ISSOCK(existing.st_mode)) {
            error = path + " exists and is not a socket";
            return false;
        }
        if (somebodyListens(path)) {
            error = "another driver already serves " + path;
            return false;
        }
        ::unlink(path.c_str());  // left behind by a driver that died
    }
    if (::pipe2(wakePipe_, O_CLOEXEC | O_NONBLOCK) != 0) {
        error = systemError("pipe");
        return false;
    }
    listenFd_ = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (listenFd_ < 0) {
        error = systemError("socket");
        return false;
    }
    if (::bind(listenFd_, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
        error = systemError("cannot bind " + path);
        return false;
    }
    socketPath_ = path;
    // Any user may open the driver, as with the platform's own user clients.
    ::chmod(path.c_str(), 0666);
    struct stat bound {};
    if (::stat(path.c_str(), &bound) == 0) {
        socketDevice_ = bound.st_dev;
        socketInode_ = bound.st_ino;
    }
    if (::listen(listenFd_, 16) != 0) {
        error = systemError("cannot listen on " + path);
        return false;
    }
    return true;
}

void ServicePublisher::serve() {
    for (;;) {
        pollfd watched[2] = {{listenFd_, POLLIN, 0}, {wakePipe_[0], POLLIN, 0}};
        const int ready = ::poll(watched, 2, 1000);
        {
            std::lock_guard guard(lock_);
            if (stopping_) break;
        }
        if (ready < 0 && errno != EINTR) break;
        if (ready > 0 && (watched[0].revents & POLLIN)) acceptOne();
        reapFinishedClients();
    }
    unpublish();
    std::list<Client> ending;
    {
        std::lock_guard guard(lock_);
        for (Client& client : clients_) {
            if (client.fd >= 0) ::shutdown(client.fd, SHUT_RDWR);
        }
        ending.splice(ending.end(), clients_);
    }
    for (Client& client : ending) client.thread.join();
}

void ServicePublisher::stop() {
    std::lock_guard guard(lock_);
    stopping_ = true;
    for (Client& client : clients_) {
        if (client.fd >= 0) ::shutdown(client.fd, SHUT_RDWR);
    }
    stopped_.notify_all();
    if (wakePipe_[1] >= 0) {
        const char wake = 1;
        [[maybe_unused]] ssize_t written = ::write(wakePipe_[1], &wake, 1);
    }
}

void ServicePublisher::acceptOne() {
    const int fd = ::accept4(listenFd_, nullptr, nullptr, SOCK_CLOEXEC);
    if (fd < 0) return;
    std::lock_guard guard(lock_);
    if (stopping_ || clients_.size() >= kMaxConnections) {
        ::close(fd);
        return;
    }
    Client& client = clients_.emplace_back();
    client.fd = fd;
    client.thread = std::thread(&ServicePublisher::serveClient, this, std::ref(client), peerOf(fd));
}

void ServicePublisher::serveClient(Client& client, PeerCredentials peer) {
    const int fd = client.fd;
    UserClientConnection connection;
    connection.peer = peer;
    if (openHandshake(fd, connection)) {
        for (;;) {
            // Idle between calls for as long as the client likes; a frame
            // that has begun must be complete within the reply timeout.
            Frame frame;
            if (receiveFrame(fd, frame, kNoDeadline, kReplyTimeout) != IoResult::Ok) break;
            if (frame.header.kind != FrameKind::Call) break;
            if (!answerCall(fd, connection, frame.body, frame.header.sequence)) break;
        }
        driver_.connectionClosed(connection);
    }
    {
        std::lock_guard guard(lock_);
        ::close(client.fd);
        client.fd = -1;
    }
    client.finished = true;
}

bool ServicePublisher::openHandshake(int fd, UserClientConnection& connection) {
    Frame frame;
    if (receiveFrame(fd, frame, Clock::now() + kReplyTimeout, kReplyTimeout) != IoResult::Ok) return false;
    if (frame.header.kind != FrameKind::Open) return false;
    const auto request = decodeOpenRequest(frame.body);
    if (!request) return false;
    const Deadline deadline = Clock::now() + kReplyTimeout;
    if (!driver_.servesConnectionType(request->connectionType)) {
        sendAll(fd, encodeOpenReply(frame.header.sequence, {kIOReturnUnsupported}), deadline);
        return false;
    }
    connection.type = request->connectionType;
    {
        std::lock_guard guard(lock_);
        connection.id = ++lastConnectionId_;
    }
    // The driver knows of the connection before its client does. Should the
    // answer not go out, the first read fails and the connection closes.
    driver_.connectionOpened(connection);
    sendAll(fd, encodeOpenReply(frame.header.sequence, {kIOReturnSuccess}), deadline);
    return true;
}

bool ServicePublisher::answerCall(int fd, const UserClientConnection& connection, const std::vector<uint8_t>& body,
                                  uint32_t sequence) {
    const auto request = decodeCallRequest(body);
    if (!request) return false;
    MethodReply reply = driver_.callMethod(connection, MethodCall{request->method, request->input, request->outputCapacity});
    if (reply.status != kIOReturnSuccess) reply.output.clear();
    if (reply.output.size() > request->outputCapacity) reply.output.resize(request->outputCapacity);
    if (reply.delay.count() > 0 && !waitUnlessStopped(reply.delay)) return false;
    const CallReply answer{reply.status, std::move(reply.output)};
    return sendAll(fd, encodeCallReply(sequence, answer), Clock::now() + kReplyTimeout) == IoResult::Ok;
}

bool ServicePublisher::waitUnlessStopped(std::chrono::milliseconds delay) {
    std::unique_lock guard(lock_);
    return !stopped_.wait_for(guard, delay, [this] { return stopping_; });
}

void ServicePublisher::reapFinishedClients() {
    std::lock_guard guard(lock_);
    for (auto client = clients_.begin(); client != clients_.end();) {
        if (client->finished) {
            client->thread.join();
            client = clients_.erase(client);
        } else {
            ++client;
        }
    }
}

void ServicePublisher::unpublish() {
    if (listenFd_ >= 0) ::close(listenFd_);
    listenFd_ = -1;
    if (socketPath_.empty()) return;
    // Only our own socket: a newer driver may have taken the name since.
    struct stat current {};
    if (::lstat(socketPath_.c_str(), &current) == 0 && current.st_dev == socketDevice_ &&
        current.st_ino == socketInode_)
        ::unlink(socketPath_.c_str());
    socketPath_.clear();
}

}  // namespace iokit
