#pragma once

#include "fetch/curl_transport.h"
#include "fetch/http_page_fetcher.h"
#include "history/history_store.h"
#include "cli/stderr_message_box.h"
#include "watch/watch_pass.h"

#include <string>

namespace quarnel::cli {

// Query runs of single domains on fresh controls, as the window makes them: each
// failed fetch told on `err` and counted, the results read as the history
// keeps them. Runs share one transport, so its connections are kept between them.
// A bare query and a watch pass both run their domains through it.
class SiteRunner final : public watch::SiteQuery {
public:
    SiteRunner(const Clock& clock, std::ostream& err);

    RunRecord query(const std::string& domain) override;

private:
    const Clock& clock_;
    CurlTransport transport_;
    StderrMessageBox messages_;
    HttpPageFetcher fetcher_;
};

}  // namespace quarnel::cli
