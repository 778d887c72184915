#pragma once

#include "cli/invocation.h"

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace CLI {
class App;
}

// The commands of quarnel-cli, each adding itself to the command line; command_line.cpp
// puts them together.
namespace quarnel::cli {

inline constexpr const char* kQueryUsage =
    "usage: quarnel-cli [--json] [--no-history] [--explain] [--profile NAME|PATH] DOMAIN...\n"
    "       quarnel-cli [--json] [--no-history] [--explain] [--profile NAME|PATH] -\n"
    "                                           (one domain per line from standard input)\n"
    "Queries each domain's index counts, first result and PageRank, one after the other,\n"
    "and records each run in the history. Rules with a pace (current) space requests to one\n"
    "host out, and after a verification page rest and ask once more; when it is still\n"
    "there, the batch stops and names the domains it did not query.\n"
    "  --json        one JSON object per domain and line\n"
    "  --no-history  record nothing\n"
    "  --explain     after each domain: every request and cut of its run, and why a value is empty\n"
    "  --profile NAME|PATH  the rules to query by (default: classic; see quarnel-cli profiles)\n"
    "  --            every later argument is a domain, even one that starts with '-'\n"
    "  --version     print the version\n";

// The query: bare domains on the top level of the command line.
void addQueryCommand(CLI::App& app, Invocation& invocation);

// quarnel-cli history: the recorded runs, oldest first.
void addHistoryCommand(CLI::App& app, Invocation& invocation);

// quarnel-cli trend DOMAIN: how the counts and the PageRank moved.
void addTrendCommand(CLI::App& app, Invocation& invocation);

// quarnel-cli domains: every recorded domain, one per line (shell completion reads it).
void addDomainsCommand(CLI::App& app, Invocation& invocation);

// Another watch pass over the same list is still going on; this one sent nothing.
inline constexpr int kExitWatchBusy = 4;

// `watch`: one pass over the watch list, and `watch add|remove|list` to edit and show it.
void addWatchCommand(CLI::App& app, Invocation& invocation);

inline constexpr const char* kAddHint = "add a site with: quarnel-cli watch add example.com";

// What reading the watch list makes of a list that is not there.
enum class MissingList { Told, Empty };

// The domains of the watch list, each line that names none told on standard error by
// its number. Nothing, after a message, when it cannot be read or, unless `missing`
// says it is empty, when there is no list.
std::optional<std::vector<std::string>> readWatchedDomains(const std::filesystem::path& listFile,
                                                           Invocation& invocation,
                                                           MissingList missing = MissingList::Told);

// $XDG_CONFIG_HOME/quarnel/watch.txt, or ~/.config/quarnel/watch.txt.
std::filesystem::path defaultWatchList();

// quarnel-cli status: every site at a glance, watched ones first.
void addStatusCommand(CLI::App& app, Invocation& invocation);

// `watch add`, `watch remove` and `watch list`; each returns the exit status.
int addToWatchList(const std::filesystem::path& listFile, const std::string& domain, Invocation& invocation);
int removeFromWatchList(const std::filesystem::path& listFile, const std::string& domain, Invocation& invocation);
int showWatchList(const std::filesystem::path& listFile, Invocation& invocation);

// `profiles` lists the built-in and the user's rule sets; `profiles show NAME` prints one
// as TOML, to start a profile of one's own from.
void addProfilesCommand(CLI::App& app, Invocation& invocation);

}  // namespace quarnel::cli
