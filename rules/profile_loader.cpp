#include "rules/profile_reader.h"

#include "base/user_folders.h"

#include <algorithm>
#include <fstream>
#include <utility>

namespace quarnel::rules {
namespace {

// Letters, digits, - and _: a name that is looked up, never taken as a path.
bool isPlainName(std::string_view text) {
    return !text.empty() && std::ranges::all_of(text, [](char c) {
        return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' || c == '_';
    });
}

bool isPath(std::string_view text) {
    return text.find('/') != std::string_view::npos || text.ends_with(".toml");
}

// The built-in profiles, read on first use and kept for the process: a watch pass asks
// for its profile once per site.
const Expected<LoadedProfile>* builtIn(std::string_view name) {
    static const auto parsed = [] {
        std::vector<std::pair<std::string_view, Expected<LoadedProfile>>> all;
        for (const BuiltInProfile& profile : builtInProfiles()) {
            Expected<Profile> read = readProfile(profile.toml, std::string(profile.name) + ".toml");
            all.emplace_back(profile.name, read ? Expected<LoadedProfile>(LoadedProfile{std::move(*read), std::string(profile.toml)})
                                                : Expected<LoadedProfile>(Failure{read.reason()}));
        }
        return all;
    }();
    const auto found = std::ranges::find(parsed, name, [](const auto& entry) { return entry.first; });
    return found != parsed.end() ? &found->second : nullptr;
}

Expected<LoadedProfile> loadFile(const std::filesystem::path& path) {
    std::error_code error;
    std::ifstream in;
    if (std::filesystem::is_regular_file(path, error)) {
        in.open(path, std::ios::binary);
    }
    if (!in.is_open()) {
        return Failure{"no profile file at " + path.string()};
    }
    // One byte past the limit is enough for readProfile to refuse the file.
    std::string toml(kLargestProfileBytes + 1, '\0');
    in.read(toml.data(), static_cast<std::streamsize>(toml.size()));
    if (in.bad()) {
        return Failure{path.string() + ": cannot be read"};
    }
    toml.resize(static_cast<std::size_t>(in.gcount()));
    Expected<Profile> profile = readProfile(toml, path.string());
    if (!profile) {
        return Failure{profile.reason()};
    }
    return LoadedProfile{std::move(*profile), std::move(toml)};
}

std::string joined(const std::vector<std::string>& names) {
    std::string text;
    for (const std::string& name : names) {
        text += (text.empty() ? "" : ", ") + name;
    }
    return text.empty() ? "none" : text;
}

Failure noProfileNamed(std::string_view name, const std::filesystem::path& userFolder) {
    std::vector<std::string> builtInNames;
    for (const BuiltInProfile& profile : builtInProfiles()) {
        builtInNames.emplace_back(profile.name);
    }
    std::string reason = "no profile named \"" + std::string(name) + "\" (built in: " + joined(builtInNames);
    if (!userFolder.empty()) {
        reason += "; yours in " + userFolder.string() + ": " + joined(userProfileNames(userFolder));
    }
    return Failure{reason + ")"};
}

}  // namespace

std::filesystem::path userProfileFolder(const char* xdgConfigHome, const char* home) {
    const std::filesystem::path configHome = userFolder(xdgConfigHome, home, ".config");
    return configHome.empty() ? configHome : configHome / "quarnel" / "profiles";
}

std::vector<std::string> userProfileNames(const std::filesystem::path& userFolder) {
    std::vector<std::string> names;
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(userFolder, error)) {
        const std::filesystem::path& path = entry.path();
        if (path.extension() == ".toml" && isPlainName(path.stem().string()) && entry.is_regular_file(error)) {
            names.push_back(path.stem().string());
        }
    }
    std::ranges::sort(names);
    return names;
}

Expected<LoadedProfile> loadProfile(std::string_view nameOrPath, const std::filesystem::path& userFolder) {
    if (const Expected<LoadedProfile>* profile = builtIn(nameOrPath)) {
        return *profile;
    }
    if (isPath(nameOrPath)) {
        return loadFile(std::filesystem::path(nameOrPath));
    }
    if (isPlainName(nameOrPath) && !userFolder.empty()) {
        const std::filesystem::path file = userFolder / (std::string(nameOrPath) + ".toml");
        if (std::filesystem::exists(file)) {
            return loadFile(file);
        }
    }
    return noProfileNamed(nameOrPath, userFolder);
}

}  // namespace quarnel::rules
