#pragma once

#include "base/expected.h"
#include "watch/watch_list.h"

#include <filesystem>
#include <optional>
#include <string>

namespace quarnel::watch {

// $XDG_CONFIG_HOME/quarnel/watch.txt, or ~/.config/quarnel/watch.txt when that is unset
// or not absolute; empty when neither gives an absolute folder.
std::filesystem::path watchListPath(const char* xdgConfigHome, const char* home);

// The file's bytes; nothing when there is no file. A failure, naming the file and why,
// when it is there but unreadable, a folder, or too large to be a list of sites.
Expected<std::optional<std::string>> readWatchFile(const std::filesystem::path& path);

// The list at `path` as parseWatchList reads it; an empty one when there is no file. A
// failure as readWatchFile gives it.
Expected<WatchList> readWatchList(const std::filesystem::path& path);

// Saves `text` as the whole file, replacing it in one step; a failed save leaves it as it was.
Expected<Done> saveWatchFile(const std::filesystem::path& path, const std::string& text);

}  // namespace quarnel::watch
