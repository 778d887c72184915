#include "cli/commands.h"

#include "base/results.h"
#include "cli/run_json.h"
#include "controls/control_model.h"
#include "history/csv_writer.h"
#include "history/iso_time.h"
#include "history/sqlite_history.h"

#include <CLI/CLI.hpp>

#include <ostream>

namespace quarnel::cli {
namespace {

constexpr const char* kHistoryUsage =
    "       quarnel-cli history [--json|--csv [--bom]] [--since DATE] [--until DATE] [DOMAIN...]\n"
    "The recorded runs of the domains (of all when none is given), oldest first: a table\n"
    "by default, one JSON object per line, or CSV (UTF-8, times in UTC; --bom adds a\n"
    "byte-order mark). DATE is 2026-12-06 (the whole day, UTC) or 2026-12-06T08:00:00Z.\n";

struct HistoryOptions {
    bool json = false;
    bool csv = false;
    bool byteOrderMark = false;
    std::string since;
    std::string until;
    std::vector<std::string> domains;
};

std::optional<std::chrono::sys_seconds> parseDate(const std::string& text, const char* option, history::DayEdge edge) {
    if (text.empty()) {
        return std::nullopt;
    }
    if (auto time = history::parseMomentOrDay(text, edge)) {
        return time;
    }
    throw CLI::ValidationError(option, "not a date: " + text);
}

// In place of each value of a domain that a watch pass stopped before.

void printTable(std::ostream& out, const std::vector<RunRecord>& runs) {
    out << "started\tdomain";
    for (const ResultInfo& info : kResults) {
        out << '\t' << info.caption;
    }
    out << "\t无法连接服务器\n";
    for (const RunRecord& run : runs) {
        out << history::isoUtc(run.startedAt) << '\t' << run.domain;
        for (const ResultInfo& info : kResults) {
            out << '\t' << (run.notQueried.empty() ? run.results[info.result].value_or(kQuerying) : kNotQueriedShown);
        }
        out << '\t' << run.fetchFailures << '\n';
    }
}

int printHistory(const HistoryOptions& options, const history::RunFilter& filter, Invocation& invocation) {
    const auto runs = history::SqliteHistory(invocation.historyFile).runs(filter);
    if (!runs) {
        tellHistoryError(invocation, runs.reason());
        return kExitHistoryFailed;
    }
    if (options.csv) {
        history::writeCsv(invocation.out, *runs, {.byteOrderMark = options.byteOrderMark});
    } else if (options.json) {
        for (const RunRecord& run : *runs) {
            invocation.out << formatJsonLine(run, true);
        }
    } else {
        printTable(invocation.out, *runs);
    }
    return kExitFine;
}

}  // namespace

void addHistoryCommand(CLI::App& app, Invocation& invocation) {
    auto options = std::make_shared<HistoryOptions>();
    CLI::App* command = app.add_subcommand("history", kHistoryUsage);
    CLI::Option* json = command->add_flag("--json", options->json);
    CLI::Option* csv = command->add_flag("--csv", options->csv)->excludes(json);
    command->add_flag("--bom", options->byteOrderMark)->needs(csv);
    command->add_option("--since", options->since)->type_name("DATE");
    command->add_option("--until", options->until)->type_name("DATE");
    command->add_option("domains", options->domains);
    command->callback([&invocation, options] {
        history::RunFilter filter{options->domains, parseDate(options->since, "--since", history::DayEdge::First),
                                  parseDate(options->until, "--until", history::DayEdge::Last)};
        invocation.command = [&invocation, options, filter] { return printHistory(*options, filter, invocation); };
    });
}

}  // namespace quarnel::cli
