#pragma once

#include "base/run_record.h"

namespace quarnel::testing {

// A clock that says what the test tells it.
class FixedClock final : public Clock {
public:
    std::chrono::sys_seconds now() const override { return at; }
    std::chrono::sys_seconds at =
        std::chrono::sys_days{std::chrono::December / 7 / 2026} + std::chrono::hours(8);
};

}  // namespace quarnel::testing
