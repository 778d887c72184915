#include "cli/commands.h"

#include "history/iso_time.h"
#include "history/sqlite_history.h"
#include "cli/trend_report.h"

#include <CLI/CLI.hpp>

#include <ostream>

namespace quarnel::cli {
namespace {

// Not a failure of a fetch (1) or of the history (3): the history was read and holds no
// run of the domain, as for a domain never queried or spelt otherwise.
constexpr int kExitNothingRecorded = 5;

constexpr const char* kTrendUsage =
    "       quarnel-cli trend DOMAIN\n"
    "For each count and the PageRank: the latest number, its change since the run before\n"
    "and over 7 and 30 days, and on a terminal a sparkline of the last 30 runs; exit status 5\n"
    "when the domain has no recorded run.\n";

int printTrend(const std::string& domain, Invocation& invocation) {
    const auto runs = history::SqliteHistory(invocation.historyFile).runs({{domain}, std::nullopt, std::nullopt});
    if (!runs) {
        tellHistoryError(invocation, runs.reason());
        return kExitHistoryFailed;
    }
    if (runs->empty()) {
        invocation.err << "quarnel-cli: no recorded runs of " << domain << '\n';
        return kExitNothingRecorded;
    }
    invocation.out << domain << ": " << runs->size() << " runs, the latest " << history::isoUtc(runs->back().startedAt)
                   << '\n'
                   << formatTrend(trendOf(*runs, invocation.clock.now()), invocation.outIsTerminal);
    return kExitFine;
}

}  // namespace

void addTrendCommand(CLI::App& app, Invocation& invocation) {
    auto domain = std::make_shared<std::string>();
    CLI::App* command = app.add_subcommand("trend", kTrendUsage);
    command->add_option("domain", *domain)->required();
    command->callback([&invocation, domain] {
        invocation.command = [&invocation, domain] { return printTrend(*domain, invocation); };
    });
}

}  // namespace quarnel::cli
