#include "tools/fake-web/gates.h"

#include "tools/fake-web/requested_domain.h"

#include <algorithm>
#include <cctype>

namespace fakeweb {
namespace {

constexpr std::string_view kVerifyPath = "/verify";

bool equalsNoCase(std::string_view a, std::string_view b) {
    return std::ranges::equal(a, b, [](char x, char y) {
        return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
    });
}

// Whether the Cookie field ("a=1; b=2") holds `pair` as one of its cookies.
bool carries(std::string_view cookieField, std::string_view pair) {
    while (!cookieField.empty()) {
        const std::size_t end = cookieField.find(';');
        std::string_view cookie = cookieField.substr(0, end);
        cookie.remove_prefix(std::min(cookie.find_first_not_of(' '), cookie.size()));
        if (cookie == pair) {
            return true;
        }
        cookieField.remove_prefix(end == std::string_view::npos ? cookieField.size() : end + 1);
    }
    return false;
}

std::string percentEncoded(std::string_view text) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string encoded;
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (std::isalnum(byte) || c == '-' || c == '.' || c == '_' || c == '~') {
            encoded += c;
        } else {
            encoded.append({'%', kHex[byte >> 4], kHex[byte & 15]});
        }
    }
    return encoded;
}

std::string htmlEscaped(std::string_view text) {
    std::string escaped;
    for (const char c : text) {
        switch (c) {
            case '&': escaped += "&amp;"; break;
            case '<': escaped += "&lt;"; break;
            case '>': escaped += "&gt;"; break;
            case '"': escaped += "&quot;"; break;
            default: escaped += c;
        }
    }
    return escaped;
}

std::string verifyUrl(std::string_view scheme) {
    return std::string(scheme) + "://" + std::string(kVerificationHost) + std::string(kVerifyPath);
}

GateReply verificationPage(std::string_view scheme, std::string_view back) {
    return {.body = "<!DOCTYPE html>\n<html><head><meta charset=\"utf-8\"><title>百度安全验证</title></head>\n"
                    "<body><p>请完成下方验证后继续操作</p>\n<form method=\"post\" action=\"" +
                    verifyUrl(scheme) + "\"><input type=\"hidden\" name=\"back\" value=\"" + htmlEscaped(back) +
                    "\"><button type=\"submit\" id=\"" + std::string(kVerificationButtonId) +
                    "\">完成验证</button></form></body></html>\n"};
}

GateReply scriptPage() {
    return {.body = "<!DOCTYPE html>\n<html><head><meta charset=\"utf-8\"><title>请稍候</title></head>\n"
                    "<body><script>document.cookie = \"" + std::string(kScriptCookie) +
                    "; path=/\"; location.reload();</script></body></html>\n"};
}

// A way back the form may name: an address over HTTP, with nothing that could end a header field.
bool isWayBack(std::string_view url) {
    return (url.starts_with("http://") || url.starts_with("https://")) &&
           std::ranges::none_of(url, [](char c) { return static_cast<unsigned char>(c) < 0x20 || c == 0x7f; });
}

}  // namespace

std::optional<GateReply> gateReply(const Route& route, const RequestHead& request, std::string_view scheme,
                                   bool offeredGrease) {
    const std::string url = std::string(scheme) + "://" + request.host + request.target;
    switch (route.gate) {
        case Gate::None:
            return std::nullopt;
        case Gate::Fingerprint:
            return offeredGrease ? std::nullopt : std::optional(verificationPage(scheme, url));
        case Gate::Script:
            return carries(request.cookie, kScriptCookie) ? std::nullopt : std::optional(scriptPage());
        case Gate::Verification:
            if (carries(request.cookie, kVerifiedCookie)) {
                return std::nullopt;
            }
            return GateReply{.status = 302, .fields = "Location: " + verifyUrl(scheme) + "?back=" + percentEncoded(url) + "\r\n"};
    }
    return std::nullopt;
}

bool asksVerificationHost(const RequestHead& request) {
    return equalsNoCase(request.host, kVerificationHost) &&
           std::string_view(request.target).substr(0, request.target.find('?')) == kVerifyPath;
}

GateReply verificationHostReply(const RequestHead& request, std::string_view scheme, std::string_view form) {
    if (request.method != "POST") {
        const std::size_t query = request.target.find('?');
        return verificationPage(scheme, query == std::string::npos ? "" : formValue(request.target.substr(query + 1), "back"));
    }
    const std::string back = formValue(form, "back");
    if (!isWayBack(back)) {
        return {.status = 400, .body = "no way back\n"};
    }
    return {.status = 302,
            .fields = "Location: " + back + "\r\nSet-Cookie: " + std::string(kVerifiedCookie) +
                      "; Domain=" + std::string(kVerifiedCookieDomain) + "; Path=/\r\n"};
}

}  // namespace fakeweb
