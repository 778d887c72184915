#include "cli/commands.h"

#include "history/sqlite_history.h"
#include "cli/site_run.h"
#include "watch/desktop_notifier.h"
#include "watch/run_lock.h"
#include "watch/watch_file.h"
#include "watch/watch_pass.h"

#include <CLI/CLI.hpp>

#include <cstdlib>
#include <memory>
#include <ostream>

extern char** environ;

namespace quarnel::cli {
namespace {

constexpr const char* kWatchUsage =
    "       quarnel-cli watch [--watch-file PATH]\n"
    "       quarnel-cli watch [--watch-file PATH] add DOMAIN | remove DOMAIN | list\n"
    "Queries every domain of the watch list in turn, records each run, and prints one line\n"
    "per value that changed since the domain's last complete run (also as a desktop\n"
    "notification). add, remove and list edit and show the list, by default\n"
    "$XDG_CONFIG_HOME/quarnel/watch.txt (~/.config/quarnel/watch.txt).\n"
    "  --watch-file PATH  use another watch list\n"
    "Under rules with a pace (--profile current), requests to one host are spaced out, and\n"
    "after a verification page the pass rests and asks once more; when the page is still\n"
    "there, the pass stops, and the domains after it are named and recorded as not queried.\n"
    "Exit status: 4 when another pass over the same list is still going on; 1 when a\n"
    "service could not be reached or answered with a verification page, when remove finds\n"
    "no such domain or the list cannot be saved; 2 for an empty domain.\n";

int watchPass(const std::filesystem::path& listFile, Invocation& invocation) {
    const auto domains = readWatchedDomains(listFile, invocation);
    if (!domains) {
        return kExitUsage;
    }
    if (domains->empty()) {
        invocation.err << "quarnel-cli watch: no domain to watch in " << listFile.string() << "; " << kAddHint << '\n';
        return kExitFine;
    }
    const watch::RunLock lock(watch::runLockPath(listFile), watch::RunLock::Wait::No);
    if (lock.state() == watch::RunLock::State::Busy) {
        invocation.err << "quarnel-cli watch: busy, another pass over " << listFile.string()
                       << " is still going on\n";
        return kExitWatchBusy;
    }
    if (lock.state() == watch::RunLock::State::Unavailable) {
        invocation.err << "quarnel-cli watch: cannot lock " << watch::runLockPath(listFile).string()
                       << ", so a second pass could not be kept out\n";
        return kExitUsage;
    }

    const std::optional<rules::LoadedProfile> profile = loadChosenProfile(invocation);
    if (!profile) {
        return kExitUsage;
    }
    SiteRunner site(invocation, profile->profile);
    history::SqliteHistory history(invocation.historyFile);
    watch::DesktopNotifier notifier(environ);
    const watch::WatchOutcome outcome =
        watch::WatchPass(site, history, history, notifier, invocation.out, invocation.err).run(*domains);
    if (notifier.anySendFailed()) {
        // The changes are printed all the same; the pass's exit status does not change.
        invocation.err << "quarnel-cli watch: notify-send failed; the changes were not shown on the desktop\n";
    }
    if (!outcome.everyRunRecorded) {
        return kExitHistoryFailed;
    }
    return outcome.everyServiceReached ? kExitFine : kExitFetchFailed;
}

}  // namespace

std::filesystem::path defaultWatchList() {
    return watch::watchListPath(std::getenv("XDG_CONFIG_HOME"), std::getenv("HOME"));
}

void addWatchCommand(CLI::App& app, Invocation& invocation) {
    CLI::App* command = app.add_subcommand("watch", kWatchUsage);
    auto listFile = std::make_shared<std::filesystem::path>(defaultWatchList());
    command->add_option("--watch-file", *listFile, "watch list to use")->type_name("PATH");

    auto domain = std::make_shared<std::string>();
    CLI::App* add = command->add_subcommand("add", "start watching a domain");
    add->add_option("domain", *domain)->required();
    CLI::App* remove = command->add_subcommand("remove", "stop watching a domain");
    remove->add_option("domain", *domain)->required();
    CLI::App* list = command->add_subcommand("list", "show the watched domains");
    command->require_subcommand(0, 1);

    command->callback([=, &invocation] {
        if (listFile->empty()) {
            throw CLI::ValidationError("--watch-file", "no home folder to keep the watch list in; give --watch-file");
        }
        if (add->parsed()) {
            invocation.command = [=, &invocation] { return addToWatchList(*listFile, *domain, invocation); };
        } else if (remove->parsed()) {
            invocation.command = [=, &invocation] { return removeFromWatchList(*listFile, *domain, invocation); };
        } else if (list->parsed()) {
            invocation.command = [=, &invocation] { return showWatchList(*listFile, invocation); };
        } else {
            invocation.command = [=, &invocation] { return watchPass(*listFile, invocation); };
        }
    });
}

}  // namespace quarnel::cli
