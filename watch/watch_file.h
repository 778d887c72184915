#pragma once

#include <filesystem>
#include <optional>
#include <stdexcept>
#include <string>

namespace quarnel::watch {

// The watch list file cannot be read or saved; the message names the file and why.
class WatchFileError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// $XDG_CONFIG_HOME/quarnel/watch.txt, or ~/.config/quarnel/watch.txt when that is unset
// or not absolute; empty when neither gives an absolute folder.
std::filesystem::path watchListPath(const char* xdgConfigHome, const char* home);

// The file's bytes; nothing when there is no file. Throws WatchFileError when it is
// there but unreadable, a folder, or too large to be a list of sites.
std::optional<std::string> readWatchFile(const std::filesystem::path& path);

// Saves `text` as the whole file, replacing it in one step. Throws WatchFileError.
void saveWatchFile(const std::filesystem::path& path, const std::string& text);

}  // namespace quarnel::watch
