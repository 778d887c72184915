#pragma once

#include "cli/command_line.h"
#include "tests/support/fixed_clock.h"
#include "tests/support/recording_waits.h"
#include "tests/support/sample_pages.h"
#include "tools/fake-web/fake_web_server.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>

namespace quarnel::testing {

using namespace std::chrono_literals;

struct Outcome {
    int status;
    std::string out;
    std::string err;
};

inline std::size_t count(const std::string& text, const std::string& part) {
    std::size_t found = 0;
    for (auto at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) {
        ++found;
    }
    return found;
}

// The file's bytes; a folder or no file reads as nothing.
inline std::string bytesOf(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::filesystem::is_regular_file(path) ? std::string(std::istreambuf_iterator<char>(in), {}) : "";
}

// quarnel-cli's command line run in this process, against fake-web through http_proxy
// (every search for blocked.cn gets the verification page, every fetch for another
// domain than example.com and blank.cn fails), with a history and a watch list in a
// folder of its own; waits are noted and not waited.
class CommandLineTest : public ::testing::Test {
protected:
    CommandLineTest() : server_(routes()) {
        server_.start();
        ::setenv("http_proxy", server_.proxyUrl().c_str(), 1);
        ::setenv("no_proxy", "", 1);
        std::filesystem::remove_all(folder_);
        std::filesystem::create_directories(folder_);
    }
    ~CommandLineTest() override { std::filesystem::remove_all(folder_); }

    static std::vector<fakeweb::Route> routes() {
        std::vector<fakeweb::Route> routes;
        const auto page = [&](const std::string& target, const std::string& utf8) {
            routes.push_back({"*", target, fakeweb::Reply::Body, 200, fakeweb::toGbk(utf8)});
        };
        page("/s?wd=site%3Aexample.com&lm=1", countPage("12"));
        page("/s?wd=site%3Aexample.com&lm=7", countPage("345"));
        page("/s?wd=site%3Aexample.com&lm=30", countPage("6,789"));
        page("/s?wd=site%3Aexample.com", searchPage("10,000", "example.com", "2026-12-5"));
        page("/querypr.asp?url=example.com", pageRankPage("3", "可能被劫持", hijackLink("example.com", "thief.cn")));
        // blank.cn's pages hold the markers with nothing between them.
        for (const char* limit : {"&lm=1", "&lm=7", "&lm=30"}) {
            page(std::string("/s?wd=site%3Ablank.cn") + limit, countPage(""));
        }
        page("/s?wd=site%3Ablank.cn", searchPage("", "blank.cn", ""));
        page("/querypr.asp?url=blank.cn", pageRankPage("", ""));
        page("/s?wd=site%3Ablocked.cn*", "<html><head><title>百度安全验证</title></head><body>"
                                         "<script src=\"https://wappass.baidu.com/static/machine/js/api/mkd.js\"></script>"
                                         "</body></html>");
        routes.push_back({"*", "*", fakeweb::Reply::Drop});
        return routes;
    }

    Outcome run(const std::vector<std::string>& arguments, const std::string& input = "", bool terminal = false) {
        std::ostringstream out, err;
        std::istringstream in(input);
        cli::Invocation invocation{clock_, out, err, in, waits_, pauses_, terminal, terminal, history_, {}};
        invocation.cookieFile = cookieFile_;
        const int status = cli::runCommandLine(arguments, invocation);
        return {status, out.str(), err.str()};
    }

    Outcome watch(std::vector<std::string> arguments) {
        arguments.insert(arguments.begin(), {"watch", "--watch-file", list_.string()});
        return run(arguments);
    }

    fakeweb::Server server_;
    FixedClock clock_;
    RecordingWaits waits_;
    CountingPauses pauses_;
    std::filesystem::path folder_ =
        std::filesystem::temp_directory_path() / ("quarnel-command-line-" + std::to_string(::getpid()));
    std::filesystem::path history_ = folder_ / "history.sqlite3";
    std::filesystem::path list_ = folder_ / "watch.txt";
    std::filesystem::path cookieFile_ = folder_ / "cookies.txt";
};

}  // namespace quarnel::testing
