#include "history/history_path.h"

namespace quarnel::history {
namespace {

std::filesystem::path absoluteOrEmpty(const char* folder) {
    if (folder == nullptr) {
        return {};
    }
    std::filesystem::path path(folder);
    return path.is_absolute() ? path : std::filesystem::path{};
}

}  // namespace

std::filesystem::path historyPath(const char* xdgDataHome, const char* home) {
    std::filesystem::path dataHome = absoluteOrEmpty(xdgDataHome);
    if (dataHome.empty()) {
        const std::filesystem::path homeFolder = absoluteOrEmpty(home);
        if (homeFolder.empty()) {
            return {};
        }
        dataHome = homeFolder / ".local" / "share";
    }
    return dataHome / "quarnel" / "history.sqlite3";
}

}  // namespace quarnel::history
