#pragma once

#include <QLineEdit>

namespace quarnel {

// The box the user types the domain into: one line of any length. Every click into
// it counts, also when it already has the focus.
class DomainBox : public QLineEdit {
    Q_OBJECT
public:
    explicit DomainBox(const QString& text, QWidget* parent);

signals:
    void clicked();

protected:
    void mousePressEvent(QMouseEvent* event) override;
};

// Lifts the cut Qt makes at 32,767 characters: a text box takes text of any length.
void removeLengthLimit(QLineEdit& box);

}  // namespace quarnel
