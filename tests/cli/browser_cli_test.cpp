// quarnel-cli with the current rules against Baidu behind the fingerprint gate, which stops
// any client that does not shake hands as a browser: with quarnel-browser beside it, as the
// build tree has it, and with the browser engine turned off. The current rules without
// their pace, so that a run neither pauses nor rests.
#include "rules/profile_reader.h"
#include "tests/support/child_process.h"
#include "tests/support/current_site.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <fstream>

namespace quarnel::testing {
namespace {

namespace fs = std::filesystem;
using fakeweb::Gate;

std::size_t count(const std::string& text, const std::string& part) {
    std::size_t found = 0;
    for (auto at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) {
        ++found;
    }
    return found;
}

class BrowserCliTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        fs::remove_all(folder_);
        authority_ = CurrentSite::trustedAuthority(folder_ / "ca", folder_ / "home");
        server_.serveTls(authority_.serverCertificate, authority_.serverKey);
        server_.start();
        const std::string toml = rules::loadProfile("current", {}).value().toml;
        std::ofstream(unpaced_) << toml.substr(0, toml.find("[pace]"));
    }
    static void TearDownTestSuite() {
        server_.stop();
        fs::remove_all(folder_);
    }

    // The user's folders all in the test's own; every request through fake-web.
    static ProcessResult quarnelCli(const std::vector<std::string>& arguments,
                                    std::vector<std::string> environment = {}) {
        const std::string proxy = server_.proxyUrl();
        environment.insert(
            environment.end(),
            {"HOME=" + (folder_ / "home").string(), "XDG_STATE_HOME=" + (folder_ / "state").string(),
             "XDG_DATA_HOME=" + (folder_ / "data").string(), "XDG_CONFIG_HOME=" + (folder_ / "config").string(),
             "https_proxy=" + proxy, "http_proxy=" + proxy, "no_proxy=", "HTTPS_PROXY=", "HTTP_PROXY=", "NO_PROXY=",
             "CURL_CA_BUNDLE=" + authority_.certificate.string(), "QUARNEL_OPR_KEY=K3Y"});
        return runProcess(QUARNEL_CLI_PATH, arguments, environment);
    }

    static inline const fs::path folder_ =
        fs::temp_directory_path() / ("quarnel-cli-browser-" + std::to_string(::getpid()));
    static inline const std::string unpaced_ = (folder_ / "current.toml").string();
    static inline TestAuthority authority_;
    static inline fakeweb::Server server_{CurrentSite::routes(Gate::Fingerprint, Gate::Fingerprint)};
};

TEST_F(BrowserCliTest, WithTheBrowserEngineEveryValueComesThroughTheGate) {
    const ProcessResult result = quarnelCli({"--profile", unpaced_, "--json", CurrentSite::kDomain});

    EXPECT_EQ(result.exitCode, 0) << result.err;
    EXPECT_EQ(result.err, "");
    for (const std::string value : {R"("day":"12","week":"12","month":"12","all":"10,000",)", R"("pagerank":"4.56")",
                                    R"("fetch_failures":0,"profile":"current","blocked":0})"}) {
        EXPECT_NE(result.out.find(value), std::string::npos) << result.out;
    }
    // The history says which way each request came.
    const ProcessResult history = quarnelCli({"history", "--json"});
    EXPECT_NE(history.out.find(R"("requests":[{"page":"search-day","served_by":"browser"},)"
                               R"({"page":"search-week","served_by":"browser"},)"
                               R"({"page":"search-month","served_by":"browser"},)"
                               R"({"page":"search-all","served_by":"browser"},{"page":"opr","served_by":"curl"}])"),
              std::string::npos)
        << history.out;
}

// A batch of two: the notice comes once.
TEST_F(BrowserCliTest, WithoutItTheSearchesAreBlockedAndTheRunSaysSoOnce) {
    const ProcessResult result = quarnelCli(
        {"--profile", unpaced_, "--json", "--explain", "--no-history", CurrentSite::kDomain, CurrentSite::kDomain},
        {"QUARNEL_BROWSER="});
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_EQ(count(result.out, R"("day":null,"week":null,"month":null,"all":null,)"), 2u) << result.out;
    EXPECT_EQ(count(result.out, R"("pagerank":"4.56")"), 2u) << result.out;
    EXPECT_EQ(count(result.out, R"("blocked":4,)"), 2u) << result.out;
    EXPECT_EQ(count(result.out, R"x("served_by":"curl (no browser engine)")x"), 8u) << result.out;
    EXPECT_TRUE(
        result.err.starts_with("quarnel-cli: the browser engine is turned off (QUARNEL_BROWSER is empty), so "
                               "the pages meant for it go through libcurl, which Baidu blocks sooner\n"))
        << result.err;
    EXPECT_EQ(count(result.err, "quarnel-cli: "), 1u) << result.err;
    EXPECT_EQ(count(result.err, "blocked: https://www.baidu.com/s?wd=site%3Aexample.com"), 8u) << result.err;
}

}  // namespace
}  // namespace quarnel::testing
