#include "window/user_input_blocker.h"

#include <QApplication>
#include <QEvent>
#include <QWidget>
#include <QWindow>

namespace quarnel {
namespace {

bool isUserInput(QEvent::Type type) {
    switch (type) {
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonRelease:
        case QEvent::MouseButtonDblClick:
        case QEvent::KeyPress:
        case QEvent::KeyRelease:
        case QEvent::ShortcutOverride:
        case QEvent::Shortcut:
        case QEvent::Wheel:
        case QEvent::ContextMenu:
        case QEvent::TouchBegin:
        case QEvent::TouchUpdate:
        case QEvent::TouchEnd:
        case QEvent::InputMethod:
            return true;
        default:
            return false;
    }
}

}  // namespace

UserInputBlocker::UserInputBlocker(QWidget& window) : window_(window) {
    qApp->installEventFilter(this);
    QApplication::setOverrideCursor(Qt::BusyCursor);
}

UserInputBlocker::~UserInputBlocker() {
    QApplication::restoreOverrideCursor();
    qApp->removeEventFilter(this);
}

bool UserInputBlocker::eventFilter(QObject* target, QEvent* event) {
    if (!isUserInput(event->type())) {
        return false;
    }
    const auto* widget = qobject_cast<const QWidget*>(target);
    if (widget != nullptr) {
        return widget->window() == &window_;
    }
    // Input for the window itself that arrives before a widget is chosen.
    return target == static_cast<QObject*>(window_.windowHandle());
}

}  // namespace quarnel
