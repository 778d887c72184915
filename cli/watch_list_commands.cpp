#include "cli/commands.h"

#include "watch/run_lock.h"
#include "watch/watch_file.h"
#include "watch/watch_list.h"

#include <ostream>

namespace quarnel::cli {
namespace {

constexpr const char* kPrefix = "quarnel-cli watch: ";
// The list was left as it was: the domain was not in it, or the new list could not be saved.
constexpr int kExitListUnchanged = 1;

// The list's text; nothing after a message when it cannot be read.
std::optional<std::optional<std::string>> readList(const std::filesystem::path& listFile, Invocation& invocation) {
    auto text = watch::readWatchFile(listFile);
    if (!text) {
        invocation.err << kPrefix << text.reason() << '\n';
        return std::nullopt;
    }
    return std::move(*text);
}

// Whether `domain` may be added or removed; told when not.
bool fitForTheList(const std::string& domain, const char* verb, Invocation& invocation) {
    const auto reason = watch::unfitDomainReason(domain);
    if (reason) {
        invocation.err << kPrefix << "cannot " << verb << " '" << domain << "': " << *reason << '\n';
    }
    return !reason;
}

// Reads the list, edits it and saves it under the edit lock, so that of two edits at
// once neither is lost. `edit` gives the new text, or nothing to leave the list as it is.
template <typename Edit>
int editWatchList(const std::filesystem::path& listFile, Invocation& invocation, Edit&& edit) {
    std::error_code ignored;  // a folder that cannot be made shows as a lock that cannot be taken
    std::filesystem::create_directories(listFile.parent_path(), ignored);
    const watch::RunLock lock(watch::editLockPath(listFile), watch::RunLock::Wait::Yes);
    if (lock.state() != watch::RunLock::State::Held) {
        invocation.err << kPrefix << "cannot lock " << watch::editLockPath(listFile).string()
                       << ", so the list is left as it was\n";
        return kExitListUnchanged;
    }
    const auto text = readList(listFile, invocation);
    if (!text) {
        return kExitUsage;
    }
    const std::optional<std::string> edited = edit(text->value_or(""));
    if (!edited) {
        return kExitListUnchanged;
    }
    if (const auto saved = watch::saveWatchFile(listFile, *edited); !saved) {
        invocation.err << kPrefix << saved.reason() << '\n';
        return kExitListUnchanged;
    }
    return kExitFine;
}

}  // namespace

std::optional<std::vector<std::string>> readWatchedDomains(const std::filesystem::path& listFile,
                                                           Invocation& invocation, MissingList missing) {
    const auto text = readList(listFile, invocation);
    if (!text) {
        return std::nullopt;
    }
    if (!*text && missing == MissingList::Empty) {
        return std::vector<std::string>{};
    }
    if (!*text) {
        invocation.err << kPrefix << "no watch list at " << listFile.string() << " yet; " << kAddHint << '\n';
        return std::nullopt;
    }
    watch::WatchList list = watch::parseWatchList(**text);
    for (const watch::SkippedLine& line : list.skipped) {
        invocation.err << kPrefix << listFile.string() << ':' << line.number << ": skipped, " << line.reason << '\n';
    }
    return std::move(list.domains);
}

int addToWatchList(const std::filesystem::path& listFile, const std::string& domain, Invocation& invocation) {
    if (!fitForTheList(domain, "watch", invocation)) {
        return kExitUsage;
    }
    bool already = false;
    const int status = editWatchList(listFile, invocation, [&](const std::string& text) {
        auto added = watch::withDomainAdded(text, domain);
        already = !added;
        return added;
    });
    if (already) {
        invocation.err << domain << " is already watched\n";
        return kExitFine;
    }
    if (status == kExitFine) {
        invocation.out << "watching " << domain << " (" << listFile.string() << ")\n";
    }
    return status;
}

int removeFromWatchList(const std::filesystem::path& listFile, const std::string& domain, Invocation& invocation) {
    if (!fitForTheList(domain, "remove", invocation)) {
        return kExitUsage;
    }
    const int status = editWatchList(listFile, invocation, [&](const std::string& text) {
        auto kept = watch::withDomainRemoved(text, domain);
        if (!kept) {
            invocation.err << domain << " is not in the watch list " << listFile.string() << '\n';
        }
        return kept;
    });
    if (status == kExitFine) {
        invocation.out << "no longer watching " << domain << '\n';
    }
    return status;
}

int showWatchList(const std::filesystem::path& listFile, Invocation& invocation) {
    const auto domains = readWatchedDomains(listFile, invocation);
    for (const std::string& domain : domains.value_or(std::vector<std::string>{})) {
        invocation.out << domain << '\n';
    }
    return domains ? kExitFine : kExitUsage;
}

}  // namespace quarnel::cli
