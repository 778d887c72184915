#pragma once

#include <QLineEdit>

namespace quarnel {

// The box the user types the domain into. Every click into it counts, also when it
// already has the focus.
class DomainBox : public QLineEdit {
    Q_OBJECT
public:
    using QLineEdit::QLineEdit;

signals:
    void clicked();

protected:
    void mousePressEvent(QMouseEvent* event) override;
};

}  // namespace quarnel
