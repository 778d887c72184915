#include "fetch/response_reader.h"

#include <algorithm>
#include <charconv>
#include <cstdint>

namespace quarnel {
namespace {

constexpr std::string_view kContentLength = "content-length:";

bool startsWithNoCase(std::string_view text, std::string_view lowerPrefix) {
    return text.size() >= lowerPrefix.size() &&
           std::equal(lowerPrefix.begin(), lowerPrefix.end(), text.begin(),
                      [](char lower, char c) { return lower == (c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c); });
}

std::string_view trimmed(std::string_view text) {
    const auto first = text.find_first_not_of(" \t\r\n");
    if (first == std::string_view::npos) {
        return {};
    }
    return text.substr(first, text.find_last_not_of(" \t\r\n") - first + 1);
}

// Digits only, and small enough to count with: anything else leaves the body's end unknown.
std::optional<std::uint64_t> contentLength(std::string_view value) {
    std::uint64_t length = 0;
    const auto [end, error] = std::from_chars(value.data(), value.data() + value.size(), length);
    if (value.empty() || error != std::errc{} || end != value.data() + value.size()) {
        return std::nullopt;
    }
    return length;
}

}  // namespace

ResponseReader::ResponseReader(std::size_t maxBodyBytes) : maxBodyBytes_(maxBodyBytes) {}

bool ResponseReader::headerLine(std::string_view line) {
    if (line.starts_with("HTTP/")) {
        // A new response (after a redirect, or an interim one): only the last one counts.
        headComplete_ = false;
        body_.clear();
        return true;
    }
    if (line == "\r\n" || line == "\n") {
        headComplete_ = true;
        return true;
    }
    if (!startsWithNoCase(line, kContentLength)) {
        return true;
    }
    const auto length = contentLength(trimmed(line.substr(kContentLength.size())));
    if (!length || *length > maxBodyBytes_) {
        return false;
    }
    // The one allocation the body needs when the server says its size truthfully.
    body_.reserve(static_cast<std::size_t>(*length));
    return true;
}

bool ResponseReader::bodyBytes(std::string_view bytes) {
    if (bytes.size() > maxBodyBytes_ - body_.size()) {
        return false;
    }
    if (body_.size() + bytes.size() > body_.capacity()) {
        // More than Content-Length said, or no length given: one step to the limit rather
        // than doubling, which would hold the old buffer beside the new one at every step.
        // Pages never written to take no memory.
        body_.reserve(maxBodyBytes_);
    }
    body_.append(bytes);
    return true;
}

std::optional<std::string> ResponseReader::body() && {
    if (!headComplete_) {
        return std::nullopt;
    }
    return std::move(body_);
}

}  // namespace quarnel
