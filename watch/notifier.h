#pragma once

#include <string>

namespace quarnel::watch {

// Where a watch run tells the user about changes beyond its own output.
class Notifier {
public:
    virtual ~Notifier() = default;
    // Never throws; a notification that cannot be shown is dropped.
    virtual void notify(const std::string& summary, const std::string& body) noexcept = 0;
};

}  // namespace quarnel::watch
