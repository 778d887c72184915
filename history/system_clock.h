#pragma once

#include "history/history_store.h"

namespace quarnel::history {

class SystemClock final : public Clock {
public:
    std::chrono::sys_seconds now() const override {
        return std::chrono::floor<std::chrono::seconds>(std::chrono::system_clock::now());
    }
};

}  // namespace quarnel::history
