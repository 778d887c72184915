#include "cli/commands.h"

#include "cli/run_json.h"
#include "cli/terminal_text.h"
#include "history/iso_time.h"
#include "history/sqlite_history.h"
#include "watch/site_status.h"

#include <CLI/CLI.hpp>

#include <algorithm>
#include <ostream>

namespace quarnel::cli {
namespace {

constexpr const char* kStatusUsage =
    "       quarnel-cli status [--json] [--watch-file PATH]\n"
    "Every site at a glance, one line each: the watched domains first, in the list's order,\n"
    "then every other recorded domain. For each, the time of its latest run, the counts and\n"
    "the PageRank with their change since the run before that reached every service (? and\n"
    "the reason where the run has no value), the rules, and any failed or blocked fetch.\n"
    "  --json             one JSON object per domain and line, the latest run's keys as in\n"
    "                     history --json, plus watched, previous and changes\n"
    "  --watch-file PATH  use another watch list\n";

constexpr const char* kNeverQueried = "never";
constexpr const char* kWatchedMark = "✓";
constexpr std::size_t kColumnGap = 2;

struct StatusOptions {
    bool json = false;
    std::filesystem::path listFile = defaultWatchList();
};

// Control characters would break the table's lines, or drive the terminal.
std::string printable(std::string_view text) {
    std::string shown;
    for (const char ch : text) {
        const auto byte = static_cast<unsigned char>(ch);
        shown += byte < 0x20 || byte == 0x7F ? std::string("\xEF\xBF\xBD") : std::string(1, ch);
    }
    return shown;
}

std::vector<std::string> headingRow() {
    std::vector<std::string> row = {"", "domain", "latest"};
    for (const ResultInfo& info : kResults) {
        if (info.hasNumber()) {
            row.emplace_back(info.caption);
        }
    }
    row.insert(row.end(), {"profile", ""});
    return row;
}

std::vector<std::string> siteRow(const watch::SiteStatus& site) {
    const RunRecord* latest = site.latest();
    std::vector<std::string> row = {site.watched ? kWatchedMark : "", printable(site.runs.domain),
                                    latest != nullptr ? history::shortLocal(latest->startedAt) : kNeverQueried};
    for (const ResultInfo& info : kResults) {
        if (info.hasNumber()) {
            row.push_back(printable(watch::valueCell(site, info.result)));
        }
    }
    row.push_back(latest != nullptr ? printable(latest->profile) : "");
    row.push_back(latest != nullptr ? watch::shortfallOf(*latest) : "");
    return row;
}

void printTable(std::ostream& out, const std::vector<watch::SiteStatus>& sites) {
    std::vector<std::vector<std::string>> rows = {headingRow()};
    for (const watch::SiteStatus& site : sites) {
        rows.push_back(siteRow(site));
    }
    std::vector<std::size_t> widths(rows.front().size(), 0);
    for (const auto& row : rows) {
        for (std::size_t i = 0; i < row.size(); ++i) {
            widths[i] = std::max(widths[i], terminalColumns(row[i]));
        }
    }
    for (const auto& row : rows) {
        std::string line;
        for (std::size_t i = 0; i < row.size(); ++i) {
            line += padded(row[i], widths[i] + kColumnGap, false);
        }
        line.erase(line.find_last_not_of(' ') + 1);
        out << line << '\n';
    }
}

int printStatus(const StatusOptions& options, Invocation& invocation) {
    int status = kExitFine;
    std::vector<std::string> watched;
    if (!options.listFile.empty()) {
        auto listed = readWatchedDomains(options.listFile, invocation, MissingList::Empty);
        status = listed ? kExitFine : kExitUsage;
        watched = std::move(listed).value_or(std::vector<std::string>{});
    }
    // The table needs only the latest run and the one compared with.
    auto recorded = history::SqliteHistory(invocation.historyFile).latestRuns(1, std::nullopt);
    if (!recorded) {
        tellHistoryError(invocation, recorded.reason());
        return kExitHistoryFailed;
    }
    const std::vector<watch::SiteStatus> sites = watch::siteStatuses(std::move(*recorded), watched);
    if (sites.empty()) {
        invocation.err << "quarnel-cli status: nothing recorded and nothing watched yet; " << kAddHint << '\n';
    } else if (options.json) {
        for (const watch::SiteStatus& site : sites) {
            invocation.out << formatStatusJsonLine(site);
        }
    } else {
        printTable(invocation.out, sites);
    }
    return status;
}

}  // namespace

void addStatusCommand(CLI::App& app, Invocation& invocation) {
    auto options = std::make_shared<StatusOptions>();
    CLI::App* command = app.add_subcommand("status", kStatusUsage);
    command->add_flag("--json", options->json);
    command->add_option("--watch-file", options->listFile, "watch list to use")->type_name("PATH");
    command->callback([&invocation, options] {
        invocation.command = [&invocation, options] { return printStatus(*options, invocation); };
    });
}

}  // namespace quarnel::cli
