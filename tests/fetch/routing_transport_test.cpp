#include "fetch/routing_transport.h"

#include <gtest/gtest.h>

namespace quarnel {
namespace {

// Answers every request with its own name, or says nothing of the way, as a browser engine may.
class NamedTransport final : public HttpTransport {
public:
    explicit NamedTransport(std::string name, std::string servedBy) : name_(std::move(name)), servedBy_(std::move(servedBy)) {}

    Expected<HttpReply> fetch(const HttpRequest& request) override {
        if (request.url == "fail") {
            return Failure{name_ + " failed"};
        }
        return HttpReply{.status = 200, .contentType = "text/html", .body = name_, .servedBy = servedBy_};
    }

private:
    std::string name_;
    std::string servedBy_;
};

TEST(RoutingTransportTest, EachRequestGoesTheWayItsFlagsSay) {
    NamedTransport plain("plain", "curl");
    NamedTransport withCookies("with cookies", "curl");
    NamedTransport browser("browser", "");
    NamedTransport namingBrowser("naming browser", "browser (helper)");
    const struct {
        bool keepCookies;
        TransportKind kind;
        HttpTransport* browser;
        const char* body;
        const char* servedBy;
    } cases[] = {
        {false, TransportKind::Curl, &browser, "plain", "curl"},
        {true, TransportKind::Curl, &browser, "with cookies", "curl"},
        {false, TransportKind::Browser, &browser, "browser", "browser"},
        {true, TransportKind::Browser, &namingBrowser, "naming browser", "browser (helper)"},
        {false, TransportKind::Browser, nullptr, "with cookies", "curl (no browser engine)"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.body);
        RoutingTransport routing(plain, withCookies, c.browser);
        HttpRequest request{.url = "page", .headers = {}, .keepCookies = c.keepCookies, .transport = c.kind};
        const Expected<HttpReply> reply = routing.fetch(request);
        ASSERT_TRUE(reply.ok());
        EXPECT_EQ(reply->body, c.body);
        EXPECT_EQ(reply->servedBy, c.servedBy);
        request.url = "fail";
        const Expected<HttpReply> failed = routing.fetch(request);
        ASSERT_FALSE(failed.ok());
        EXPECT_EQ(failed.reason(), std::string(c.body) + " failed");
    }
}

}  // namespace
}  // namespace quarnel
