#pragma once

#include "query/blocked_answers.h"
#include "rules/profile.h"

#include <memory>
#include <string>
#include <vector>

namespace quarnel {

// A window in which a person passes a search engine's verification, in the browser whose
// cookies the blocked request went out with.
class VerificationWindow {
public:
    virtual ~VerificationWindow() = default;
    // Shows the page at `url` and waits: true once it has been passed, false when the
    // person closed the window first.
    virtual bool pass(const std::string& url) = 0;
};

class VerificationWindows {
public:
    virtual ~VerificationWindows() = default;
    // A new window that takes a page none of `blocked` matches for a passed verification;
    // null when none can be shown (the browser engine could not be loaded).
    virtual std::unique_ptr<VerificationWindow> open(const std::vector<rules::BlockedRule>& blocked) = 0;
};

// The window's answer to a blocked request, for one query run: the person is asked to pass
// the verification, and once they have, the request is made once more. Only a page loaded
// in the browser with the jar's cookies asks, as only its next request carries what the
// verification left; any other blocked answer stands. One window serves the whole run,
// shown again for each blocked answer; once the person has closed it, or it could not be
// shown, the run's further blocked answers stand without asking.
class AskingToVerify final : public BlockedAnswers {
public:
    AskingToVerify(const rules::Profile& profile, VerificationWindows& windows);

    bool askAgain(const std::string& page, const std::string& url) override;

private:
    const rules::Profile& profile_;
    VerificationWindows& windows_;
    std::unique_ptr<VerificationWindow> window_;
    bool declined_ = false;
};

// Follows the page a verification window shows and tells when the verification has been
// passed: a page that loaded in full and that none of the blocked rules matches. While a
// page loads, or after a load failed, nothing read from it counts as passed.
class VerificationProgress {
public:
    explicit VerificationProgress(const std::vector<rules::BlockedRule>& blocked) : blocked_(blocked) {}

    void loadStarted() { loaded_ = false; }
    void loadFinished(bool ok) { loaded_ = ok; }
    // `document` is the shown page's markup as read just now.
    bool passed(const std::string& document) const;

private:
    std::vector<rules::BlockedRule> blocked_;
    bool loaded_ = false;
};

}  // namespace quarnel
