#pragma once

#include "fetch/curl_routing_transport.h"
#include "fetch/http_page_fetcher.h"
#include "query/run_trace.h"
#include "rules/profile.h"
#include "history/history_store.h"
#include "fetch/message_box.h"
#include "watch/watch_pass.h"

#include <filesystem>
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
// failed fetch told on `err` and counted, the results read as the history
// keeps them. Runs share one transport, so its connections are kept between them.
// A bare query and a watch pass both run their domains through it, with the rules of
// one profile.
class SiteRunner final : public watch::SiteQuery {
public:
    // Failed fetches and blocked answers are told on `err`; pages that keep cookies keep
    // them in `cookieFile`.
    SiteRunner(const Clock& clock, std::ostream& err, const rules::Profile& profile, std::string key,
               const std::filesystem::path& cookieFile);

    RunRecord query(const std::string& domain) override;
    // How the last run went, request by request and cut by cut.
    const RunTrace& lastTrace() const { return trace_; }

private:
    const Clock& clock_;
    std::ostream& err_;
    const rules::Profile& profile_;
    std::string key_;
    RunTrace trace_;
    CurlRoutingTransport transport_;
    StderrMessageBox messages_;
    HttpPageFetcher fetcher_;
};

}  // namespace quarnel::cli
