#pragma once

#include "fetch/message_box.h"

class QWidget;

namespace quarnel {

// A modal box over the window with the message and an OK button, no icon, and the
// window's title as its caption; returns when the user has closed it.
class WindowMessageBox final : public MessageBox {
public:
    explicit WindowMessageBox(QWidget& window);

    void show(std::string_view message, std::string_view url) override;

private:
    QWidget& window_;
};

}  // namespace quarnel
