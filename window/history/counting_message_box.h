#pragma once

#include "fetch/message_box.h"

namespace quarnel {

// Passes every message on and counts them: each one the fetcher shows is a failed fetch.
class CountingMessageBox final : public MessageBox {
public:
    explicit CountingMessageBox(MessageBox& inner) : inner_(inner) {}

    void show(std::string_view message, std::string_view url) override {
        ++shown_;
        inner_.show(message, url);
    }

    int shown() const { return shown_; }

private:
    MessageBox& inner_;
    int shown_ = 0;
};

}  // namespace quarnel
