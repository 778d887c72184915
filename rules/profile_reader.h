#pragma once

#include "base/expected.h"
#include "rules/profile.h"

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace quarnel::rules {

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
std::filesystem::path userProfileFolder(const char* xdgConfigHome, const char* home);

// A profile by name (built-in first, then the user's folder) or by path (anything with
// a slash or ending in .toml), with its TOML text.
struct LoadedProfile {
    Profile profile;
    std::string toml;
};
Expected<LoadedProfile> loadProfile(std::string_view nameOrPath, const std::filesystem::path& userFolder);

}  // namespace quarnel::rules
