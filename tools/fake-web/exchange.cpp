#include "tools/fake-web/exchange.h"

#include "tools/fake-web/gates.h"
#include "tools/fake-web/requested_domain.h"
#include "tools/fake-web/route_match.h"
#include "tools/fake-web/tls_identity.h"

#include <poll.h>

#include <string>
#include <string_view>

namespace fakeweb {
namespace {

constexpr std::size_t kMaxHeadBytes = 64 * 1024;
constexpr std::size_t kMaxFormBytes = 4 * 1024;
constexpr std::size_t kChunkBytes = 64 * 1024;
constexpr std::size_t kEndlessLimitBytes = std::size_t{1} << 30;

enum class HeadStatus { Complete, TooLarge, Gone };

// received: bytes read from the connection and not yet used; a client may send its next
// request before the reply to this one.
HeadStatus readHead(Stream& stream, std::string& received, std::string& head) {
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
        const std::size_t count = stream.receive(buffer, sizeof buffer);
        if (count == 0) {
            return HeadStatus::Gone;
        }
        received.append(buffer, count);
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
        case 413:
            return "Content Too Large";
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
bool sendBody(Stream& stream, int status, std::string_view contentType, std::string_view body, bool headOnly,
              bool keepOpen, std::string_view extraFields = {}) {
    std::string reply = responseHead(status,
                                     std::string(extraFields) + "Content-Type: " + std::string(contentType) +
                                         "\r\nContent-Length: " + std::to_string(body.size()) + "\r\n",
                                     keepOpen);
    if (!headOnly) {
        reply.append(body);
    }
    return stream.sendAll(reply) && keepOpen;
}

bool sendPlain(Stream& stream, int status, std::string_view text) {
    return sendBody(stream, status, "text/plain", text, false, false);
}

// Sits on the request for `delay`, cut short when the peer or stop() closes the connection.
void waitOrHangUp(int fd, std::chrono::milliseconds delay) {
    pollfd watched{fd, POLLIN, 0};
    ::poll(&watched, 1, static_cast<int>(delay.count()));
}

// Holds the connection open without a byte sent, until the peer or stop() closes it.
void stall(Stream& stream) {
    char buffer[4096];
    while (stream.receive(buffer, sizeof buffer) > 0) {
    }
}

void sendEndless(Stream& stream, const Route& route, bool headOnly) {
    if (!stream.sendAll(
            responseHead(route.status, "Content-Type: " + route.contentType + "\r\nTransfer-Encoding: chunked\r\n")) ||
        headOnly) {
        return;
    }
    // The stream never ends properly; the bound only keeps a forgotten client from running forever.
    const std::string chunk = "10000\r\n" + std::string(kChunkBytes, 'x') + "\r\n";
    for (std::size_t sent = 0; sent < kEndlessLimitBytes && stream.sendAll(chunk); sent += kChunkBytes) {
    }
}

// The posted form that follows a head: the bytes its Content-Length gives, some maybe
// already received. False without a length, past the limit, or when the client hung up.
bool readForm(Stream& stream, std::string& received, std::optional<std::size_t> length, std::string& form) {
    if (!length || *length > kMaxFormBytes) {
        return false;
    }
    char buffer[4096];
    while (received.size() < *length) {
        const std::size_t count = stream.receive(buffer, sizeof buffer);
        if (count == 0) {
            return false;
        }
        received.append(buffer, count);
    }
    form = received.substr(0, *length);
    received.erase(0, *length);
    return true;
}

bool sendGateReply(Stream& stream, const GateReply& reply, bool headOnly, bool keepOpen) {
    return sendBody(stream, reply.status, "text/html; charset=utf-8", reply.body, headOnly, keepOpen, reply.fields);
}

void serveTunnel(Stream& stream, const Service& service);

// Reads one request, reports its head, and replies as the first matching route says.
// Returns whether the connection may carry another request.
bool serveExchange(Stream& stream, std::string& received, const Service& service, std::string_view scheme) {
    std::string raw;
    switch (readHead(stream, received, raw)) {
        case HeadStatus::Gone:
            return false;
        case HeadStatus::TooLarge:
            return sendPlain(stream, 431, "request head too large\n");
        case HeadStatus::Complete:
            break;
    }
    const RequestHead request = parseRequestHead(raw);
    // Reported before replying, so a test facing a dropped or stalled reply can still see what was asked.
    service.record(request, scheme);

    if (request.method.empty()) {
        return sendPlain(stream, 400, "bad request line\n");
    }
    // Inside a tunnel, CONNECT is refused like any method but GET and HEAD.
    if (request.method == "CONNECT" && service.tls != nullptr && scheme == "http") {
        serveTunnel(stream, service);
        return false;
    }
    const bool headOnly = request.method == "HEAD";
    const bool verifying = asksVerificationHost(request);
    if (!headOnly && request.method != "GET" && !(verifying && request.method == "POST")) {
        // Any request body is left unread, so the connection ends here.
        return sendBody(stream, 405, "text/plain", "only GET and HEAD\n", false, false, "Allow: GET, HEAD\r\n");
    }
    if (request.host.empty()) {
        return sendPlain(stream, 400, "no host\n");
    }
    const bool keepOpen = !request.wantsClose;
    if (verifying) {
        std::string form;
        if (request.method == "POST" && !readForm(stream, received, request.contentLength, form)) {
            return sendPlain(stream, 413, "a form of at most 4 KiB, with its Content-Length\n");
        }
        return sendGateReply(stream, verificationHostReply(request, scheme, form), headOnly, keepOpen);
    }
    const Route* route = findRoute(service.routes, request.host, request.target);
    if (route == nullptr) {
        return sendBody(stream, 404, "text/plain", "no route\n", headOnly, keepOpen);
    }
    if (route->delay.count() > 0) {
        waitOrHangUp(stream.fd(), route->delay);
    }
    if (const std::optional<GateReply> gated = gateReply(*route, request, scheme, stream.offeredGrease())) {
        return sendGateReply(stream, *gated, headOnly, keepOpen);
    }
    switch (route->reply) {
        case Reply::Body:
            return sendBody(stream, route->status, route->contentType,
                            fillDomainPlaceholder(route->body, request.target), headOnly, keepOpen,
                            route->setCookie.empty() ? "" : "Set-Cookie: " + route->setCookie + "\r\n");
        case Reply::Drop:
            return false;
        case Reply::Stall:
            stall(stream);
            return false;
        case Reply::Redirect:
            return sendBody(stream, route->status, route->contentType, "", headOnly, keepOpen,
                            "Location: " + route->location + "\r\n");
        case Reply::EndlessChunked:
            sendEndless(stream, *route, headOnly);
            return false;
        case Reply::Raw:
            stream.sendAll(route->body);
            return false;
    }
    return false;
}

// Whatever host the client asked for, the tunnel ends here: fake-web answers as that host.
void serveTunnel(Stream& stream, const Service& service) {
    if (!stream.sendAll("HTTP/1.1 200 Connection established\r\n\r\n")) {
        return;
    }
    const std::unique_ptr<Stream> secured = service.tls->handshake(stream.fd());
    std::string received;
    while (secured && serveExchange(*secured, received, service, "https")) {
    }
}

}  // namespace

void serveConnection(int fd, const Service& service) {
    Stream stream(fd);
    std::string received;
    while (serveExchange(stream, received, service, "http")) {
    }
}

}  // namespace fakeweb
