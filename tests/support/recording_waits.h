#pragma once

#include "query/waits.h"

#include <utility>
#include <vector>

namespace quarnel::testing {

// Notes each wait and goes on at once.
class RecordingWaits final : public Waits {
public:
    void wait(const Wait& wait) override { waits.push_back(wait); }
    std::vector<Wait> waits;
};

// Draws 2000 ms, then 2001 ms and so on, so that each pause can be told apart; notes the
// bounds it was last given.
class CountingPauses final : public PauseDraw {
public:
    std::chrono::milliseconds draw(std::chrono::milliseconds shortest, std::chrono::milliseconds longest) override {
        bounds = {shortest, longest};
        return std::chrono::milliseconds(2000 + drawn++);
    }
    int drawn = 0;
    std::pair<std::chrono::milliseconds, std::chrono::milliseconds> bounds;
};

}  // namespace quarnel::testing
