#include "shell/cli/cli_options.h"

namespace quarnel::cli {

std::optional<CliOptions> parseCommandLine(const std::vector<std::string>& arguments) {
    CliOptions options;
    bool optionsEnded = false;
    for (const std::string& argument : arguments) {
        if (optionsEnded || argument.empty() || argument.front() != '-') {
            options.domains.push_back(argument);
        } else if (argument == "-") {
            options.domainsFromStdin = true;
        } else if (argument == "--") {
            optionsEnded = true;
        } else if (argument == "--json") {
            options.json = true;
        } else if (argument == "--help" || argument == "-h") {
            options.help = true;
        } else {
            return std::nullopt;
        }
    }
    if (options.help) {
        return options;
    }
    // Domains come either from the arguments or, with "-" alone, from standard input.
    if (options.domainsFromStdin == options.domains.empty()) {
        return options;
    }
    return std::nullopt;
}

}  // namespace quarnel::cli
