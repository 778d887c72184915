#include "tools/fake-web/exchange.h"

#include "tools/fake-web/requested_domain.h"
#include "tools/fake-web/route_match.h"

#include <poll.h>
#include <sys/socket.h>

#include <cerrno>
#include <string>
#include <string_view>

namespace fakeweb {
namespace {

constexpr std::size_t kMaxHeadBytes = 64 * 1024;
constexpr std::size_t kChunkBytes = 64 * 1024;
constexpr std::size_t kEndlessLimitBytes = std::size_t{1} << 30;

ssize_t receive(int fd, char* buffer, std::size_t size) {
    ssize_t received;
    do {
        received = ::recv(fd, buffer, size, 0);
    } while (received < 0 && errno == EINTR);
    return received;
}

// MSG_NOSIGNAL: a client hanging up mid-reply must not raise SIGPIPE in the host process.
bool sendAll(int fd, std::string_view data) {
    while (!data.empty()) {
        const ssize_t sent = ::send(fd, data.data(), data.size(), MSG_NOSIGNAL);
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

enum class HeadStatus { Complete, TooLarge, Gone };

// received: bytes read from the connection and not yet used; a client may send its next
// request before the reply to this one.
HeadStatus readHead(int fd, std::string& received, std::string& head) {
    char buffer[4096];
    for (std::size_t searchFrom = 0;;) {
        const auto end = received.find("\r\n\r\n", searchFrom);
        if (end != std::string::npos && end + 4 <= kMaxHeadBytes) {
            head = received.substr(0, end + 4);
            received.erase(0, end + 4);
            return HeadStatus::Complete;
        }
        if (received.size() >= kMaxHeadBytes) {
            return HeadStatus::TooLarge;
        }
        searchFrom = received.size() < 3 ? 0 : received.size() - 3;
        const ssize_t count = receive(fd, buffer, sizeof buffer);
        if (count <= 0) {
            return HeadStatus::Gone;
        }
        received.append(buffer, static_cast<std::size_t>(count));
    }
}

std::string_view reasonPhrase(int status) {
    switch (status) {
        case 200:
            return "OK";
        case 301:
            return "Moved Permanently";
        case 302:
            return "Found";
        case 303:
            return "See Other";
        case 307:
            return "Temporary Redirect";
        case 308:
            return "Permanent Redirect";
        case 400:
            return "Bad Request";
        case 403:
            return "Forbidden";
        case 404:
            return "Not Found";
        case 405:
            return "Method Not Allowed";
        case 431:
            return "Request Header Fields Too Large";
        case 500:
            return "Internal Server Error";
        case 503:
            return "Service Unavailable";
        default:
            return "Status";
    }
}

// fields: zero or more complete "Name: value\r\n" lines.
std::string responseHead(int status, std::string_view fields, bool keepOpen = false) {
    std::string head = "HTTP/1.1 " + std::to_string(status) + " " + std::string(reasonPhrase(status)) + "\r\n";
    head.append(fields);
    head.append(keepOpen ? "\r\n" : "Connection: close\r\n\r\n");
    return head;
}

// Returns whether the connection may carry another request.
bool sendBody(int fd, int status, std::string_view contentType, std::string_view body, bool headOnly, bool keepOpen,
              std::string_view extraFields = {}) {
    std::string reply = responseHead(status,
                                     std::string(extraFields) + "Content-Type: " + std::string(contentType) +
                                         "\r\nContent-Length: " + std::to_string(body.size()) + "\r\n",
                                     keepOpen);
    if (!headOnly) {
        reply.append(body);
    }
    return sendAll(fd, reply) && keepOpen;
}

bool sendPlain(int fd, int status, std::string_view text) {
    return sendBody(fd, status, "text/plain", text, false, false);
}

// Sits on the request for `delay`, cut short when the peer or stop() closes the connection.
void waitOrHangUp(int fd, std::chrono::milliseconds delay) {
    pollfd watched{fd, POLLIN, 0};
    ::poll(&watched, 1, static_cast<int>(delay.count()));
}

// Holds the connection open without a byte sent, until the peer or stop() closes it.
void stall(int fd) {
    char buffer[4096];
    while (receive(fd, buffer, sizeof buffer) > 0) {
    }
}

void sendEndless(int fd, const Route& route, bool headOnly) {
    if (!sendAll(fd, responseHead(route.status,
                                  "Content-Type: " + route.contentType + "\r\nTransfer-Encoding: chunked\r\n")) ||
        headOnly) {
        return;
    }
    // The stream never ends properly; the bound only keeps a forgotten client from running forever.
    const std::string chunk = "10000\r\n" + std::string(kChunkBytes, 'x') + "\r\n";
    for (std::size_t sent = 0; sent < kEndlessLimitBytes && sendAll(fd, chunk); sent += kChunkBytes) {
    }
}

}  // namespace

// Reads one request, reports its head, and replies as the first matching route says.
// Returns whether the connection may carry another request.
bool serveExchange(int fd, std::string& received, const std::vector<Route>& routes,
                   const std::function<void(const RequestHead&)>& record) {
    std::string raw;
    switch (readHead(fd, received, raw)) {
        case HeadStatus::Gone:
            return false;
        case HeadStatus::TooLarge:
            return sendPlain(fd, 431, "request head too large\n");
        case HeadStatus::Complete:
            break;
    }
    const RequestHead request = parseRequestHead(raw);
    // Reported before replying, so a test facing a dropped or stalled reply can still see what was asked.
    record(request);

    if (request.method.empty()) {
        return sendPlain(fd, 400, "bad request line\n");
    }
    const bool headOnly = request.method == "HEAD";
    if (!headOnly && request.method != "GET") {
        // Any request body is left unread, so the connection ends here.
        return sendBody(fd, 405, "text/plain", "only GET and HEAD\n", false, false, "Allow: GET, HEAD\r\n");
    }
    if (request.host.empty()) {
        return sendPlain(fd, 400, "no host\n");
    }
    const bool keepOpen = !request.wantsClose;
    const Route* route = findRoute(routes, request.host, request.target);
    if (route == nullptr) {
        return sendBody(fd, 404, "text/plain", "no route\n", headOnly, keepOpen);
    }
    if (route->delay.count() > 0) {
        waitOrHangUp(fd, route->delay);
    }
    switch (route->reply) {
        case Reply::Body:
            return sendBody(fd, route->status, route->contentType, fillDomainPlaceholder(route->body, request.target),
                            headOnly, keepOpen);
        case Reply::Drop:
            return false;
        case Reply::Stall:
            stall(fd);
            return false;
        case Reply::Redirect:
            return sendBody(fd, route->status, route->contentType, "", headOnly, keepOpen,
                            "Location: " + route->location + "\r\n");
        case Reply::EndlessChunked:
            sendEndless(fd, *route, headOnly);
            return false;
        case Reply::Raw:
            sendAll(fd, route->body);
            return false;
    }
    return false;
}

void serveConnection(int fd, const std::vector<Route>& routes, const std::function<void(const RequestHead&)>& record) {
    std::string received;
    while (serveExchange(fd, received, routes, record)) {
    }
}

}  // namespace fakeweb
