#pragma once

#include "cli/invocation.h"

namespace CLI {
class App;
}

namespace quarnel::cli {

inline constexpr const char* kQueryUsage =
    "usage: quarnel-cli [--json] [--no-history] [--explain] [--profile NAME|PATH] DOMAIN...\n"
    "       quarnel-cli [--json] [--no-history] [--explain] [--profile NAME|PATH] -\n"
    "                                           (one domain per line from standard input)\n"
    "Queries each domain's index counts, first result and PageRank, one after the other,\n"
    "and records each run in the history.\n"
    "  --json        one JSON object per domain and line\n"
    "  --no-history  record nothing\n"
    "  --explain     after each domain: every request and cut of its run, and why a value is empty\n"
    "  --profile NAME|PATH  the rules to query by (default: classic; see quarnel-cli profiles)\n"
    "  --            every later argument is a domain, even one that starts with '-'\n"
    "  --version     print the version\n";

// The query: bare domains on the top level of the command line.
void addQueryCommand(CLI::App& app, Invocation& invocation);

}  // namespace quarnel::cli
