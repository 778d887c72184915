#include "cli/run_json.h"

#include "history/iso_time.h"
#include "base/results.h"

#include <nlohmann/json.hpp>

namespace quarnel::cli {

std::string formatJsonLine(const RunRecord& run, bool whenAndWhere) {
    nlohmann::ordered_json line;
    if (whenAndWhere) {
        line["started"] = history::isoUtc(run.startedAt);
        line["duration_ms"] = run.duration.count();
        line["origin"] = run.origin == RunOrigin::Window ? "window" : "cli";
    }
    line["domain"] = run.domain;
    for (const ResultInfo& info : kResults) {
        const auto& text = run.results[info.result];
        line[info.key] = text ? nlohmann::ordered_json(*text) : nlohmann::ordered_json(nullptr);
    }
    line["fetch_failures"] = run.fetchFailures;
    return line.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace) + '\n';
}

}  // namespace quarnel::cli
