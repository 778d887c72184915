#include "query/run_trace.h"

#include <algorithm>

namespace quarnel {
namespace {

// The cuts a result depends on, its own first: a verdict made of a cut that found
// nothing is empty for that cut's reason.
std::vector<std::string_view> cutsBehind(Result result) {
    switch (result) {
        case Result::DayCount:
            return {"day_count"};
        case Result::WeekCount:
            return {"week_count"};
        case Result::MonthCount:
            return {"month_count"};
        case Result::AllTimeCount:
            return {"all_time_count"};
        case Result::Snapshot:
            return {"snapshot", "first_result"};
        case Result::HomePageVerdict:
            return {"link_host", "first_result"};
        case Result::PageRank:
            return {"pagerank"};
        case Result::HijackVerdict:
            return {"hijack", "remark"};
    }
    return {};
}

}  // namespace

int RunTrace::blockedCount() const {
    return static_cast<int>(
        std::count_if(requests.begin(), requests.end(), [](const RequestTrace& r) { return r.blocked && !r.askedAgain; }));
}

std::string RunTrace::reasonFor(Result result) const {
    for (const std::string_view name : cutsBehind(result)) {
        const auto found = std::find_if(values.rbegin(), values.rend(), [&](const ValueTrace& v) { return v.name == name; });
        if (found != values.rend()) {
            return found->value ? std::string() : found->reason;
        }
    }
    return {};
}

void addTraceTo(RunRecord& run, const RunTrace& trace) {
    run.profile = trace.profile;
    run.blockedPages = trace.blockedCount();
    for (const RequestTrace& request : trace.requests) {
        run.requests.push_back({request.page, request.servedBy});
    }
    for (const ResultInfo& info : kResults) {
        if (!run.results[info.result]) {
            run.reasons[static_cast<std::size_t>(info.result)] = trace.reasonFor(info.result);
        }
    }
}

std::string formatTrace(const RunTrace& trace) {
    std::string text = "  profile " + trace.profile + "\n";
    for (const RequestTrace& request : trace.requests) {
        text += "  GET " + request.url + " [" + request.page + "]";
        text += request.servedBy.empty() ? "\n    " : " via " + request.servedBy + "\n    ";
        if (!request.completed) {
            text += "failed: " + request.failure;
        } else {
            text += "status " + std::to_string(request.status) + ", " + std::to_string(request.bytes) + " bytes, " +
                    request.charset + " (" + request.why + ")";
        }
        text += ", " + std::to_string(request.elapsed.count()) + " ms\n";
        if (request.blocked) {
            text += "    blocked: " + request.title + (request.askedAgain ? ", asked again" : "") + "\n";
        }
    }
    for (const ValueTrace& value : trace.values) {
        text += "  " + value.name + ": ";
        text += value.value ? "\"" + *value.value + "\"" : "(none: " + value.reason + ")";
        text += "\n";
        for (const std::string& before : value.passedOver) {
            text += "    passed over " + before + "\n";
        }
        if (!value.rule.empty()) {
            text += "    rule " + value.rule + "\n";
        }
        if (!value.found.empty()) {
            text += "    " + value.found + "\n";
        }
    }
    return text;
}

}  // namespace quarnel
