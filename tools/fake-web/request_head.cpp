#include "tools/fake-web/request_head.h"

#include <algorithm>
#include <cctype>
#include <charconv>

namespace fakeweb {
namespace {

bool startsWithNoCase(std::string_view text, std::string_view prefix) {
    return text.size() >= prefix.size() && std::equal(prefix.begin(), prefix.end(), text.begin(), [](char a, char b) {
               return std::tolower(static_cast<unsigned char>(a)) == std::tolower(static_cast<unsigned char>(b));
           });
}

std::string_view trim(std::string_view text) {
    const auto first = text.find_first_not_of(" \t");
    if (first == std::string_view::npos) {
        return {};
    }
    return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

// "name:80" -> "name", "[::1]:80" -> "[::1]".
std::string_view withoutPort(std::string_view authority) {
    if (authority.starts_with('[')) {
        return authority.substr(0, authority.find(']') + 1);
    }
    return authority.substr(0, authority.find(':'));
}

bool containsNoCase(std::string_view text, std::string_view word) {
    for (; text.size() >= word.size(); text.remove_prefix(1)) {
        if (startsWithNoCase(text, word)) {
            return true;
        }
    }
    return false;
}

// name: lower case, with the colon.
std::string_view fieldValue(std::string_view fields, std::string_view name) {
    while (!fields.empty()) {
        const auto end = fields.find("\r\n");
        const std::string_view field = fields.substr(0, end);
        if (startsWithNoCase(field, name)) {
            return trim(field.substr(name.size()));
        }
        if (end == std::string_view::npos) {
            break;
        }
        fields.remove_prefix(end + 2);
    }
    return {};
}

}  // namespace

RequestHead parseRequestHead(std::string_view head) {
    const auto lineEnd = head.find("\r\n");
    RequestHead request;
    request.line = head.substr(0, lineEnd);

    const std::string_view line = request.line;
    const auto firstSpace = line.find(' ');
    const auto lastSpace = line.rfind(' ');
    if (firstSpace == std::string_view::npos || firstSpace == lastSpace || firstSpace == 0 ||
        line.find(' ', firstSpace + 1) != lastSpace || !line.substr(lastSpace + 1).starts_with("HTTP/")) {
        return request;
    }
    request.method = line.substr(0, firstSpace);
    std::string_view target = line.substr(firstSpace + 1, lastSpace - firstSpace - 1);
    const std::string_view fields = lineEnd == std::string_view::npos ? "" : head.substr(lineEnd + 2);
    request.cookie = fieldValue(fields, "cookie:");
    const std::string_view length = fieldValue(fields, "content-length:");
    std::size_t bytes = 0;
    if (const auto [end, error] = std::from_chars(length.data(), length.data() + length.size(), bytes);
        !length.empty() && error == std::errc{} && end == length.data() + length.size()) {
        request.contentLength = bytes;
    }
    const std::string_view connection = fieldValue(fields, "connection:");
    request.wantsClose = containsNoCase(connection, "close") ||
                         (line.ends_with(" HTTP/1.0") && !containsNoCase(connection, "keep-alive"));

    if (target.starts_with('/')) {
        request.host = withoutPort(fieldValue(fields, "host:"));
        request.target = target;
    } else if (startsWithNoCase(target, "http://")) {
        // Proxy form: the URL names the host, and wins over any Host field.
        target.remove_prefix(7);
        const auto pathStart = std::min(target.find('/'), target.find('?'));
        request.host = withoutPort(target.substr(0, pathStart));
        const std::string_view rest = pathStart == std::string_view::npos ? "" : target.substr(pathStart);
        request.target = rest.starts_with('/') ? std::string(rest) : std::string("/").append(rest);
    }
    if (request.host.empty()) {
        request.target.clear();
    }
    return request;
}

}  // namespace fakeweb
