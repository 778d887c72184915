#pragma once

#include "fetch/fetch_limits.h"
#include "fetch/http_transport.h"

namespace quarnel {

// A plain GET with libcurl: one easy handle per call, redirects followed (http and
// https only), the standard proxy variables honoured, the status code never read.
class CurlTransport final : public HttpTransport {
public:
    explicit CurlTransport(FetchLimits limits = {});

    std::optional<std::string> fetchBody(const std::string& url) override;

private:
    FetchLimits limits_;
};

}  // namespace quarnel
