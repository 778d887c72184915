#pragma once

#include <QLabel>

namespace quarnel {

// A label or picture that takes the mouse anywhere inside its rectangle, even with
// no caption, and tells of a click: a press and a release on it. A double click is
// one click.
class ClickableLabel : public QLabel {
    Q_OBJECT
public:
    using QLabel::QLabel;

signals:
    void clicked();

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    bool pressed_ = false;
};

}  // namespace quarnel
