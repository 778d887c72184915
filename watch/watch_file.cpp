#include "watch/watch_file.h"

#include "base/atomic_file.h"
#include "base/user_folders.h"

#include <fstream>
#include <iterator>

namespace quarnel::watch {
namespace {

// Thousands of sites fit in far less; anything larger is not a list someone wrote.
constexpr std::uintmax_t kLargestList = 16u << 20;

}  // namespace

std::filesystem::path watchListPath(const char* xdgConfigHome, const char* home) {
    const std::filesystem::path configHome = userFolder(xdgConfigHome, home, ".config");
    return configHome.empty() ? configHome : configHome / "quarnel" / "watch.txt";
}

Expected<std::optional<std::string>> readWatchFile(const std::filesystem::path& path) {
    std::error_code error;
    const auto status = std::filesystem::status(path, error);
    if (status.type() == std::filesystem::file_type::not_found) {
        return std::optional<std::string>();
    }
    const std::string name = path.string();
    if (error) {
        return Failure{name + ": " + error.message()};
    }
    if (!std::filesystem::is_regular_file(status)) {
        return Failure{name + ": is not a plain file, so not a list of sites"};
    }
    if (std::filesystem::file_size(path, error) > kLargestList) {
        return Failure{name + ": larger than " + std::to_string(kLargestList >> 20) + " MB, not a list of sites"};
    }
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        return Failure{name + ": cannot be read"};
    }
    return std::optional(std::string(std::istreambuf_iterator<char>(in), {}));
}

Expected<WatchList> readWatchList(const std::filesystem::path& path) {
    const auto text = readWatchFile(path);
    if (!text) {
        return Failure{text.reason()};
    }
    return parseWatchList(text->value_or(""));
}

Expected<Done> saveWatchFile(const std::filesystem::path& path, const std::string& text) {
    if (const Expected<Done> saved = replaceFile(path, text); !saved) {
        return Failure{path.string() + ": not saved, " + saved.reason() + "; the list is as it was"};
    }
    return Done{};
}

}  // namespace quarnel::watch
