#pragma once

#include <cstdio>
#include <cstdlib>

namespace quarnel::fuzz {

// A broken property ends the run like a crash, so libFuzzer keeps the input that broke it.
inline void expect(bool holds, const char* property) {
    if (!holds) {
        std::fprintf(stderr, "property broken: %s\n", property);
        std::abort();
    }
}

}  // namespace quarnel::fuzz
