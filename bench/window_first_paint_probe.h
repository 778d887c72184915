#pragma once

#include <QEvent>
#include <QObject>

#include <ctime>

namespace quarnel::bench {

inline long long monotonicNanoseconds() {
    timespec now{};
    ::clock_gettime(CLOCK_MONOTONIC, &now);
    return now.tv_sec * 1'000'000'000LL + now.tv_nsec;
}

// Notes when the widget it watches first paints.
class FirstPaint final : public QObject {
public:
    bool eventFilter(QObject* /*watched*/, QEvent* event) override {
        if (event->type() == QEvent::Paint && at == 0) {
            at = monotonicNanoseconds();
        }
        return false;
    }
    long long at = 0;
};

}  // namespace quarnel::bench
