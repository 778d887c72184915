#pragma once

#include "watch/notifier.h"

namespace quarnel::watch {

// Desktop notifications through the notify-send program, when a desktop session is
// there to show them. A missing program or notification service is not an error.
class DesktopNotifier final : public Notifier {
public:
    // `environment` as environ gives it: the child inherits it, and a session bus or
    // display in it says whether a desktop is there.
    explicit DesktopNotifier(char** environment);

    void notify(const std::string& summary, const std::string& body) noexcept override;

private:
    char** environment_;
    bool desktopSession_;
};

}  // namespace quarnel::watch
