#pragma once

#include "cli/invocation.h"
#include "cli/wait_line.h"
#include "fetch/browser_process_transport.h"
#include "fetch/curl_routing_transport.h"
#include "fetch/http_page_fetcher.h"
#include "fetch/message_box.h"
#include "query/pacing.h"
#include "query/run_trace.h"
#include "rules/profile.h"
#include "watch/watch_pass.h"

#include <memory>
#include <optional>
#include <ostream>
#include <string>

namespace quarnel::cli {

// Tells each failed fetch, with its URL, on the command's standard error, and counts them.
class StderrMessageBox final : public MessageBox {
public:
    explicit StderrMessageBox(std::ostream& err) : err_(err) {}

    void show(std::string_view message, std::string_view url) override;

    int count() const { return count_; }
    void resetCount() { count_ = 0; }

private:
    std::ostream& err_;
    int count_ = 0;
};

// Query runs of single domains on fresh controls, as the window makes them: each
// failed fetch told on standard error and counted, the results read as the history
// keeps them. Runs share one transport, so its connections are kept between them.
// A bare query and a watch pass both run their domains through it, with the rules of
// one profile and its pace: the hosts asked are remembered across the batch, and once
// an answer is still blocked after the rest, the domains after it are not queried.
// Pages the profile loads in a browser go to one quarnel-browser, started at the first
// of them and ended with the runner; without one they go through libcurl, which is told
// once on the invocation's standard error.
class SiteRunner final : public watch::SiteQuery {
public:
    // Failed fetches and blocked answers are told on the invocation's standard error;
    // pages that keep cookies keep them in its cookie file.
    SiteRunner(Invocation& invocation, const rules::Profile& profile);

    RunRecord query(const watch::BatchPlace& place) override;
    // How the last run went, request by request and cut by cut.
    const RunTrace& lastTrace() const { return trace_; }

private:
    void tellBlocked(const std::string& domain);

    Invocation& invocation_;
    const rules::Profile& profile_;
    RunTrace trace_;
    std::unique_ptr<BrowserProcessTransport> browser_;
    CurlRoutingTransport transport_;
    StderrMessageBox messages_;
    HttpPageFetcher fetcher_;
    WaitLine waitLine_;
    PacedFetcher paced_;
    std::optional<BackOff> backOff_;
};

}  // namespace quarnel::cli
