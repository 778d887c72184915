#include "cli/run_json.h"

#include "history/iso_time.h"
#include "base/results.h"

#include <nlohmann/json.hpp>

namespace quarnel::cli {
namespace {

nlohmann::ordered_json textOrNull(const std::optional<std::string>& text) {
    return text ? nlohmann::ordered_json(*text) : nlohmann::ordered_json(nullptr);
}

nlohmann::ordered_json traceJson(const RunTrace& trace) {
    nlohmann::ordered_json requests = nlohmann::ordered_json::array();
    for (const RequestTrace& request : trace.requests) {
        nlohmann::ordered_json entry{{"page", request.page}, {"url", request.url}, {"completed", request.completed}};
        if (request.completed) {
            entry["status"] = request.status;
            entry["bytes"] = request.bytes;
            entry["charset"] = request.charset;
            entry["charset_why"] = request.why;
            entry["served_by"] = request.servedBy;
        } else {
            entry["failure"] = request.failure;
        }
        entry["ms"] = request.elapsed.count();
        entry["blocked"] = request.blocked;
        if (request.blocked) {
            entry["title"] = request.title;
            entry["asked_again"] = request.askedAgain;
        }
        requests.push_back(std::move(entry));
    }
    nlohmann::ordered_json values = nlohmann::ordered_json::array();
    for (const ValueTrace& value : trace.values) {
        nlohmann::ordered_json entry{{"name", value.name}, {"rule", value.rule}, {"found", value.found}};
        if (!value.passedOver.empty()) {
            entry["passed_over"] = value.passedOver;
        }
        entry["value"] = textOrNull(value.value);
        if (!value.value) {
            entry["reason"] = value.reason;
        }
        values.push_back(std::move(entry));
    }
    return {{"profile", trace.profile}, {"requests", requests}, {"values", values}};
}

nlohmann::ordered_json runJson(const RunRecord& run, bool whenAndWhere) {
    nlohmann::ordered_json line;
    if (whenAndWhere) {
        line["started"] = history::isoUtc(run.startedAt);
        line["duration_ms"] = run.duration.count();
        line["origin"] = run.origin == RunOrigin::Window ? "window" : "cli";
    }
    line["domain"] = run.domain;
    for (const ResultInfo& info : kResults) {
        line[info.key] = textOrNull(run.results[info.result]);
    }
    line["fetch_failures"] = run.fetchFailures;
    line["profile"] = run.profile;
    line["blocked"] = run.blockedPages;
    if (whenAndWhere) {
        nlohmann::ordered_json reasons = nlohmann::ordered_json::object();
        for (const ResultInfo& info : kResults) {
            if (const std::string& reason = run.reasons[static_cast<std::size_t>(info.result)]; !reason.empty()) {
                reasons[info.key] = reason;
            }
        }
        line["reasons"] = reasons;
        line["not_queried"] = run.notQueried.empty() ? nlohmann::ordered_json(nullptr) : nlohmann::ordered_json(run.notQueried);
        nlohmann::ordered_json requests = nlohmann::ordered_json::array();
        for (const ServedRequest& request : run.requests) {
            requests.push_back({{"page", request.page}, {"served_by", request.servedBy}});
        }
        line["requests"] = requests;
    }
    return line;
}

// The keys of a recorded run, each null, for a watched domain never queried.
nlohmann::ordered_json noRunJson(const std::string& domain) {
    nlohmann::ordered_json line = runJson(RunRecord{}, true);
    for (auto& [key, value] : line.items()) {
        value = nullptr;
    }
    line["domain"] = domain;
    line["reasons"] = nlohmann::ordered_json::object();
    line["requests"] = nlohmann::ordered_json::array();
    return line;
}

std::string dumped(const nlohmann::ordered_json& line) {
    return line.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace) + '\n';
}

}  // namespace

std::string formatJsonLine(const RunRecord& run, bool whenAndWhere, const RunTrace* explain) {
    nlohmann::ordered_json line = runJson(run, whenAndWhere);
    if (explain != nullptr) {
        line["explain"] = traceJson(*explain);
    }
    return dumped(line);
}

std::string formatStatusJsonLine(const watch::SiteStatus& site) {
    const RunRecord* latest = site.latest();
    nlohmann::ordered_json line = latest != nullptr ? runJson(*latest, true) : noRunJson(site.runs.domain);
    line["watched"] = site.watched;
    line["previous"] = site.runs.compared ? runJson(*site.runs.compared, true) : nlohmann::ordered_json(nullptr);
    nlohmann::ordered_json changes = nlohmann::ordered_json::object();
    for (const ResultInfo& info : kResults) {
        if (const auto change = watch::changeOf(site, info.result)) {
            nlohmann::ordered_json entry{{"from", textOrNull(change->from)}, {"to", textOrNull(change->to)}};
            if (change->delta) {
                entry["delta"] = *change->delta;
            }
            changes[info.key] = std::move(entry);
        }
    }
    line["changes"] = std::move(changes);
    return dumped(line);
}

}  // namespace quarnel::cli
