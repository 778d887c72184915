#include "fetch/cookie_jar.h"
#include "tests/support/child_process.h"

#include <curl/curl.h>
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <algorithm>
#include <fstream>
#include <future>
#include <iterator>
#include <set>

namespace quarnel {
namespace {

namespace fs = std::filesystem;

constexpr std::int64_t kYear2100 = 4102444800;

std::string readFile(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

std::multiset<std::string> linesOf(const std::string& text) {
    std::multiset<std::string> lines;
    for (std::size_t start = 0, end; (end = text.find('\n', start)) != std::string::npos; start = end + 1) {
        lines.insert(text.substr(start, end - start));
    }
    return lines;
}

Cookie named(std::string name, std::string value = "1") {
    return {.domain = ".baidu.com", .includeSubdomains = true, .expires = kYear2100, .name = std::move(name),
            .value = std::move(value)};
}

std::vector<std::string> namesAndValues(const std::vector<Cookie>& cookies) {
    std::vector<std::string> result;
    for (const Cookie& cookie : cookies) {
        result.push_back(cookie.name + "=" + cookie.value);
    }
    std::sort(result.begin(), result.end());
    return result;
}

class CookieJarTest : public ::testing::Test {
protected:
    void SetUp() override { fs::create_directories(folder_); }
    void TearDown() override { fs::remove_all(folder_); }

    std::vector<Cookie> fileCookies() const { return parseCookieFile(readFile(file_)); }

    const fs::path folder_ = fs::temp_directory_path() / ("quarnel-jar-" + std::to_string(::getpid()));
    const fs::path file_ = folder_ / "state" / "cookies.txt";
};

const std::vector<Cookie> kSampleCookies = {
    {.domain = ".baidu.com", .includeSubdomains = true, .name = "BAIDUID", .value = "A1:FG=1"},
    {.domain = "www.baidu.com", .path = "/s", .secure = true, .expires = kYear2100, .name = "H", .httpOnly = true},
    {.domain = "baidu.com", .includeSubdomains = true, .expires = kYear2100, .name = "BDUSS", .value = "x y"},
    {.domain = ".wappass.baidu.com", .expires = 1, .name = "OLD", .value = "v"},
};

// libcurl writes the jar itself, from the same cookies handed over as lines.
TEST_F(CookieJarTest, TheFileIsLibcurlsOwnFormatAndReadsBackAsWritten) {
    const fs::path curlFile = folder_ / "libcurl.txt";
    CURL* curl = curl_easy_init();
    ASSERT_NE(curl, nullptr);
    curl_easy_setopt(curl, CURLOPT_COOKIEJAR, curlFile.c_str());
    curl_easy_setopt(curl, CURLOPT_COOKIELIST, "# Netscape HTTP Cookie File");
    for (const Cookie& cookie : kSampleCookies) {
        curl_easy_setopt(curl, CURLOPT_COOKIELIST, formatCookieLine(cookie).c_str());
    }
    curl_easy_cleanup(curl);
    const std::string byLibcurl = readFile(curlFile);

    // libcurl leaves out the expired cookie, and orders the others its own way.
    const std::string ours = formatCookieFile({kSampleCookies.begin(), kSampleCookies.end() - 1});
    EXPECT_EQ(linesOf(ours), linesOf(byLibcurl));
    EXPECT_NE(ours.find("#HttpOnly_www.baidu.com\tFALSE\t/s\tTRUE\t4102444800\tH\t\n"), std::string::npos) << ours;
    EXPECT_EQ(linesOf(formatCookieFile(parseCookieFile(byLibcurl))), linesOf(byLibcurl));
}

TEST_F(CookieJarTest, LinesThatAreNoCookieAreSkipped) {
    const std::pair<std::string, std::vector<std::string>> cases[] = {
        {"# a comment\n\n.baidu.com\tTRUE\t/\tFALSE\t0\tA\t1\n", {"A=1"}},
        {".baidu.com\tTRUE\t/\tFALSE\t0\tA\t1\r\nb.com\tFALSE\t/\tFALSE\t0\tB\n", {"A=1", "B="}},
        {"b.com\tFALSE\t/\tFALSE\tsoon\tA\t1\nb.com\tFALSE\t/\tFALSE\t0\tA\n", {"A="}},
        {"b.com\tFALSE\t/\tFALSE\t0\t\t1\n.\tTRUE\t/\tFALSE\t0\tA\t1\nb.com\tFALSE\t/\tFALSE\t0\n", {}},
        {"b.com\tFALSE\t/\tFALSE\t0\tA\t1\textra\nALL\nRELOAD", {}},
    };
    for (const auto& [text, expected] : cases) {
        EXPECT_EQ(namesAndValues(parseCookieFile(text)), expected) << text;
    }
    // A field no line can hold is never written, so it cannot make up a line of its own.
    EXPECT_EQ(formatCookieFile({named("A", "1\nevil.com\tTRUE\t/\tFALSE\t0\tB\t2")}), formatCookieFile({}));
}

// Two programs load the same file; the second (B) saves first, then the first (A).
TEST_F(CookieJarTest, SavesKeepAnotherProgramsCookiesAndRemovals) {
    struct Case {
        const char* name;
        std::vector<Cookie> a;
        std::vector<Cookie> b;
        std::vector<std::string> expected;
    };
    const std::vector<Cookie> start = {named("X"), named("Y")};
    const Case cases[] = {
        {"each adds one", {named("X"), named("Y"), named("A")}, {named("X"), named("Y"), named("B")},
         {"A=1", "B=1", "X=1", "Y=1"}},
        {"B removes one A kept", {named("X"), named("Y"), named("A")}, {named("X")}, {"A=1", "X=1"}},
        {"B changes one A kept", {named("X"), named("Y")}, {named("X", "b"), named("Y")}, {"X=b", "Y=1"}},
        {"both change one", {named("X", "a"), named("Y")}, {named("X", "b"), named("Y")}, {"X=a", "Y=1"}},
        {"A removes what B changed", {named("Y")}, {named("X", "b"), named("Y")}, {"Y=1"}},
        {"session cookies stay", {named("X"), named("Y"), {.domain = "www.baidu.com", .name = "S", .value = "s"}},
         {named("X"), named("Y")}, {"S=s", "X=1", "Y=1"}},
        {"expired ones go", {named("X"), {.domain = "baidu.com", .expires = 1, .name = "Y", .value = "1"}},
         {named("X"), named("Y")}, {"X=1"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        fs::remove(file_);
        CookieJar seed(file_);
        ASSERT_TRUE(seed.load().ok());
        ASSERT_TRUE(seed.save(start).ok());
        CookieJar a(file_);
        CookieJar b(file_);
        ASSERT_TRUE(a.load().ok());
        ASSERT_TRUE(b.load().ok());
        ASSERT_TRUE(b.save(c.b).ok());
        ASSERT_TRUE(a.save(c.a).ok());
        EXPECT_EQ(namesAndValues(fileCookies()), c.expected);
    }
}

TEST_F(CookieJarTest, TheFileIsTheUsersAloneAndIsNotWrittenWhileAnotherProgramHoldsTheLock) {
    CookieJar jar(file_, std::chrono::milliseconds(0));
    EXPECT_EQ(jar.load()->size(), 0u);  // no file yet
    ASSERT_TRUE(jar.save({named("A")}).ok());
    fs::permissions(file_, fs::perms::group_read | fs::perms::others_read, fs::perm_options::add);

    const int held = ::open((file_.string() + ".lock").c_str(), O_RDWR | O_CLOEXEC);
    ASSERT_GE(held, 0);
    ASSERT_EQ(::flock(held, LOCK_EX), 0);
    EXPECT_FALSE(jar.save({named("A"), named("B")}).ok());
    EXPECT_EQ(namesAndValues(fileCookies()), std::vector<std::string>{"A=1"});
    ::close(held);

    ASSERT_TRUE(jar.save({named("A"), named("B")}).ok());
    EXPECT_EQ(namesAndValues(fileCookies()), (std::vector<std::string>{"A=1", "B=1"}));
    EXPECT_EQ(fs::status(file_).permissions() & fs::perms::mask, fs::perms::owner_read | fs::perms::owner_write);

    fs::remove_all(folder_);
    std::ofstream(folder_) << "a file where the folder should be";
    EXPECT_FALSE(jar.load().ok());
    EXPECT_FALSE(jar.save({named("A")}).ok());
}

TEST_F(CookieJarTest, TwoProgramsSavingAtOnceLoseNothing) {
    CookieJar seed(file_);
    ASSERT_TRUE(seed.load().ok());
    ASSERT_TRUE(seed.save({named("BAIDUID", "kept")}).ok());
    constexpr int kCount = 60;
    const auto writer = [this](const char* name) {
        return std::async(std::launch::async, [this, name] {
            return testing::runProcess(QUARNEL_COOKIE_JAR_WRITER, {file_.string(), name, std::to_string(kCount)}, {});
        });
    };
    auto first = writer("first");
    auto second = writer("second");
    for (const testing::ProcessResult& result : {first.get(), second.get()}) {
        EXPECT_EQ(result.exitCode, 0) << result.err;
    }
    std::vector<std::string> expected = {"BAIDUID=kept"};
    for (const char* name : {"first", "second"}) {
        for (int i = 1; i < kCount; i += 2) {
            expected.push_back(std::string(name) + "-" + std::to_string(i) + "=" + std::to_string(i));
        }
    }
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(namesAndValues(fileCookies()), expected);
}

}  // namespace
}  // namespace quarnel
