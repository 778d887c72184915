#pragma once

#include <cstddef>
#include <string_view>

namespace fakeweb {

// One client connection as the exchanges read and write it: the socket itself, or a TLS
// session over it. The socket stays the caller's to close.
class Stream {
public:
    explicit Stream(int fd) : fd_(fd) {}
    virtual ~Stream() = default;
    Stream(const Stream&) = delete;
    Stream& operator=(const Stream&) = delete;

    // How many bytes arrived; 0 once the peer is gone or the connection broke.
    virtual std::size_t receive(char* buffer, std::size_t size);
    virtual bool sendAll(std::string_view data);

    int fd() const { return fd_; }
    // Whether the client's TLS handshake offered a GREASE value, as browsers' do; never without TLS.
    virtual bool offeredGrease() const { return false; }

private:
    int fd_;
};

}  // namespace fakeweb
