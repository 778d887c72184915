#include "cli/commands.h"

#include <CLI/CLI.hpp>

#include <memory>
#include <ostream>

namespace quarnel::cli {
namespace {

constexpr const char* kProfilesUsage =
    "       quarnel-cli profiles [show NAME|PATH]\n"
    "Lists the rule sets a query can use (--profile NAME), built in and your own in\n"
    "$XDG_CONFIG_HOME/quarnel/profiles/NAME.toml; show prints one, to copy and edit.\n";

int listProfiles(Invocation& invocation) {
    for (const rules::BuiltInProfile& builtIn : rules::builtInProfiles()) {
        invocation.out << builtIn.name << "\tbuilt in\n";
    }
    for (const std::string& name : rules::userProfileNames(invocation.profileFolder)) {
        invocation.out << name << '\t' << (invocation.profileFolder / (name + ".toml")).string() << '\n';
    }
    return kExitFine;
}

int showProfile(const std::string& name, Invocation& invocation) {
    invocation.profile = name;
    const std::optional<rules::LoadedProfile> profile = loadChosenProfile(invocation);
    if (!profile) {
        return kExitUsage;
    }
    invocation.out << profile->toml;
    return kExitFine;
}

}  // namespace

void addProfilesCommand(CLI::App& app, Invocation& invocation) {
    CLI::App* command = app.add_subcommand("profiles", kProfilesUsage);
    auto shown = std::make_shared<std::string>();
    CLI::App* show = command->add_subcommand("show", "print a profile as TOML");
    show->add_option("profile", *shown)->required();
    command->callback([&invocation, show, shown] {
        if (show->parsed()) {
            invocation.command = [&invocation, shown] { return showProfile(*shown, invocation); };
        } else {
            invocation.command = [&invocation] { return listProfiles(invocation); };
        }
    });
}

}  // namespace quarnel::cli
