#pragma once

#include <string_view>

namespace quarnel {

// Where the fetcher tells the user that a page could not be had.
class MessageBox {
public:
    virtual ~MessageBox() = default;

    // Shows `message`; returns once the user has taken note of it. `url` says
    // which request failed, for front ends that can show more than the message.
    virtual void show(std::string_view message, std::string_view url) = 0;
};

}  // namespace quarnel
