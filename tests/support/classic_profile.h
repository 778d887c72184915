#pragma once

#include "base/run_record.h"
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

// A clock that says what the test tells it.
class FixedClock final : public Clock {
public:
    std::chrono::sys_seconds now() const override { return time; }
    std::chrono::sys_seconds time = std::chrono::sys_days{std::chrono::December / 7 / 2026};
};

}  // namespace quarnel::testing
