#pragma once

#include "base/expected.h"
#include "fetch/http_transport.h"

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

// What quarnel-browser and the program that started it say to each other over two pipes,
// one request at a time. Each message is its length (four bytes, most significant first)
// and its bytes; a message is a list of fields, each again a length and its bytes, the
// first naming what it is. The helper's first message says it is ready; after that each
// request it reads is answered by exactly one reply.
namespace quarnel::browser_protocol {

// Room for a page at the HTML limit and the reply's other fields. A length above it is
// a broken or hostile peer, never read into memory.
inline constexpr std::size_t kLargestMessage = 16 * 1024 * 1024 + 64 * 1024;

std::string readyMessage();
bool isReady(std::string_view message);

std::string requestMessage(const HttpRequest& request);
Expected<HttpRequest> readRequest(std::string_view message);

// A reply, or the reason the helper could not load the page.
std::string replyMessage(const Expected<HttpReply>& reply);
// The reply or the helper's reason; nothing when the message is not a reply at all.
std::optional<Expected<HttpReply>> readReply(std::string_view message);

// `message` with its length in front, as it goes into the pipe.
std::string framed(std::string_view message);

// Cuts the bytes coming out of a pipe into messages.
class MessageReader {
public:
    void add(std::string_view bytes);
    // The next whole message, once all of it has arrived.
    std::optional<std::string> next();
    // A length above kLargestMessage came: nothing more can be read from this pipe.
    bool broken() const { return broken_; }
    // Bytes of a message begun but not complete.
    bool midMessage() const { return !pending_.empty(); }

private:
    std::string pending_;
    bool broken_ = false;
};

// Writes all of `bytes` to the pipe `fd`, waiting while it is full. A reader that has
// gone away is a failure, never a signal that ends this process.
Expected<Done> writeAll(int fd, std::string_view bytes);

}  // namespace quarnel::browser_protocol
