#pragma once

#include "watch/notifier.h"

namespace quarnel::watch {

// Desktop notifications through the notify-send program, when a desktop session is
// there to show them. Without a desktop session nothing is sent and nothing is wrong.
class DesktopNotifier final : public Notifier {
public:
    // `environment` as environ gives it: the child inherits it, and a session bus or
    // display in it says whether a desktop is there.
    explicit DesktopNotifier(char** environment);

    void notify(const std::string& summary, const std::string& body) noexcept override;

    // Whether a desktop session was there and notify-send could not be started or
    // failed, at least once: the watch command tells the user once per pass.
    bool anySendFailed() const { return anySendFailed_; }

private:
    char** environment_;
    bool desktopSession_;
    bool anySendFailed_ = false;
};

}  // namespace quarnel::watch
