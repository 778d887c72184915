#pragma once

#include <QObject>

class QWidget;

namespace quarnel {

// While it lives, clicks, keys and wheel turns aimed at the window are dropped, not
// saved for later, and the cursor shows that the program is busy. Painting, timers
// and boxes of their own (a modal message) go on as usual.
class UserInputBlocker final : public QObject {
public:
    explicit UserInputBlocker(QWidget& window);
    ~UserInputBlocker() override;

protected:
    bool eventFilter(QObject* target, QEvent* event) override;

private:
    QWidget& window_;
};

}  // namespace quarnel
