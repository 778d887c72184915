// The yardstick for the window's first paint: an empty Qt Widgets window of the same
// size, in a program that links nothing else.
#include "shell/window/form1_layout.h"

#include <QApplication>
#include <QWidget>

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    QWidget window;
    window.resize(quarnel::kForm1ClientSize);
    window.show();
    return QApplication::exec();
}
