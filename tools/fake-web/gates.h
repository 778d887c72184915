#pragma once

#include "tools/fake-web/fake_web_server.h"
#include "tools/fake-web/request_head.h"

#include <optional>
#include <string>
#include <string_view>

namespace fakeweb {

// What a gate, or the verification host, answers instead of a route: UTF-8 HTML.
struct GateReply {
    int status = 200;
    std::string fields{};  // complete "Name: value\r\n" lines
    std::string body{};
};

// What `route`'s gate answers `request`, which came by `scheme` ("http" or "https") in a TLS
// handshake that offered GREASE or not; nothing when the request gets through to the body.
std::optional<GateReply> gateReply(const Route& route, const RequestHead& request, std::string_view scheme,
                                   bool offeredGrease);

// Whether the request is for the verification host's one page (GET or POST).
bool asksVerificationHost(const RequestHead& request);

// The verification host's answer to such a request: its page, or for the posted `form`, the
// way back with the cookie.
GateReply verificationHostReply(const RequestHead& request, std::string_view scheme, std::string_view form);

}  // namespace fakeweb
