#pragma once

#include "fetch/cookie_jar.h"
#include "fetch/http_transport.h"

#include <chrono>
#include <cstddef>
#include <filesystem>
#include <memory>
#include <mutex>
#include <optional>

namespace quarnel {

// Bounds that make every request end: a request that passes one of them has not completed.
struct FetchLimits {
    std::chrono::milliseconds connectTimeout{15'000};
    std::chrono::milliseconds totalTimeout{60'000};
    std::size_t maxBodyBytes = 16 * 1024 * 1024;
    long maxRedirects = 10;
};

// A plain GET with libcurl: redirects followed (http and https only), the status code
// never read. Proxies come from https_proxy, http_proxy and no_proxy, as for the curl
// tool; certificates are always checked, against CURL_CA_BUNDLE or else SSL_CERT_FILE
// when one is set, or the system's authorities. One easy handle serves every call, so
// connections stay open across the requests of a run and across runs; its options are
// set afresh for each call, so one request's limits or failure never carry over to the
// next. Calls may come from any thread; they run one at a time.
//
// With a cookie file, cookies are kept between requests: read from the jar when the
// first request is made, and saved to it (merged with what other programs saved
// meanwhile) after each request that changed them. Without one, no cookie is ever sent.
class CurlTransport final : public HttpTransport {
public:
    explicit CurlTransport(FetchLimits limits = {}, std::filesystem::path cookieFile = {});
    ~CurlTransport() override;
    CurlTransport(const CurlTransport&) = delete;
    CurlTransport& operator=(const CurlTransport&) = delete;

    Expected<HttpReply> fetch(const HttpRequest& request) override;

    // Why the cookies could not be written after the last request; a failed save does
    // not fail the request. Empty while saving works.
    std::optional<Failure> cookieSaveFailure() const;

private:
    struct Handle;

    void saveCookies(Handle& handle);

    FetchLimits limits_;
    std::optional<CookieJar> jar_;
    mutable std::mutex mutex_;
    std::unique_ptr<Handle> handle_;
    std::optional<Failure> cookieSaveFailure_;
};

}  // namespace quarnel
