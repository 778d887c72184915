#pragma once

#include "query/waits.h"

#include <functional>
#include <string>
#include <vector>

namespace quarnel::testing {

// Notes each wait and goes on at once.
class RecordingWaits final : public Waits {
public:
    void wait(const Wait& wait) override {
        waits.push_back(wait);
        if (onWait) {
            onWait(wait);
        }
    }

    std::vector<Wait> waits;
    std::function<void(const Wait&)> onWait;
};

// Draws 2000 ms, then 2001 ms and so on, so that each pause can be told apart; notes the
// bounds it was asked to draw between.
class CountingPauses final : public PauseDraw {
public:
    std::chrono::milliseconds draw(std::chrono::milliseconds shortest, std::chrono::milliseconds longest) override {
        bounds.emplace_back(shortest, longest);
        return std::chrono::milliseconds(2000 + static_cast<long>(bounds.size()) - 1);
    }

    std::vector<std::pair<std::chrono::milliseconds, std::chrono::milliseconds>> bounds;
};

}  // namespace quarnel::testing
