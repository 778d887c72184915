#include "window/event_loop_waits.h"

#include <QEventLoop>
#include <QTimer>

namespace quarnel {

void EventLoopWaits::wait(const Wait& wait) {
    QEventLoop waiting;
    // Never short: a coarse timer may fire a little early.
    QTimer::singleShot(wait.length, Qt::PreciseTimer, &waiting, &QEventLoop::quit);
    waiting.exec();
}

}  // namespace quarnel
