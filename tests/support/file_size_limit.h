#pragma once

#include <cstddef>
#include <functional>
#include <optional>

namespace quarnel::testing {

// Runs `save` in a child process whose files cannot grow past `bytes`, so a write fails
// part-way as on a full disk; the limit ends with the child. Gives what `save` returned,
// or nothing when the child did not get to return (a crash, an escaped exception).
std::optional<bool> saveWithFilesLimitedTo(std::size_t bytes, const std::function<bool()>& save);

}  // namespace quarnel::testing
