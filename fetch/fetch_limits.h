#pragma once

#include <chrono>
#include <cstddef>

namespace quarnel {

// Bounds that make every request end: a request that passes one of them has not completed.
struct FetchLimits {
    std::chrono::milliseconds connectTimeout{15'000};
    std::chrono::milliseconds totalTimeout{60'000};
    std::size_t maxBodyBytes = 16 * 1024 * 1024;
    long maxRedirects = 10;
};

}  // namespace quarnel
