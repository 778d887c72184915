#pragma once

#include <chrono>
#include <random>
#include <string>

namespace quarnel {

// What a run waits for before its next request.
struct Wait {
    enum class For {
        Pace,        // a pause before asking a host that the run or batch has asked already
        AfterBlock,  // a rest after a blocked answer, before asking the same once more
    };
    For why;
    std::chrono::milliseconds length;
    std::string url;  // the request that follows

    bool operator==(const Wait&) const = default;
};

// Where a run's waits pass: the command line sleeps, the window keeps its event loop
// going, tests note each wait and go on at once.
class Waits {
public:
    virtual ~Waits() = default;
    virtual void wait(const Wait& wait) = 0;
};

// Passes `wait` on to `inner` a second at a time, the part of a second first, so that a
// count shown at each step changes on whole seconds. `beforeStep` is told the time left
// before each step; once it answers false, the rest of the wait is cut short.
template <typename BeforeStep>
void waitSecondBySecond(Waits& inner, const Wait& wait, BeforeStep beforeStep) {
    constexpr std::chrono::milliseconds kSecond{1000};
    for (std::chrono::milliseconds left = wait.length; left.count() > 0 && beforeStep(left);) {
        const std::chrono::milliseconds step = left % kSecond == left.zero() ? kSecond : left % kSecond;
        inner.wait({wait.why, step, wait.url});
        left -= step;
    }
}

// How long each pause is, drawn evenly between the pace's bounds; tests draw known lengths.
class PauseDraw {
public:
    virtual ~PauseDraw() = default;
    virtual std::chrono::milliseconds draw(std::chrono::milliseconds shortest, std::chrono::milliseconds longest) = 0;
};

class RandomPauseDraw final : public PauseDraw {
public:
    std::chrono::milliseconds draw(std::chrono::milliseconds shortest, std::chrono::milliseconds longest) override {
        return std::chrono::milliseconds(
            std::uniform_int_distribution<std::chrono::milliseconds::rep>(shortest.count(), longest.count())(engine_));
    }

private:
    std::mt19937_64 engine_{std::random_device{}()};
};

}  // namespace quarnel
