#pragma once

#include <QEvent>
#include <QObject>

#include <set>

// Notes which widgets have been painted, installed on the application.
struct PaintWatch final : QObject {
    bool eventFilter(QObject* target, QEvent* event) override {
        if (event->type() == QEvent::Paint) {
            painted.insert(target);
        }
        return false;
    }
    std::set<QObject*> painted;
};
