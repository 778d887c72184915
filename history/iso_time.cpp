#include "history/iso_time.h"

#include <charconv>
#include <ctime>

namespace quarnel::history {
namespace {

void putDigits(char* at, long value, int width) {
    for (int i = width - 1; i >= 0; --i) {
        at[i] = static_cast<char>('0' + value % 10);
        value /= 10;
    }
}

// "YYYY-MM-DDTHH:MM:SS", written by hand: the CSV export formats one per row.
std::string dateAndTime(int year, unsigned month, unsigned day, long secondsOfDay) {
    std::string text = "0000-00-00T00:00:00";
    putDigits(text.data(), year, 4);
    putDigits(text.data() + 5, month, 2);
    putDigits(text.data() + 8, day, 2);
    putDigits(text.data() + 11, secondsOfDay / 3600, 2);
    putDigits(text.data() + 14, secondsOfDay / 60 % 60, 2);
    putDigits(text.data() + 17, secondsOfDay % 60, 2);
    return text;
}

std::optional<int> number(std::string_view text, std::size_t at, std::size_t width) {
    int value = 0;
    const char* first = text.data() + at;
    const auto [end, error] = std::from_chars(first, first + width, value);
    if (error != std::errc{} || end != first + width) {
        return std::nullopt;
    }
    return value;
}

}  // namespace

std::string isoUtc(std::chrono::sys_seconds time) {
    const auto day = std::chrono::floor<std::chrono::days>(time);
    const std::chrono::year_month_day date{day};
    return dateAndTime(static_cast<int>(date.year()), static_cast<unsigned>(date.month()),
                       static_cast<unsigned>(date.day()), static_cast<long>((time - day).count())) +
           'Z';
}

std::string isoLocal(std::chrono::sys_seconds time) {
    const std::time_t seconds = time.time_since_epoch().count();
    std::tm local{};
    if (::localtime_r(&seconds, &local) == nullptr) {
        return isoUtc(time);
    }
    const long offsetMinutes = local.tm_gmtoff / 60;
    const long magnitude = offsetMinutes < 0 ? -offsetMinutes : offsetMinutes;
    std::string offset = "+00:00";
    offset[0] = offsetMinutes < 0 ? '-' : '+';
    putDigits(offset.data() + 1, magnitude / 60, 2);
    putDigits(offset.data() + 4, magnitude % 60, 2);
    return dateAndTime(local.tm_year + 1900, static_cast<unsigned>(local.tm_mon + 1),
                       static_cast<unsigned>(local.tm_mday),
                       local.tm_hour * 3600L + local.tm_min * 60L + local.tm_sec) +
           offset;
}

std::string shortLocal(std::chrono::sys_seconds time) {
    std::string text = isoLocal(time).substr(5, 11);  // "12-07T07:14"
    text[5] = ' ';
    return text;
}

std::optional<std::chrono::sys_seconds> parseIsoUtc(std::string_view text) {
    if (text.size() != 20 || text[4] != '-' || text[7] != '-' || text[10] != 'T' || text[13] != ':' ||
        text[16] != ':' || text[19] != 'Z') {
        return std::nullopt;
    }
    const auto year = number(text, 0, 4), month = number(text, 5, 2), day = number(text, 8, 2);
    const auto hour = number(text, 11, 2), minute = number(text, 14, 2), second = number(text, 17, 2);
    if (!year || !month || !day || !hour || !minute || !second || *hour > 23 || *minute > 59 || *second > 59) {
        return std::nullopt;
    }
    const std::chrono::year_month_day date{std::chrono::year(*year), std::chrono::month(*month),
                                           std::chrono::day(*day)};
    if (!date.ok()) {
        return std::nullopt;
    }
    return std::chrono::sys_days(date) + std::chrono::hours(*hour) + std::chrono::minutes(*minute) +
           std::chrono::seconds(*second);
}

std::optional<std::chrono::sys_seconds> parseMomentOrDay(std::string_view text, DayEdge edge) {
    if (auto moment = parseIsoUtc(text)) {
        return moment;
    }
    const auto day = parseIsoUtc(std::string(text) + "T00:00:00Z");
    if (!day || edge == DayEdge::First) {
        return day;
    }
    return *day + std::chrono::days(1) - std::chrono::seconds(1);
}

}  // namespace quarnel::history
