#pragma once

#include "base/expected.h"

#include <filesystem>
#include <string_view>

namespace quarnel {

// Replaces the file at `path` with `contents` in one step: a temporary file in the same
// folder is written, flushed to disk and renamed over it, so a reader sees the old file
// or the new one, never a part, and a failed save leaves the old file as it was. A
// symbolic link is followed, so the file it points at is the one replaced. Creates the
// folder when missing. Files it creates are readable by the user alone.
Expected<Done> replaceFile(const std::filesystem::path& path, std::string_view contents);

}  // namespace quarnel
