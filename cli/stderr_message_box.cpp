#include "cli/stderr_message_box.h"

#include <iostream>

namespace quarnel::cli {

void StderrMessageBox::show(std::string_view message, std::string_view url) {
    ++count_;
    std::cerr << message << ": " << url << std::endl;
}

}  // namespace quarnel::cli
