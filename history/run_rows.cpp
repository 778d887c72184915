#include "history/run_rows.h"

#include "base/results.h"

#include <SQLiteCpp/Column.h>
#include <SQLiteCpp/Statement.h>
#include <nlohmann/json.hpp>

#include <cstdint>

namespace quarnel::history {
namespace {

// Why each empty result is empty, by key, as one JSON object; nothing when none is.
std::optional<std::string> reasonsJson(const RunRecord& run) {
    nlohmann::json reasons = nlohmann::json::object();
    for (const ResultInfo& info : kResults) {
        if (const std::string& reason = run.reasons[static_cast<std::size_t>(info.result)]; !reason.empty()) {
            reasons[std::string(info.key)] = reason;
        }
    }
    if (reasons.empty()) {
        return std::nullopt;
    }
    return reasons.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
}

std::optional<std::string> requestsJson(const RunRecord& run) {
    if (run.requests.empty()) {
        return std::nullopt;
    }
    nlohmann::json requests = nlohmann::json::array();
    for (const ServedRequest& request : run.requests) {
        requests.push_back({{"page", request.page}, {"served_by", request.servedBy}});
    }
    return requests.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
}

void readRequests(const std::optional<std::string>& stored, RunRecord& run) {
    if (!stored) {
        return;  // a run from before the transports were recorded
    }
    const nlohmann::json requests = nlohmann::json::parse(*stored, nullptr, false);
    if (!requests.is_array()) {
        return;  // a damaged cell costs the requests, never the run
    }
    for (const nlohmann::json& request : requests) {
        const auto page = request.find("page");
        const auto servedBy = request.find("served_by");
        if (request.is_object() && page != request.end() && page->is_string() && servedBy != request.end() &&
            servedBy->is_string()) {
            run.requests.push_back({page->get<std::string>(), servedBy->get<std::string>()});
        }
    }
}

void readReasons(const std::optional<std::string>& stored, RunRecord& run) {
    if (!stored) {
        return;  // most runs: every value found
    }
    const nlohmann::json reasons = nlohmann::json::parse(*stored, nullptr, false);
    if (!reasons.is_object()) {
        return;  // a damaged cell costs the reasons, never the run
    }
    for (const ResultInfo& info : kResults) {
        if (const auto found = reasons.find(std::string(info.key)); found != reasons.end() && found->is_string()) {
            run.reasons[static_cast<std::size_t>(info.result)] = found->get<std::string>();
        }
    }
}

const char* originName(RunOrigin origin) {
    return origin == RunOrigin::Window ? "window" : "cli";
}

void bindText(SQLite::Statement& statement, int index, const std::optional<std::string>& text) {
    if (text) {
        statement.bind(index, *text);
    } else {
        statement.bind(index);
    }
}

std::optional<std::string> textColumn(SQLite::Statement& statement, int index) {
    const SQLite::Column column = statement.getColumn(index);
    if (column.isNull()) {
        return std::nullopt;
    }
    return column.getString();
}

constexpr int kFirstVersionWithRules = 2;
constexpr int kFirstVersionWithNotQueried = 3;
constexpr int kFirstVersionWithTransports = 4;

}  // namespace

std::string runColumnsFor(int version) {
    return std::string("started, duration_ms, domain, origin, fetch_failures,"
                       " day, week, month, \"all\", snapshot, homepage, pagerank, hijack, ") +
           (version >= kFirstVersionWithRules ? "profile, blocked, reasons, " : "'classic', 0, NULL, ") +
           (version >= kFirstVersionWithNotQueried ? "not_queried, " : "NULL, ") +
           (version >= kFirstVersionWithTransports ? "served_by" : "NULL");
}

std::string reachedEveryServiceFor(int version) {
    return std::string("(fetch_failures = 0") + (version >= kFirstVersionWithRules ? " AND blocked = 0" : "") +
           (version >= kFirstVersionWithNotQueried ? " AND not_queried IS NULL" : "") + ")";
}

RunRecord runOfRow(SQLite::Statement& query) {
    RunRecord run;
    run.startedAt = std::chrono::sys_seconds(std::chrono::seconds(query.getColumn(0).getInt64()));
    run.duration = std::chrono::milliseconds(query.getColumn(1).getInt64());
    run.domain = query.getColumn(2).getString();
    run.origin = query.getColumn(3).getString() == "window" ? RunOrigin::Window : RunOrigin::Cli;
    run.fetchFailures = query.getColumn(4).getInt();
    for (std::size_t i = 0; i < kResults.size(); ++i) {
        run.results[kResults[i].result] = textColumn(query, 5 + static_cast<int>(i));
    }
    run.profile = query.getColumn(13).getString();
    run.blockedPages = query.getColumn(14).getInt();
    readReasons(textColumn(query, 15), run);
    run.notQueried = textColumn(query, 16).value_or(std::string());
    readRequests(textColumn(query, 17), run);
    return run;
}

void bindRun(SQLite::Statement& insert, const RunRecord& run) {
    insert.bind(1, run.domain);
    insert.bind(2, static_cast<std::int64_t>(run.startedAt.time_since_epoch().count()));
    insert.bind(3, static_cast<std::int64_t>(run.duration.count()));
    insert.bind(4, originName(run.origin));
    insert.bind(5, run.fetchFailures);
    int numberIndex = 14;
    for (std::size_t i = 0; i < kResults.size(); ++i) {
        const auto& text = run.results[kResults[i].result];
        bindText(insert, 6 + static_cast<int>(i), text);
        if (kResults[i].hasNumber()) {
            const auto number = text ? countValue(*text) : std::nullopt;
            if (number) {
                insert.bind(numberIndex, static_cast<std::int64_t>(*number));
            } else {
                insert.bind(numberIndex);
            }
            ++numberIndex;
        }
    }
    insert.bind(19, run.profile);
    insert.bind(20, run.blockedPages);
    bindText(insert, 21, reasonsJson(run));
    bindText(insert, 22, run.notQueried.empty() ? std::nullopt : std::optional(run.notQueried));
    bindText(insert, 23, requestsJson(run));
}

}  // namespace quarnel::history
