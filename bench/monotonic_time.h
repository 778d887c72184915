#pragma once

#include <ctime>

namespace quarnel::bench {

// The clock the first-paint probe, inside the program, and the bench, outside it, both
// read: one machine-wide monotonic clock, so their readings subtract.
inline long long monotonicNanoseconds() {
    timespec now{};
    ::clock_gettime(CLOCK_MONOTONIC, &now);
    return now.tv_sec * 1'000'000'000LL + now.tv_nsec;
}

}  // namespace quarnel::bench
