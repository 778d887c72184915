#pragma once

#include <QPushButton>

namespace quarnel {

// The query button: its caption drawn with 宋体's metrics like the labels, and
// pressed by Enter or Return while it has the focus, as buttons are on the desktop.
// It is nobody's default button: Enter elsewhere in the window presses nothing.
class QueryButton final : public QPushButton {
    Q_OBJECT
public:
    QueryButton(const QString& caption, QWidget* parent);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
};

}  // namespace quarnel
