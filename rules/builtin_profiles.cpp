#include "rules/profile_reader.h"

namespace quarnel::rules {

const std::vector<BuiltInProfile>& builtInProfiles() {
    // One entry per rules/profiles/NAME.toml, written into the build by rules/CMakeLists.txt.
    static const std::vector<BuiltInProfile> profiles = {
#include "rules/builtin_profiles.inc"
    };
    return profiles;
}

}  // namespace quarnel::rules
