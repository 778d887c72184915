#pragma once

#include "base/expected.h"

#include <filesystem>
#include <functional>
#include <optional>
#include <string>

namespace quarnel::watch {

enum class ListEdit { Saved, LeftAsItWas };

// Reads the watch list, edits it and saves it under the list's edit lock, so that of two
// edits at once (the command line's, the window's) neither is lost. `edit` is given the
// list's text (empty when there is no list yet) and gives the new text, or nothing to
// leave the list as it is. A failure, the list as it was, when the lock cannot be taken
// or the list cannot be read or saved; its folder is made when missing.
Expected<ListEdit> editWatchList(const std::filesystem::path& listFile,
                                 const std::function<std::optional<std::string>(const std::string&)>& edit);

}  // namespace quarnel::watch
