#pragma once

#include "query/waits.h"

namespace quarnel {

// Waits as the window waits for a fetch: in a local event loop, so that it keeps
// painting and its timers keep going meanwhile. Input stays with whoever blocks it.
class EventLoopWaits final : public Waits {
public:
    void wait(const Wait& wait) override;
};

}  // namespace quarnel
