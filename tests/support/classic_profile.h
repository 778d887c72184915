#pragma once

#include "tests/support/fixed_clock.h"
#include "rules/profile_reader.h"

#include <stdexcept>

namespace quarnel::testing {

// The built-in classic rules, read once.
inline const rules::Profile& classic() {
    static const rules::Profile profile = [] {
        Expected<rules::LoadedProfile> loaded = rules::loadProfile("classic", {});
        if (!loaded) {
            throw std::logic_error(loaded.reason());
        }
        return std::move(loaded).value().profile;
    }();
    return profile;
}

}  // namespace quarnel::testing
