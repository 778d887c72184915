#include "query/verification.h"

#include "query/blocked_pages.h"

namespace quarnel {

AskingToVerify::AskingToVerify(const rules::Profile& profile, VerificationWindows& windows)
    : profile_(profile), windows_(windows) {}

bool AskingToVerify::askAgain(const std::string& page, const std::string& url) {
    const auto source = profile_.pages.find(page);
    const bool inTheJarsBrowser = source != profile_.pages.end() &&
                                  source->second.transport == rules::PageTransport::Browser && source->second.cookies;
    if (!inTheJarsBrowser || declined_) {
        return false;
    }
    if (!window_) {
        window_ = windows_.open(profile_.blocked);
    }
    declined_ = window_ == nullptr || !window_->pass(url);
    return !declined_;
}

bool VerificationProgress::passed(const std::string& document) const {
    return loaded_ && !document.empty() && !matchesBlockedRules(blocked_, document);
}

}  // namespace quarnel
