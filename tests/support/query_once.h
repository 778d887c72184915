#pragma once

#include "controls/memory_control_model.h"
#include "fetch/http_page_fetcher.h"
#include "query/query_run.h"
#include "tests/support/fixed_clock.h"
#include "tests/support/recording_message_box.h"

#include <string>

namespace quarnel::testing {

// What one query left: the controls, its trace, and how many messages it showed.
struct QueryOutcome {
    MemoryControlModel controls;
    RunTrace trace;
    std::size_t messages = 0;
};

// One query of `domain` by `profile`, every request going to `transport`, at the fixed
// clock's moment unless given another clock.
inline QueryOutcome queryOnce(const rules::Profile& profile, HttpTransport& transport, const std::string& domain,
                              const std::string& key = {}, const Clock& clock = FixedClock()) {
    QueryOutcome outcome;
    RecordingMessageBox messages;
    HttpPageFetcher fetcher(transport, messages);
    outcome.controls.setText(TextBox::Text3, domain);
    QueryRun(outcome.controls, {.profile = profile, .fetcher = fetcher, .clock = clock, .key = key, .trace = &outcome.trace},
             nullptr)
        .run();
    outcome.messages = messages.shown.size();
    return outcome;
}

}  // namespace quarnel::testing
