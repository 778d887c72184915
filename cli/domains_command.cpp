#include "cli/commands.h"

#include "history/sqlite_history.h"

#include <CLI/CLI.hpp>

#include <ostream>

namespace quarnel::cli {
namespace {

constexpr const char* kDomainsUsage =
    "       quarnel-cli domains\n"
    "Every domain in the history, sorted, one per line.\n";

int printDomains(Invocation& invocation) {
    const auto domains = history::SqliteHistory(invocation.historyFile).domains();
    if (!domains) {
        tellHistoryError(invocation, domains.reason());
        return kExitHistoryFailed;
    }
    for (const std::string& domain : *domains) {
        invocation.out << domain << '\n';
    }
    return kExitFine;
}

}  // namespace

void addDomainsCommand(CLI::App& app, Invocation& invocation) {
    app.add_subcommand("domains", kDomainsUsage)->callback([&invocation] {
        invocation.command = [&invocation] { return printDomains(invocation); };
    });
}

}  // namespace quarnel::cli
