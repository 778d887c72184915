#include "tools/fake-web/stream.h"

#include <sys/socket.h>

#include <cerrno>

namespace fakeweb {

std::size_t Stream::receive(char* buffer, std::size_t size) {
    ssize_t received;
    do {
        received = ::recv(fd_, buffer, size, 0);
    } while (received < 0 && errno == EINTR);
    return received < 0 ? 0 : static_cast<std::size_t>(received);
}

// MSG_NOSIGNAL: a client hanging up mid-reply must not raise SIGPIPE in the host process.
bool Stream::sendAll(std::string_view data) {
    while (!data.empty()) {
        const ssize_t sent = ::send(fd_, data.data(), data.size(), MSG_NOSIGNAL);
        if (sent < 0) {
            if (errno == EINTR) {
                continue;
            }
            return false;
        }
        data.remove_prefix(static_cast<std::size_t>(sent));
    }
    return true;
}

}  // namespace fakeweb
