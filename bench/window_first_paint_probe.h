#pragma once

#include <QEvent>
#include <QObject>
#include <QPlatformSurfaceEvent>
#include <QTimer>

#include <ctime>

namespace quarnel::bench {

inline long long monotonicNanoseconds() {
    timespec now{};
    ::clock_gettime(CLOCK_MONOTONIC, &now);
    return now.tv_sec * 1'000'000'000LL + now.tv_nsec;
}

// Notes when the window it watches has its first paint on the screen, and how many
// native windows Qt made for it. A window replaced after its first paint has to be
// painted again: only the first paint of the last native window counts.
class FirstPaint final : public QObject {
public:
    bool eventFilter(QObject* /*watched*/, QEvent* event) override {
        if (event->type() == QEvent::PlatformSurface &&
            static_cast<QPlatformSurfaceEvent*>(event)->surfaceEventType() == QPlatformSurfaceEvent::SurfaceCreated) {
            ++nativeWindows;
            painted_ = false;
            at = 0;
        } else if (event->type() == QEvent::Paint && !painted_) {
            painted_ = true;
            // The paint reaches the window system when the handling of this event returns.
            QTimer::singleShot(0, this, [this] { at = monotonicNanoseconds(); });
        }
        return false;
    }
    long long at = 0;
    int nativeWindows = 0;

private:
    bool painted_ = false;
};

}  // namespace quarnel::bench
