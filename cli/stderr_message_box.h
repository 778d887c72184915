#pragma once

#include "fetch/message_box.h"

namespace quarnel::cli {

// Tells each failed fetch on standard error, with its URL, and counts them.
class StderrMessageBox final : public MessageBox {
public:
    void show(std::string_view message, std::string_view url) override;

    int count() const { return count_; }
    void resetCount() { count_ = 0; }

private:
    int count_ = 0;
};

}  // namespace quarnel::cli
