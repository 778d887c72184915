#pragma once

#include <filesystem>
#include <string>

namespace quarnel::cli {

// quarnel-browser, the browser engine of pages that ask for one, as quarnel-cli finds it.
struct BrowserProgram {
    std::filesystem::path path;                                  // empty when there is none
    std::string absent = "the browser engine is not installed";  // why there is none
};

// QUARNEL_BROWSER (`variable`) when it is set: the program it names, or none when it is
// empty. Otherwise the program beside quarnel-cli (`selfFolder`), as the build tree has
// it, or in the package's private folder of an install.
BrowserProgram findBrowserProgram(const char* variable, const std::filesystem::path& selfFolder);

}  // namespace quarnel::cli
