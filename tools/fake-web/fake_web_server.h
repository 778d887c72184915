#pragma once

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace fakeweb {

// Raw: the body is sent as the whole reply, status line and header fields included,
// and the connection closed after it; for replies no well-behaved server gives.
enum class Reply { Body, Drop, Stall, Redirect, EndlessChunked, Raw };

// Gates stand between a route and its body, each the way the search engine tells a script
// from a browser; the tests show what each transport gets through.
//
// - Fingerprint: a TLS ClientHello that offers no GREASE value among its cipher suites or
//   groups (browsers put them there; OpenSSL, and so libcurl, never does), or a request
//   without TLS at all, gets the verification page (status 200) instead of the body.
// - Script: a request without the cookie kScriptCookie gets a page whose script sets it
//   and reloads; a request with it gets the body. Pages that run no scripts never pass.
// - Verification: a request without the cookie kVerifiedCookie is redirected (302) to the
//   verification page on kVerificationHost, over the scheme the request came by:
//   SCHEME://kVerificationHost/verify?back=URL, URL being the request's own, encoded. Its
//   button (id kVerificationButtonId) posts the form `back=URL` to
//   SCHEME://kVerificationHost/verify, which answers 302 to URL and sets kVerifiedCookie
//   for the whole of kVerifiedCookieDomain (so for the search host too). A request that
//   carries the cookie gets the body. Over HTTPS the certificate must name kVerificationHost.
//
// The verification page is UTF-8, titled 百度安全验证, as the search engine's own is; the
// script page is UTF-8, titled 请稍候.
enum class Gate { None, Fingerprint, Script, Verification };

inline constexpr std::string_view kScriptCookie = "BDJS=1";
inline constexpr std::string_view kVerifiedCookie = "BDVERIFIED=1";
inline constexpr std::string_view kVerifiedCookieDomain = "baidu.com";
inline constexpr std::string_view kVerificationHost = "wappass.baidu.com";
inline constexpr std::string_view kVerificationButtonId = "verify-pass";

// Members all carry initializers so designated initializers may omit any of them
// without -Wmissing-field-initializers firing.
struct Route {
    std::string host{};  // exact host name (case-insensitive), or "*" for any host
    // Path plus optional "?query", byte for byte; a '*' anywhere matches any run of characters.
    std::string target{};
    Reply reply = Reply::Body;
    int status = 200;
    std::string body{};      // Body: sent as it is, the requested domain put in for each "{{domain}}"
    std::string location{};  // Redirect: value of the Location header
    std::string contentType = "text/html; charset=gb2312";
    std::chrono::milliseconds delay{0};  // how long a slow service thinks before it answers
    std::string setCookie{};             // Body: the value of a Set-Cookie header sent with it; none when empty
    Gate gate = Gate::None;              // what a request must show to get this reply
};

// Loopback HTTP/1.1 server that also answers absolute-form (proxy) requests, so clients
// can be pointed at it with http_proxy and keep their real URLs; given a certificate, it
// answers CONNECT too, for https_proxy. It serves kVerificationHost's two pages itself,
// whatever the routes say; it takes GET and HEAD, and POST only for that host's form. Connections are kept alive (HTTP/1.1), each
// served on its own thread.
class Server {
public:
    using RequestLineHandler = std::function<void(const std::string& requestLine)>;

    explicit Server(std::vector<Route> routes);
    ~Server();
    Server(const Server&) = delete;
    Server& operator=(const Server&) = delete;

    // Receives every raw request line (without CRLF) as soon as its head is read,
    // one call at a time. Set it before start().
    void onRequestLine(RequestLineHandler handler);

    // Makes CONNECT open a tunnel in which fake-web does the TLS handshake itself, showing
    // this certificate (PEM, the leaf first, naming every host clients will ask for) and
    // key, then serves the requests inside like any other. Set it before start(). Throws
    // std::runtime_error when the files cannot be used.
    void serveTls(const std::filesystem::path& certificateChain, const std::filesystem::path& privateKey);

    // Binds 127.0.0.1 only; port 0 picks a free one. Throws std::runtime_error on failure.
    void start(std::uint16_t port = 0);
    std::uint16_t port() const;
    std::string proxyUrl() const;  // "http://127.0.0.1:PORT"

    // "http://" or "https://" (inside a tunnel), host and target of each request whose URL
    // could be told, in arrival order.
    std::vector<std::string> requestLog() const;

    // The Cookie field of each request in requestLog(), in the same order; empty for none.
    std::vector<std::string> cookieLog() const;

    // How many connections clients have opened since start().
    std::size_t acceptedConnections() const;

    // How many TLS hellos offered a GREASE value, as browsers' do (those of the fingerprint gate).
    std::size_t greaseHandshakes() const;

    // Idempotent. Closes the listener and every open connection, then joins all threads.
    void stop();

private:
    struct State;
    std::unique_ptr<State> state_;
};

// UTF-8 to GBK via iconv; throws std::runtime_error on text GBK cannot hold.
std::string toGbk(std::string_view utf8);

// Reads a routes file; throws std::runtime_error naming the line of a bad entry.
std::vector<Route> loadRoutes(const std::filesystem::path& file);

}  // namespace fakeweb
