// The yardstick for the window's first paint: a bare Qt Widgets window of the same size,
// a QLabel showing one line, in a program that links nothing else.
#include "window/form1_layout.h"

#include <QApplication>
#include <QLabel>

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    QLabel window(QStringLiteral("Quarnel"));
    window.resize(quarnel::kForm1ClientSize);
    window.show();
    return QApplication::exec();
}
