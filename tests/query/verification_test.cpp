// The window's answer to a blocked search, below the window: which blocked answers ask the
// person, how often a window opens, and when the page it shows counts as passed.
#include "controls/memory_control_model.h"
#include "fetch/http_page_fetcher.h"
#include "query/query_run.h"
#include "query/verification.h"
#include "rules/profile_reader.h"
#include "tests/support/fixed_clock.h"
#include "tests/support/recording_message_box.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <iterator>

namespace quarnel {
namespace {

namespace fs = std::filesystem;

std::string fixturePage(const std::string& name) {
    std::ifstream in(fs::path(QUARNEL_CURRENT_PAGES_DIR) / name, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

rules::Profile builtIn(const std::string& name) {
    return rules::loadProfile(name, {}).value().profile;
}

// Every request, whatever it asks for, is answered by the verification page.
class VerificationEverywhere final : public HttpTransport {
public:
    Expected<HttpReply> fetch(const HttpRequest& /*request*/) override {
        return HttpReply{.status = 200, .contentType = "text/html; charset=utf-8", .body = fixturePage("verification.html")};
    }
};

// Windows that the person passes or closes at once, or none at all (no browser engine).
class FakeWindows final : public VerificationWindows {
public:
    enum class Person { Passes, Closes, NoWindow };
    explicit FakeWindows(Person person) : person_(person) {}

    std::unique_ptr<VerificationWindow> open(const std::vector<rules::BlockedRule>& blocked) override {
        ++opened;
        EXPECT_FALSE(blocked.empty());
        if (person_ == Person::NoWindow) {
            return nullptr;
        }
        return std::make_unique<Window>(*this);
    }

    int opened = 0;
    std::vector<std::string> shown;  // the addresses each window was shown with, in turn

private:
    struct Window final : VerificationWindow {
        explicit Window(FakeWindows& windows) : windows_(windows) {}
        bool pass(const std::string& url) override {
            windows_.shown.push_back(url);
            return windows_.person_ == Person::Passes;
        }
        FakeWindows& windows_;
    };
    Person person_;
};

struct WholeQuery {
    const char* profile;
    FakeWindows::Person person;
    int opened;
    std::size_t shown;
    long askedAgain;  // blocked requests made once more
};

// Every request of a whole query blocked. A passed window lets each blocked search be asked
// once more, and shows again for the next; one closed, or none to be had, leaves all blocked.
// The classic rules fetch nothing in a browser, so no window ever opens for them.
TEST(AskingToVerify, AWholeQueryOfBlockedAnswersOpensOneWindowAtMostAndOnlyForBrowserPages) {
    const WholeQuery cases[] = {
        {"current", FakeWindows::Person::Passes, 1, 4, 4},
        {"current", FakeWindows::Person::Closes, 1, 1, 0},
        {"current", FakeWindows::Person::NoWindow, 1, 0, 0},
        {"classic", FakeWindows::Person::Passes, 0, 0, 0},
    };
    for (const WholeQuery& c : cases) {
        SCOPED_TRACE(std::string(c.profile) + " person " + std::to_string(static_cast<int>(c.person)));
        const rules::Profile profile = builtIn(c.profile);
        VerificationEverywhere transport;
        testing::RecordingMessageBox messages;
        HttpPageFetcher fetcher(transport, messages);
        const testing::FixedClock clock;
        RunTrace trace;
        FakeWindows windows(c.person);
        AskingToVerify asking(profile, windows);
        MemoryControlModel controls;
        controls.setText(TextBox::Text3, "example.com");
        QueryRun(controls,
                 {.profile = profile, .fetcher = fetcher, .clock = clock, .key = "K3Y", .trace = &trace, .onBlocked = &asking},
                 nullptr)
            .run();

        EXPECT_EQ(windows.opened, c.opened);
        EXPECT_EQ(windows.shown.size(), c.shown);
        for (const std::string& url : windows.shown) {
            EXPECT_TRUE(url.starts_with("https://www.baidu.com/s?wd=site%3Aexample.com")) << url;
        }
        EXPECT_EQ(std::ranges::count_if(trace.requests, [](const RequestTrace& r) { return r.askedAgain; }), c.askedAgain);
        EXPECT_GT(trace.blockedCount(), 0) << "the profile's blocked rules took the page for what it is";
    }
}

struct Reading {
    const char* what;
    std::vector<const char*> events;  // "started", "finished", "failed", in turn
    std::string document;
    bool passed;
};

// Only a page that loaded in full and that no blocked rule matches is a passed verification:
// not the blank view before the first load, not an error page, not a page half loaded.
TEST(VerificationProgress, PassedOnlyByAWholeUnblockedPage) {
    const std::string results = "<html><head><title>site:example.com_百度搜索</title></head><body>找到相关结果约12个</body></html>";
    const std::string verification = fixturePage("verification.html");
    const Reading readings[] = {
        {"a result page, loaded", {"started", "finished"}, results, true},
        {"the verification page, loaded", {"started", "finished"}, verification, false},
        {"the redirect stub, loaded", {"started", "finished"}, fixturePage("redirect-stub.html"), false},
        {"nothing loaded yet", {}, results, false},
        {"a load that failed", {"started", "failed"}, results, false},
        {"a new load under way", {"started", "finished", "started"}, results, false},
        {"an empty document", {"started", "finished"}, "", false},
        {"passed, once the verification's form has brought the results",
         {"started", "finished", "started", "finished"}, results, true},
    };
    for (const Reading& r : readings) {
        SCOPED_TRACE(r.what);
        VerificationProgress progress(builtIn("current").blocked);
        for (const std::string event : r.events) {
            if (event == "started") {
                progress.loadStarted();
            } else {
                progress.loadFinished(event == "finished");
            }
        }
        EXPECT_EQ(progress.passed(r.document), r.passed);
    }
    // A rule that selects reads the parsed page.
    VerificationProgress bySelection({rules::BlockedRule{.contains = {}, .xpath = "//div[@class='vcode-box']"}});
    bySelection.loadFinished(true);
    EXPECT_FALSE(bySelection.passed(verification));
    EXPECT_TRUE(bySelection.passed(results));
}

}  // namespace
}  // namespace quarnel
