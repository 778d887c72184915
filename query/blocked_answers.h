#pragma once

#include <string>

namespace quarnel {

// Told when a request is answered by a page the profile's blocked rules match (a
// verification page, a redirect stub), and decides whether it is asked once more: the
// window after the user has passed a verification, a batch after it has rested.
class BlockedAnswers {
public:
    virtual ~BlockedAnswers() = default;

    // `page` is the profile's name for the request, `url` the address that was asked.
    // True: the same request is made once more, and its answer stands.
    virtual bool askAgain(const std::string& page, const std::string& url) = 0;

    // The answer asked for once more was blocked again.
    virtual void blockedAgain(const std::string& /*page*/, const std::string& /*url*/) {}

    // True once the run is to make no further request: the values it has not fetched yet
    // stay empty, with that as their reason.
    virtual bool stopped() const { return false; }
};

}  // namespace quarnel
