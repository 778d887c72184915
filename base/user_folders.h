#pragma once

#include <filesystem>

namespace quarnel {

// The folder an XDG variable names (`xdgValue`, e.g. $XDG_STATE_HOME), or
// `fallbackBelowHome` below `home` when the variable is unset, empty or relative, as
// the XDG rules say to ignore it; empty when neither gives an absolute folder.
std::filesystem::path userFolder(const char* xdgValue, const char* home,
                                 const std::filesystem::path& fallbackBelowHome);

// $XDG_STATE_HOME/quarnel/cookies.txt, or ~/.local/state/quarnel/cookies.txt when that is
// unset or not absolute; empty when neither gives an absolute folder.
std::filesystem::path cookieFilePath(const char* xdgStateHome, const char* home);

}  // namespace quarnel
