#include "window/window_message_box.h"

#include <QGuiApplication>
#include <QMessageBox>

namespace quarnel {

WindowMessageBox::WindowMessageBox(QWidget& window) : window_(window) {}

void WindowMessageBox::show(std::string_view message, std::string_view /*url*/) {
    QMessageBox box(QMessageBox::NoIcon, window_.windowTitle(),
                    QString::fromUtf8(message.data(), static_cast<qsizetype>(message.size())), QMessageBox::Ok,
                    &window_);
    // The busy cursor of a running query would say the box cannot be answered.
    QGuiApplication::setOverrideCursor(Qt::ArrowCursor);
    box.exec();
    QGuiApplication::restoreOverrideCursor();
}

}  // namespace quarnel
