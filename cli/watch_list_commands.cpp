#include "cli/commands.h"

#include "watch/watch_file.h"
#include "watch/watch_list.h"
#include "watch/watch_list_edit.h"

#include <functional>
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

// The edit, told on standard error when it fails: the status for the command to exit with.
int editWatchList(const std::filesystem::path& listFile, Invocation& invocation,
                  const std::function<std::optional<std::string>(const std::string&)>& edit) {
    const Expected<watch::ListEdit> edited = watch::editWatchList(listFile, edit);
    if (!edited) {
        invocation.err << kPrefix << edited.reason() << '\n';
        return kExitListUnchanged;
    }
    return *edited == watch::ListEdit::Saved ? kExitFine : kExitListUnchanged;
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
