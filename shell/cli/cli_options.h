#pragma once

#include <optional>
#include <string>
#include <vector>

namespace quarnel::cli {

struct CliOptions {
    bool help = false;
    bool json = false;
    bool domainsFromStdin = false;  // the single argument "-"
    std::vector<std::string> domains;
};

// The command line without the program name; nothing when it is not usable.
std::optional<CliOptions> parseCommandLine(const std::vector<std::string>& arguments);

inline constexpr const char* kUsage =
    "usage: quarnel-cli [--json] DOMAIN...\n"
    "       quarnel-cli [--json] -        (one domain per line from standard input)\n"
    "Queries each domain's index counts, first result and PageRank, one after the other.\n"
    "  --json  one JSON object per domain and line\n"
    "  --      every later argument is a domain, even one that starts with '-'\n"
    "Exit status: 0 when every fetch completed, 1 when any did not, 2 on a usage error.\n";

}  // namespace quarnel::cli
