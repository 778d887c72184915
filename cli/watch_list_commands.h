#pragma once

#include "cli/invocation.h"

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace quarnel::cli {

inline constexpr const char* kAddHint = "add a site with: quarnel-cli watch add example.com";

// The domains of the watch list, each line that names none told on standard error by
// its number. Nothing, after a message, when there is no list or it cannot be read.
std::optional<std::vector<std::string>> readWatchedDomains(const std::filesystem::path& listFile,
                                                           Invocation& invocation);

// `watch add`, `watch remove` and `watch list`; each returns the exit status.
int addToWatchList(const std::filesystem::path& listFile, const std::string& domain, Invocation& invocation);
int removeFromWatchList(const std::filesystem::path& listFile, const std::string& domain, Invocation& invocation);
int showWatchList(const std::filesystem::path& listFile, Invocation& invocation);

}  // namespace quarnel::cli
