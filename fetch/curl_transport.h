#pragma once

#include "fetch/fetch_limits.h"
#include "fetch/http_transport.h"

#include <memory>
#include <mutex>

namespace quarnel {

// A plain GET with libcurl: redirects followed (http and https only), the status code
// never read. Proxies come from https_proxy, http_proxy and no_proxy, as for the curl
// tool; certificates are always checked, against CURL_CA_BUNDLE or else SSL_CERT_FILE
// when one is set, or the system's authorities. One easy handle serves every call, so
// connections stay open across the requests of a run and across runs; its options are
// set afresh for each call, so one request's limits or failure never carry over to the
// next. Calls may come from any thread; they run one at a time.
class CurlTransport final : public HttpTransport {
public:
    explicit CurlTransport(FetchLimits limits = {});
    ~CurlTransport() override;
    CurlTransport(const CurlTransport&) = delete;
    CurlTransport& operator=(const CurlTransport&) = delete;

    Expected<HttpReply> fetch(const HttpRequest& request) override;

private:
    struct Handle;

    FetchLimits limits_;
    std::mutex mutex_;
    std::unique_ptr<Handle> handle_;
};

}  // namespace quarnel
