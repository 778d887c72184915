#pragma once

#include <string>
#include <utility>
#include <variant>

namespace quarnel {

// Why something below the window's event handlers failed, in words fit for the user
// or the explain trace.
struct Failure {
    std::string reason;
};

// The one way the logic libraries fail: a value the caller must look at, holding either
// the result or why there is none. (The window's handlers and the query run swallow
// failures on purpose; nothing below them does.)
template <typename T>
class [[nodiscard]] Expected {
public:
    Expected(T value) : state_(std::move(value)) {}
    Expected(Failure failure) : state_(std::move(failure)) {}

    bool ok() const { return state_.index() == 0; }
    explicit operator bool() const { return ok(); }

    T& value() & { return std::get<0>(state_); }
    const T& value() const& { return std::get<0>(state_); }
    T&& value() && { return std::get<0>(std::move(state_)); }
    T* operator->() { return &value(); }
    const T* operator->() const { return &value(); }
    T& operator*() & { return value(); }
    const T& operator*() const& { return value(); }

    const std::string& reason() const { return std::get<1>(state_).reason; }

private:
    std::variant<T, Failure> state_;
};

// Success with nothing to give back.
struct Done {};

}  // namespace quarnel
