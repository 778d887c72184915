#include "base/user_folders.h"

namespace quarnel {
namespace {

std::filesystem::path absoluteOrEmpty(const char* folder) {
    if (folder == nullptr) {
        return {};
    }
    std::filesystem::path path(folder);
    return path.is_absolute() ? path : std::filesystem::path{};
}

}  // namespace

std::filesystem::path userFolder(const char* xdgValue, const char* home,
                                 const std::filesystem::path& fallbackBelowHome) {
    if (std::filesystem::path folder = absoluteOrEmpty(xdgValue); !folder.empty()) {
        return folder;
    }
    const std::filesystem::path homeFolder = absoluteOrEmpty(home);
    return homeFolder.empty() ? homeFolder : homeFolder / fallbackBelowHome;
}

std::filesystem::path cookieFilePath(const char* xdgStateHome, const char* home) {
    const std::filesystem::path folder = userFolder(xdgStateHome, home, ".local/state");
    return folder.empty() ? folder : folder / "quarnel" / "cookies.txt";
}

}  // namespace quarnel
