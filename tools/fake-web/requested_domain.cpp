#include "tools/fake-web/requested_domain.h"

#include "tools/fake-web/fake_web_server.h"

#include <algorithm>
#include <stdexcept>

namespace fakeweb {
namespace {

int hexValue(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    return -1;
}

// A '%' not followed by two hex digits stays as it is.
std::string percentDecoded(std::string_view text) {
    std::string decoded;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const int high = i + 2 < text.size() && text[i] == '%' ? hexValue(text[i + 1]) : -1;
        const int low = high < 0 ? -1 : hexValue(text[i + 2]);
        if (low < 0) {
            decoded += text[i];
            continue;
        }
        decoded += static_cast<char>(high * 16 + low);
        i += 2;
    }
    return decoded;
}

}  // namespace

std::string requestedDomain(std::string_view target) {
    const auto queryStart = target.find('?');
    std::string_view query = queryStart == std::string_view::npos ? "" : target.substr(queryStart + 1);
    while (!query.empty()) {
        const std::string_view parameter = query.substr(0, query.find('&'));
        query.remove_prefix(std::min(query.size(), parameter.size() + 1));
        if (parameter.starts_with("url=")) {
            return percentDecoded(parameter.substr(4));
        }
        if (parameter.starts_with("wd=")) {
            const std::string words = percentDecoded(parameter.substr(3));
            return words.starts_with("site:") ? words.substr(5) : words;
        }
    }
    return {};
}

std::string formValue(std::string_view pairs, std::string_view name) {
    while (!pairs.empty()) {
        const std::string_view pair = pairs.substr(0, pairs.find('&'));
        pairs.remove_prefix(std::min(pairs.size(), pair.size() + 1));
        if (pair.size() > name.size() && pair.starts_with(name) && pair[name.size()] == '=') {
            std::string value(pair.substr(name.size() + 1));
            std::replace(value.begin(), value.end(), '+', ' ');
            return percentDecoded(value);
        }
    }
    return {};
}

std::string fillDomainPlaceholder(std::string_view body, std::string_view target) {
    std::string filled(body);
    auto at = filled.find(kDomainPlaceholder);
    if (at == std::string::npos) {
        return filled;
    }
    std::string domain = requestedDomain(target);
    try {
        domain = toGbk(domain);
    } catch (const std::exception&) {
        // Not text GBK holds: the bytes go in unchanged.
    }
    for (; at != std::string::npos; at = filled.find(kDomainPlaceholder, at + domain.size())) {
        filled.replace(at, kDomainPlaceholder.size(), domain);
    }
    return filled;
}

}  // namespace fakeweb
