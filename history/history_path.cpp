#include "history/history_path.h"

#include "base/user_folders.h"

namespace quarnel::history {

std::filesystem::path historyPath(const char* xdgDataHome, const char* home) {
    const std::filesystem::path dataHome = userFolder(xdgDataHome, home, ".local/share");
    return dataHome.empty() ? dataHome : dataHome / "quarnel" / "history.sqlite3";
}

}  // namespace quarnel::history
