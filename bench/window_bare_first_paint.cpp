// The yardstick for the window's first paint: an empty Qt Widgets window of the same
// size, in a program that links nothing else. Prints when it first painted and how many
// native windows it had.
#include "bench/window_first_paint_probe.h"
#include "shell/window/form1_layout.h"

#include <QApplication>
#include <QWidget>

#include <cstdio>

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    QWidget window;
    window.resize(quarnel::kForm1ClientSize);
    quarnel::bench::FirstPaint firstPaint;
    window.installEventFilter(&firstPaint);
    window.show();
    while (firstPaint.at == 0) {
        QApplication::processEvents(QEventLoop::WaitForMoreEvents);
    }
    std::printf("%lld %d 0\n", firstPaint.at, firstPaint.nativeWindows);
    return 0;
}
