#include "cli/site_run.h"

#include "controls/control_model.h"
#include "controls/memory_control_model.h"
#include "query/query_run.h"

#include <algorithm>
#include <ostream>

namespace quarnel::cli {

void StderrMessageBox::show(std::string_view message, std::string_view url) {
    ++count_;
    err_ << message << ": " << url << std::endl;
}

namespace {

std::unique_ptr<BrowserProcessTransport> browserFor(const Invocation& invocation, const rules::Profile& profile) {
    const bool wanted = std::any_of(profile.pages.begin(), profile.pages.end(), [](const auto& page) {
        return page.second.transport == rules::PageTransport::Browser;
    });
    if (!wanted) {
        return nullptr;
    }
    if (invocation.browser.path.empty()) {
        invocation.err << "quarnel-cli: " << invocation.browser.absent
                       << ", so the pages meant for it go through libcurl, which Baidu blocks sooner" << std::endl;
        return nullptr;
    }
    std::vector<std::string> arguments;
    if (!invocation.cookieFile.empty()) {
        arguments = {"--cookie-file", invocation.cookieFile.string()};
    }
    return std::make_unique<BrowserProcessTransport>(invocation.browser.path, std::move(arguments));
}

}  // namespace

SiteRunner::SiteRunner(Invocation& invocation, const rules::Profile& profile)
    : invocation_(invocation),
      profile_(profile),
      browser_(browserFor(invocation, profile)),
      transport_(invocation.cookieFile, browser_.get()),
      messages_(invocation.err),
      fetcher_(transport_, messages_),
      waitLine_(invocation.waits, invocation.err, invocation.errIsTerminal),
      paced_(fetcher_, profile.pace, waitLine_, invocation.pauses) {
    if (profile.pace.afterBlock) {
        backOff_.emplace(*profile.pace.afterBlock, waitLine_);
    }
}

RunRecord SiteRunner::query(const watch::BatchPlace& place) {
    const auto startedAt = invocation_.clock.now();
    if (backOff_ && backOff_->stopped()) {
        return watch::notQueriedRun(place, startedAt, profile_.name, RunOrigin::Cli);
    }
    waitLine_.at(place);
    MemoryControlModel controls;
    controls.setText(TextBox::Text3, place.domain);
    messages_.resetCount();
    const auto start = std::chrono::steady_clock::now();
    const QueryContext context{.profile = profile_,
                               .fetcher = paced_,
                               .clock = invocation_.clock,
                               .key = invocation_.key,
                               .trace = &trace_,
                               .onBlocked = backOff_ ? &*backOff_ : nullptr};
    QueryRun(controls, context, nullptr).run();
    tellBlocked(place.domain);
    RunRecord run{
        .startedAt = startedAt,
        .duration = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start),
        .domain = place.domain,
        .origin = RunOrigin::Cli,
        .fetchFailures = messages_.count(),
        .results = resultsOf(controls),
    };
    addTraceTo(run, trace_);
    return run;
}

// Each blocked answer, and once for the run what the user can do about it: the classic
// rules' pages are gone, so the hint is the rules for today's; with those, a person
// passes the verification once in the window, whose cookies later runs use.
void SiteRunner::tellBlocked(const std::string& domain) {
    std::ostream& err = invocation_.err;
    bool anyStood = false;
    for (const RequestTrace& request : trace_.requests) {
        if (request.blocked) {
            err << (request.askedAgain ? "blocked, asked again after a rest: " : "blocked: ") << request.url << " ("
                << request.title << ")\n";
            anyStood = anyStood || !request.askedAgain;
        }
    }
    if (!anyStood) {
        err << std::flush;
        return;
    }
    if (profile_.name == kClassicProfile) {
        err << "  the classic rules were written for pages Baidu no longer serves; the current profile reads "
               "today's pages (--profile current)\n";
    } else {
        err << "  " << domain << ": " << watch::kPassVerificationInWindow << "（quarnel --profile "
            << invocation_.profile << "）\n";
    }
    err << std::flush;
}

}  // namespace quarnel::cli
