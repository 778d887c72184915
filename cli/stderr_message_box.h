#pragma once

#include "fetch/message_box.h"

#include <iosfwd>

namespace quarnel::cli {

// Tells each failed fetch, with its URL, on the command's standard error, and counts them.
class StderrMessageBox final : public MessageBox {
public:
    explicit StderrMessageBox(std::ostream& err) : err_(err) {}

    void show(std::string_view message, std::string_view url) override;

    int count() const { return count_; }
    void resetCount() { count_ = 0; }

private:
    std::ostream& err_;
    int count_ = 0;
};

}  // namespace quarnel::cli
