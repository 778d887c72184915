#include "cli/stderr_message_box.h"

#include <ostream>

namespace quarnel::cli {

void StderrMessageBox::show(std::string_view message, std::string_view url) {
    ++count_;
    err_ << message << ": " << url << std::endl;
}

}  // namespace quarnel::cli
