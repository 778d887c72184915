#pragma once

#include "base/expected.h"
#include "rules/profile.h"

#include <cstddef>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace quarnel::rules {

// A profile is a few kilobytes; a larger file is refused before it is parsed.
inline constexpr std::size_t kLargestProfileBytes = 1024 * 1024;

// Reads a profile written in TOML. `source` names it in messages: a failure reads
// "SOURCE:LINE:COLUMN: what is wrong".
Expected<Profile> readProfile(std::string_view toml, std::string_view source);

// The profiles built into the program, by name ("classic", "current"), as TOML text.
struct BuiltInProfile {
    std::string_view name;
    std::string_view toml;
};
const std::vector<BuiltInProfile>& builtInProfiles();

// Where user profiles live: $XDG_CONFIG_HOME/quarnel/profiles (NAME.toml each).
// Empty when neither variable gives an absolute folder.
std::filesystem::path userProfileFolder(const char* xdgConfigHome, const char* home);

// The names of the user's profiles (NAME.toml in `userFolder` whose NAME loadProfile
// takes as a name), sorted; none when the folder does not exist.
std::vector<std::string> userProfileNames(const std::filesystem::path& userFolder);

// A profile by name (built-in first, then the user's folder) or by path (anything with
// a slash or ending in .toml), with its TOML text.
struct LoadedProfile {
    Profile profile;
    std::string toml;
};
Expected<LoadedProfile> loadProfile(std::string_view nameOrPath, const std::filesystem::path& userFolder);

}  // namespace quarnel::rules
