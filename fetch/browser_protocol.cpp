#include "fetch/browser_protocol.h"

#include <signal.h>
#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <cstdint>
#include <cstring>
#include <vector>

namespace quarnel::browser_protocol {
namespace {

constexpr std::string_view kReady = "ready";
constexpr std::string_view kGet = "get";
constexpr std::string_view kReply = "reply";
constexpr std::string_view kFailed = "failed";
constexpr std::size_t kLengthBytes = 4;

void appendLength(std::string& out, std::size_t length) {
    const auto value = static_cast<std::uint32_t>(length);
    for (int shift = 24; shift >= 0; shift -= 8) {
        out.push_back(static_cast<char>((value >> shift) & 0xff));
    }
}

std::size_t lengthAt(std::string_view bytes) {
    std::size_t length = 0;
    for (std::size_t i = 0; i < kLengthBytes; ++i) {
        length = (length << 8) | static_cast<unsigned char>(bytes[i]);
    }
    return length;
}

std::string fieldsMessage(const std::vector<std::string_view>& fields) {
    std::string message;
    for (const std::string_view field : fields) {
        appendLength(message, field.size());
        message.append(field);
    }
    return message;
}

// The fields of a message; nothing when its lengths do not add up to the message.
std::optional<std::vector<std::string_view>> fieldsOf(std::string_view message) {
    std::vector<std::string_view> fields;
    while (!message.empty()) {
        if (message.size() < kLengthBytes || lengthAt(message) > message.size() - kLengthBytes) {
            return std::nullopt;
        }
        const std::size_t length = lengthAt(message);
        fields.push_back(message.substr(kLengthBytes, length));
        message.remove_prefix(kLengthBytes + length);
    }
    return fields;
}

}  // namespace

std::string readyMessage() {
    return fieldsMessage({kReady});
}

bool isReady(std::string_view message) {
    const auto fields = fieldsOf(message);
    return fields && fields->size() == 1 && fields->front() == kReady;
}

std::string requestMessage(const HttpRequest& request) {
    std::vector<std::string_view> fields{kGet, request.url, request.keepCookies ? "1" : "0"};
    fields.insert(fields.end(), request.headers.begin(), request.headers.end());
    return fieldsMessage(fields);
}

Expected<HttpRequest> readRequest(std::string_view message) {
    const auto fields = fieldsOf(message);
    if (!fields || fields->size() < 3 || (*fields)[0] != kGet || ((*fields)[2] != "0" && (*fields)[2] != "1")) {
        return Failure{"not a request"};
    }
    HttpRequest request{.url = std::string((*fields)[1]), .headers = {}, .keepCookies = (*fields)[2] == "1"};
    request.headers.assign(fields->begin() + 3, fields->end());
    return request;
}

std::string replyMessage(const Expected<HttpReply>& reply) {
    if (!reply) {
        return fieldsMessage({kFailed, reply.reason()});
    }
    const std::string status = std::to_string(reply->status);
    return fieldsMessage({kReply, status, reply->contentType, reply->body});
}

std::optional<Expected<HttpReply>> readReply(std::string_view message) {
    const auto fields = fieldsOf(message);
    if (fields && fields->size() == 2 && (*fields)[0] == kFailed) {
        return Failure{std::string((*fields)[1])};
    }
    HttpReply reply;
    if (!fields || fields->size() != 4 || (*fields)[0] != kReply) {
        return std::nullopt;
    }
    const std::string_view status = (*fields)[1];
    const auto [end, error] = std::from_chars(status.data(), status.data() + status.size(), reply.status);
    if (error != std::errc{} || end != status.data() + status.size()) {
        return std::nullopt;
    }
    reply.contentType = (*fields)[2];
    reply.body = (*fields)[3];
    return reply;
}

std::string framed(std::string_view message) {
    std::string frame;
    frame.reserve(kLengthBytes + message.size());
    appendLength(frame, message.size());
    frame.append(message);
    return frame;
}

void MessageReader::add(std::string_view bytes) {
    if (!broken_) {
        pending_.append(bytes);
    }
}

std::optional<std::string> MessageReader::next() {
    if (broken_ || pending_.size() < kLengthBytes) {
        return std::nullopt;
    }
    const std::size_t length = lengthAt(pending_);
    if (length > kLargestMessage) {
        broken_ = true;
        pending_.clear();
        return std::nullopt;
    }
    if (pending_.size() - kLengthBytes < length) {
        return std::nullopt;
    }
    std::string message = pending_.substr(kLengthBytes, length);
    pending_.erase(0, kLengthBytes + length);
    return message;
}

Expected<Done> writeAll(int fd, std::string_view bytes) {
    // SIGPIPE would end the program when the other side has gone: it is held back on this
    // thread while writing, and one that a write raised is taken off again.
    sigset_t pipeSignal;
    sigset_t previous;
    sigemptyset(&pipeSignal);
    sigaddset(&pipeSignal, SIGPIPE);
    pthread_sigmask(SIG_BLOCK, &pipeSignal, &previous);
    int failure = 0;
    while (!bytes.empty()) {
        const ssize_t written = ::write(fd, bytes.data(), bytes.size());
        if (written < 0 && errno == EINTR) {
            continue;
        }
        if (written < 0) {
            failure = errno;
            break;
        }
        bytes.remove_prefix(static_cast<std::size_t>(written));
    }
    if (failure == EPIPE) {
        const timespec noWait{};
        sigtimedwait(&pipeSignal, nullptr, &noWait);
    }
    pthread_sigmask(SIG_SETMASK, &previous, nullptr);
    if (failure != 0) {
        return Failure{std::string("cannot write to the pipe: ") + std::strerror(failure)};
    }
    return Done{};
}

}  // namespace quarnel::browser_protocol
