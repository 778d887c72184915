#pragma once

#include "fetch/curl_transport.h"
#include "fetch/http_page_fetcher.h"
#include "history/history_store.h"
#include "shell/cli/stderr_message_box.h"

#include <string>

namespace quarnel::cli {

// Query runs of single domains on fresh controls, as the window makes them: each
// failed fetch told on standard error and counted, the results read as the history
// keeps them. Runs share one transport, so its connections are kept between them.
class SiteRunner {
public:
    explicit SiteRunner(const history::Clock& clock);

    history::RunRecord run(const std::string& domain);

private:
    const history::Clock& clock_;
    CurlTransport transport_;
    StderrMessageBox messages_;
    HttpPageFetcher fetcher_;
};

}  // namespace quarnel::cli
