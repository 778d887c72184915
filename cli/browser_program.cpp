#include "cli/browser_program.h"

#include <unistd.h>

namespace quarnel::cli {
namespace {

constexpr const char* kProgramName = "quarnel-browser";

bool isProgram(const std::filesystem::path& path) {
    std::error_code error;
    return std::filesystem::is_regular_file(path, error) && ::access(path.c_str(), X_OK) == 0;
}

}  // namespace

BrowserProgram findBrowserProgram(const char* variable, const std::filesystem::path& selfFolder) {
    if (variable != nullptr) {
        if (*variable == '\0') {
            return {.path = {}, .absent = "the browser engine is turned off (QUARNEL_BROWSER is empty)"};
        }
        if (!isProgram(variable)) {
            return {.path = {}, .absent = std::string("QUARNEL_BROWSER names no program: ") + variable};
        }
        return {.path = variable, .absent = {}};
    }
    for (const std::filesystem::path& candidate :
         {selfFolder / kProgramName,
          (selfFolder / QUARNEL_PRIVATE_FOLDER_FROM_BINDIR / kProgramName).lexically_normal()}) {
        if (isProgram(candidate)) {
            return {.path = candidate, .absent = {}};
        }
    }
    return {};
}

}  // namespace quarnel::cli
