#pragma once

#include "fetch/message_box.h"

#include <string>
#include <vector>

namespace quarnel::testing {

struct ShownMessage {
    std::string message;
    std::string url;
    bool operator==(const ShownMessage&) const = default;
};

class RecordingMessageBox final : public MessageBox {
public:
    void show(std::string_view message, std::string_view url) override {
        shown.push_back({std::string(message), std::string(url)});
    }

    std::vector<ShownMessage> shown;
};

}  // namespace quarnel::testing
