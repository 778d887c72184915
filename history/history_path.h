#pragma once

#include <filesystem>

namespace quarnel::history {

// $XDG_DATA_HOME/quarnel/history.sqlite3, or ~/.local/share/quarnel/history.sqlite3 when
// that is unset or not absolute; empty when neither gives an absolute folder.
std::filesystem::path historyPath(const char* xdgDataHome, const char* home);

}  // namespace quarnel::history
