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

// Month, day and minute on this machine's clock, for a table of latest runs: "12-07 07:14".
std::string shortLocal(std::chrono::sys_seconds time);

// "2026-12-06T23:14:02Z" back into a time; nothing for any other text.
std::optional<std::chrono::sys_seconds> parseIsoUtc(std::string_view text);

// Which second stands for a whole day where a time is asked for: a range from a day to
// a day holds all of both.
enum class DayEdge { First, Last };

// "2026-12-06T08:00:00Z" as parseIsoUtc reads it, or a day "2026-12-06" (UTC) by its
// first or last second; nothing for any other text.
std::optional<std::chrono::sys_seconds> parseMomentOrDay(std::string_view text, DayEdge edge);

}  // namespace quarnel::history
