#include "shell/window/domain_box.h"

namespace quarnel {

void DomainBox::mousePressEvent(QMouseEvent* event) {
    QLineEdit::mousePressEvent(event);
    emit clicked();
}

}  // namespace quarnel
