#include "cli/watch_list_commands.h"

#include "watch/watch_file.h"
#include "watch/watch_list.h"

#include <ostream>

namespace quarnel::cli {
namespace {

constexpr const char* kPrefix = "quarnel-cli watch: ";
// The list was left as it was: the domain was not in it, or the new list could not be saved.
constexpr int kExitListUnchanged = 1;

// The list's text, empty when there is none yet; nothing after a message when it cannot be read.
std::optional<std::string> readText(const std::filesystem::path& listFile, Invocation& invocation) {
    try {
        return watch::readWatchFile(listFile).value_or("");
    } catch (const watch::WatchFileError& error) {
        invocation.err << kPrefix << error.what() << '\n';
        return std::nullopt;
    }
}

bool save(const std::filesystem::path& listFile, const std::string& text, Invocation& invocation) {
    try {
        watch::saveWatchFile(listFile, text);
        return true;
    } catch (const watch::WatchFileError& error) {
        invocation.err << kPrefix << error.what() << '\n';
        return false;
    }
}

}  // namespace

std::optional<std::vector<std::string>> readWatchedDomains(const std::filesystem::path& listFile,
                                                           Invocation& invocation) {
    std::optional<std::string> text;
    try {
        text = watch::readWatchFile(listFile);
    } catch (const watch::WatchFileError& error) {
        invocation.err << kPrefix << error.what() << '\n';
        return std::nullopt;
    }
    if (!text) {
        invocation.err << kPrefix << "no watch list at " << listFile.string() << " yet; " << kAddHint << '\n';
        return std::nullopt;
    }
    watch::WatchList list = watch::parseWatchList(*text);
    for (const watch::SkippedLine& line : list.skipped) {
        invocation.err << kPrefix << listFile.string() << ':' << line.number << ": skipped, " << line.reason << '\n';
    }
    return std::move(list.domains);
}

int addToWatchList(const std::filesystem::path& listFile, const std::string& domain, Invocation& invocation) {
    if (auto reason = watch::unfitDomainReason(domain)) {
        invocation.err << kPrefix << "cannot watch '" << domain << "': " << *reason << '\n';
        return kExitUsage;
    }
    const auto text = readText(listFile, invocation);
    if (!text) {
        return kExitUsage;
    }
    const auto added = watch::withDomainAdded(*text, domain);
    if (!added) {
        invocation.err << domain << " is already watched\n";
        return kExitFine;
    }
    if (!save(listFile, *added, invocation)) {
        return kExitListUnchanged;
    }
    invocation.out << "watching " << domain << " (" << listFile.string() << ")\n";
    return kExitFine;
}

int removeFromWatchList(const std::filesystem::path& listFile, const std::string& domain, Invocation& invocation) {
    const auto text = readText(listFile, invocation);
    if (!text) {
        return kExitUsage;
    }
    const auto kept = watch::withDomainRemoved(*text, domain);
    if (!kept) {
        invocation.err << domain << " is not in the watch list " << listFile.string() << '\n';
        return kExitListUnchanged;
    }
    if (!save(listFile, *kept, invocation)) {
        return kExitListUnchanged;
    }
    invocation.out << "no longer watching " << domain << '\n';
    return kExitFine;
}

int showWatchList(const std::filesystem::path& listFile, Invocation& invocation) {
    const auto domains = readWatchedDomains(listFile, invocation);
    for (const std::string& domain : domains.value_or(std::vector<std::string>{})) {
        invocation.out << domain << '\n';
    }
    return domains ? kExitFine : kExitUsage;
}

}  // namespace quarnel::cli
