#pragma once

#include <utility>

namespace quarnel {

// Runs one statement of an event handler. A statement that fails is skipped and the
// handler goes on with the next: one failing step never ends a query run or start-up.
template <typename Statement>
void resumeNext(Statement&& statement) noexcept {
    try {
        std::forward<Statement>(statement)();
    } catch (...) {
        // Skipped on purpose; the targets keep what they showed.
    }
}

}  // namespace quarnel
