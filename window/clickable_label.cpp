#include "window/clickable_label.h"

#include <QMouseEvent>

#include <utility>

namespace quarnel {

void ClickableLabel::mousePressEvent(QMouseEvent* event) {
    event->accept();
    pressed_ = event->button() == Qt::LeftButton;
}

void ClickableLabel::mouseDoubleClickEvent(QMouseEvent* event) {
    // The second press of a double click: the first one has already clicked.
    event->accept();
    pressed_ = false;
}

void ClickableLabel::mouseReleaseEvent(QMouseEvent* event) {
    event->accept();
    if (std::exchange(pressed_, false) && event->button() == Qt::LeftButton &&
        rect().contains(event->position().toPoint())) {
        emit clicked();
    }
}

}  // namespace quarnel
