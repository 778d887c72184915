#include "fetch/browser_process_transport.h"

#include <gtest/gtest.h>
#include <signal.h>

#include <cerrno>
#include <string>

namespace quarnel {
namespace {

using namespace std::chrono_literals;

// Short limits only where the helper never answers, or never ends; elsewhere the defaults.
constexpr HelperTimeouts kNeverReady{.ready = 300ms};
constexpr HelperTimeouts kNeverEnds{.exit = 300ms};

HttpRequest get(const std::string& path) {
    return {.url = "http://helper.quarnel.example" + path, .headers = {}, .keepCookies = false};
}

pid_t helperPid(BrowserProcessTransport& transport) {
    const Expected<HttpReply> reply = transport.fetch(get("/pid"));
    return reply ? std::stoi(reply->body) : -1;
}

bool gone(pid_t pid) {
    return ::kill(pid, 0) != 0 && errno == ESRCH;
}

TEST(BrowserProcessTransport, RequestsAndRepliesCrossThePipesIntact) {
    BrowserProcessTransport transport(QUARNEL_FAKE_BROWSER_HELPER, {});

    const Expected<HttpReply> echoed = transport.fetch({.url = "https://helper.quarnel.example/echo",
                                                        .headers = {"Accept-Language: zh-CN", "X-Empty:"},
                                                        .keepCookies = true});
    ASSERT_TRUE(echoed.ok()) << echoed.reason();
    EXPECT_EQ(echoed->status, 203);
    EXPECT_EQ(echoed->contentType, "text/plain");
    EXPECT_EQ(echoed->body, "https://helper.quarnel.example/echo with cookies\nAccept-Language: zh-CN\nX-Empty:");

    const Expected<HttpReply> bytes = transport.fetch(get("/bytes"));
    ASSERT_TRUE(bytes.ok()) << bytes.reason();
    ASSERT_EQ(bytes->body.size(), 1u << 20);
    EXPECT_EQ(bytes->body[0], '\0');
    EXPECT_EQ(bytes->body[1000], static_cast<char>(7000));

    const Expected<HttpReply> failed = transport.fetch(get("/failed"));
    ASSERT_FALSE(failed.ok());
    EXPECT_EQ(failed.reason(), "net::ERR_NAME_NOT_RESOLVED (-105)");
}

// A helper that stops answering in time is replaced too: its answer may yet come, and
// asked again, it would be taken for the next request's.
TEST(BrowserProcessTransport, AHelperThatFailsAnAnswerIsEndedAndTheNextRequestStartsAnother) {
    const struct {
        std::string path;
        std::string reason;
    } cases[] = {
        {"/exit", "quarnel-browser ended with exit status 3"},
        {"/garbage", "quarnel-browser answered with something that is not a reply"},
        {"/huge", "quarnel-browser sent a message larger than any reply"},
        {"/silent", "quarnel-browser gave no answer within 2 s"},
    };
    // Time enough for a fresh helper's answer, which comes at once.
    BrowserProcessTransport transport(QUARNEL_FAKE_BROWSER_HELPER, {}, {.answer = 2s});
    for (const auto& c : cases) {
        SCOPED_TRACE(c.path);
        const pid_t before = helperPid(transport);
        ASSERT_GT(before, 0);

        const Expected<HttpReply> reply = transport.fetch(get(c.path));

        ASSERT_FALSE(reply.ok());
        EXPECT_EQ(reply.reason(), c.reason);
        EXPECT_TRUE(gone(before));
        const Expected<HttpReply> next = transport.fetch(get("/echo"));
        ASSERT_TRUE(next.ok()) << next.reason();
        EXPECT_EQ(next->body, "http://helper.quarnel.example/echo without cookies");
        EXPECT_NE(helperPid(transport), before);
    }
}

// A parent may start the program with SIGCHLD ignored, which it keeps: the system then
// reaps a helper as it ends, and no exit status is left to wait for.
TEST(BrowserProcessTransport, AHelperReapedByTheSystemStillFailsItsRequestAndIsReplaced) {
    struct sigaction ignore {};
    ignore.sa_handler = SIG_IGN;
    struct sigaction previous {};
    ASSERT_EQ(::sigaction(SIGCHLD, &ignore, &previous), 0);
    {
        BrowserProcessTransport transport(QUARNEL_FAKE_BROWSER_HELPER, {}, {.answer = 2s});
        const Expected<HttpReply> ended = transport.fetch(get("/exit"));
        ASSERT_FALSE(ended.ok());
        EXPECT_EQ(ended.reason(), "quarnel-browser closed its output");
        const Expected<HttpReply> next = transport.fetch(get("/echo"));
        ASSERT_TRUE(next.ok()) << next.reason();
    }
    ::sigaction(SIGCHLD, &previous, nullptr);
}

TEST(BrowserProcessTransport, AHelperThatCannotStartFailsTheRequestWithTheReason) {
    const struct {
        std::string program;
        std::vector<std::string> arguments;
        HelperTimeouts timeouts;
        std::string reason;
    } cases[] = {
        {"/nonexistent/quarnel-browser",
         {},
         {},
         "cannot start /nonexistent/quarnel-browser: No such file or directory"},
        {QUARNEL_FAKE_BROWSER_HELPER, {"--die-at-once"}, {}, "quarnel-browser ended with exit status 4"},
        {QUARNEL_FAKE_BROWSER_HELPER, {"--never-ready"}, kNeverReady, "quarnel-browser gave no answer within 1 s"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.reason);
        BrowserProcessTransport transport(c.program, c.arguments, c.timeouts);
        const Expected<HttpReply> reply = transport.fetch(get("/echo"));
        ASSERT_FALSE(reply.ok());
        EXPECT_EQ(reply.reason(), c.reason);
    }
}

// One helper serves a batch; it ends when its input closes, or is killed when it does not.
TEST(BrowserProcessTransport, OneHelperServesABatchAndIsGoneWithTheTransport) {
    for (const auto& [arguments, timeouts] : {std::pair{std::vector<std::string>{}, HelperTimeouts{}},
                                              std::pair{std::vector<std::string>{"--stubborn"}, kNeverEnds}}) {
        pid_t pid = -1;
        {
            BrowserProcessTransport transport(QUARNEL_FAKE_BROWSER_HELPER, arguments, timeouts);
            pid = helperPid(transport);
            ASSERT_GT(pid, 0);
            EXPECT_TRUE(transport.fetch(get("/failed")).reason().starts_with("net::"));
            EXPECT_EQ(helperPid(transport), pid);
        }
        EXPECT_TRUE(gone(pid)) << arguments.size();
    }
}

}  // namespace
}  // namespace quarnel
