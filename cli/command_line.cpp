#include "cli/command_line.h"

#include "cli/commands.h"
#include "base/version.h"

#include <CLI/CLI.hpp>

#include <algorithm>
#include <ostream>

namespace quarnel::cli {
namespace {

constexpr const char* kUsageEnd =
    "Every command takes --history-file PATH to use another history database than\n"
    "$XDG_DATA_HOME/quarnel/history.sqlite3 (default ~/.local/share/quarnel/).\n"
    "A command is only recognised as the first word that is not an option; a domain\n"
    "spelt like a command goes after --, as in: quarnel-cli -- history\n"
    "Exit status: 0 when every fetch completed, 1 when any did not or was answered with a\n"
    "verification page (or a stopped batch left domains unqueried), 2 on a usage error\n"
    "(also an empty domain, after the batch's other domains), 3 when the history could\n"
    "not be written or read (told in one 'history:' line); the highest of these wins.\n";

std::string usageOf(const CLI::App& app) {
    std::string usage = kQueryUsage;
    for (const CLI::App* command : app.get_subcommands([](const CLI::App*) { return true; })) {
        usage += command->get_description();
    }
    return usage + kUsageEnd;
}

// CLI11 takes a command's name anywhere on the line; we take it only as the first word
// that is neither an option nor an option's value, so that any later word is a domain.
bool namesACommand(const CLI::App& app, const std::vector<std::string>& arguments) {
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string& word = arguments[i];
        if (word == "--") {
            return false;
        }
        if (word.size() < 2 || word.front() != '-') {
            return !app.get_subcommands([&](const CLI::App* command) { return command->check_name(word); }).empty();
        }
        const CLI::Option* option = app.get_option_no_throw(word);
        if (option != nullptr && option->get_type_size() > 0 && word.find('=') == std::string::npos) {
            ++i;  // its value
        }
    }
    return false;
}

}  // namespace

std::optional<rules::LoadedProfile> loadChosenProfile(Invocation& invocation) {
    Expected<rules::LoadedProfile> loaded = rules::loadProfile(invocation.profile, invocation.profileFolder);
    if (!loaded) {
        invocation.err << "quarnel-cli: " << loaded.reason() << '\n';
        return std::nullopt;
    }
    return std::move(loaded).value();
}

void tellHistoryError(Invocation& invocation, const std::string& reason) {
    invocation.err << "history: " << reason << std::endl;
}

int runCommandLine(const std::vector<std::string>& arguments, Invocation& invocation) {
    CLI::App app("quarnel-cli", "quarnel-cli");
    app.set_version_flag("--version", std::string("quarnel-cli ") + kVersion);
    app.add_option("--history-file", invocation.historyFile, "history database to use")
        ->type_name("PATH")
        ->check(CLI::Validator(
            [](const std::string& path) { return path.empty() ? "an empty path names no file" : std::string(); }, ""));
    app.add_option("--profile", invocation.profile, "rules to query by: a profile's name or file")->type_name("NAME|PATH");
    // Options of the whole program may also follow a command's name.
    app.fallthrough();

    addQueryCommand(app, invocation);
    addHistoryCommand(app, invocation);
    addTrendCommand(app, invocation);
    addDomainsCommand(app, invocation);
    addStatusCommand(app, invocation);
    addWatchCommand(app, invocation);
    addProfilesCommand(app, invocation);

    if (!namesACommand(app, arguments)) {
            for (CLI::App* command : app.get_subcommands([](CLI::App*) { return true; })) {
            command->disabled();
        }
    }
    std::vector<std::string> reversed(arguments.rbegin(), arguments.rend());
    try {
        app.parse(reversed);
    } catch (const CLI::CallForHelp&) {
        invocation.out << usageOf(app);
        return kExitFine;
    } catch (const CLI::CallForVersion& version) {
        invocation.out << version.what() << '\n';
        return kExitFine;
    } catch (const CLI::ParseError& error) {
        invocation.err << "quarnel-cli: " << error.what() << '\n' << usageOf(app);
        return kExitUsage;
    }
    return invocation.command();
}

}  // namespace quarnel::cli
