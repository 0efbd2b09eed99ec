// Blocking whole-buffer send and receive with nothing else around them: the
// floors' own socket I/O, which shares no code with the transport.
#pragma once

#include <sys/socket.h>
#include <sys/types.h>

#include <cstddef>
#include <cstdint>

namespace bench {

inline bool sendAll(int fd, const uint8_t* bytes, std::size_t size) {
    while (size > 0) {
        const ssize_t put = ::send(fd, bytes, size, MSG_NOSIGNAL);
        if (put <= 0) return false;
        bytes += put;
        size -= static_cast<std::size_t>(put);
    }
    return true;
}

inline bool receiveAll(int fd, uint8_t* bytes, std::size_t size) {
    while (size > 0) {
        const ssize_t got = ::recv(fd, bytes, size, 0);
        if (got <= 0) return false;
        bytes += got;
        size -= static_cast<std::size_t>(got);
    }
    return true;
}

}  // namespace bench
