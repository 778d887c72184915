#pragma once

#include <chrono>
#include <optional>
#include <string>
#include <string_view>

namespace quarnel::history {

// "2026-12-06T23:14:02Z"
std::string isoUtc(std::chrono::sys_seconds time);

// The same moment on this machine's clock with its offset: "2026-12-07T07:14:02+08:00".
std::string isoLocal(std::chrono::sys_seconds time);

// "2026-12-06T23:14:02Z" back into a time; nothing for any other text.
std::optional<std::chrono::sys_seconds> parseIsoUtc(std::string_view text);

}  // namespace quarnel::history
