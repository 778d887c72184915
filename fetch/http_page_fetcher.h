#pragma once

#include "fetch/http_transport.h"
#include "fetch/message_box.h"
#include "fetch/page_fetcher.h"

#include <string_view>

namespace quarnel {

inline constexpr std::string_view kCannotConnectMessage = "无法连接服务器";

// Fetches a page and decodes it as the request says. A request that does not complete
// costs one message; a body that cannot be decoded gives empty text silently.
class HttpPageFetcher final : public PageFetcher {
public:
    HttpPageFetcher(HttpTransport& transport, MessageBox& messageBox);

    FetchedPage getHTTPPage(const PageRequest& request) override;

private:
    HttpTransport& transport_;
    MessageBox& messageBox_;
};

}  // namespace quarnel
