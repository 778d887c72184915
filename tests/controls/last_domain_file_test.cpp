#include "controls/last_domain_file.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include <unistd.h>

namespace quarnel {
namespace {

namespace fs = std::filesystem;

class LastDomainFileTest : public ::testing::Test {
protected:
    void SetUp() override {
        fs::remove_all(folder_);
        fs::create_directories(folder_);
    }
    void TearDown() override { fs::remove_all(folder_); }

    const fs::path folder_ = fs::temp_directory_path() / ("quarnel-last-domain-" + std::to_string(::getpid()));
};

TEST_F(LastDomainFileTest, ReadsTheFirstLineWithoutItsEndAndGbkWhereItIsNotUtf8) {
    const std::pair<std::string, std::string> cases[] = {
        {"", ""},
        {"\nexample.com\n", ""},
        {"  spaced.cn  \n", "  spaced.cn  "},
        {"first.cn\nsecond.cn\n", "first.cn"},
        {"crlf.cn\r\nsecond.cn\r\n", "crlf.cn"},
        {"cr.cn\rsecond.cn", "cr.cn"},
        {"中文.网\n", "中文.网"},
        {"\xF0\x9F\x98\x80.cn", "\xF0\x9F\x98\x80.cn"},
        // Written in GBK, or bytes that only look like UTF-8.
        {"\xD6\xD0\xCE\xC4.com\r\n", "中文.com"},
        {"\xC0\xAE.cn", "喇.cn"},         // overlong
        {"\xED\xA0\x80.cn", "頎€.cn"},    // surrogate
        {"\xF4\x90\x80\x80", "魫€€"},     // past U+10FFFF
        {"a\xE4\xB8\nsecond.cn", "a涓"},  // cut short
    };
    for (const auto& [bytes, expected] : cases) {
        std::ofstream(folder_ / "dz.txt", std::ios::binary) << bytes;
        EXPECT_EQ(LastDomainFile(folder_ / "dz.txt").read(), expected) << bytes;
    }
    EXPECT_EQ(LastDomainFile(folder_ / "missing.txt").read(), "");
    EXPECT_EQ(LastDomainFile(folder_).read(), "") << "a folder in the file's place";
}

TEST_F(LastDomainFileTest, WriteCreatesTheFolderStoresOneLineAsTypedAndSaysWhenItCannot) {
    const LastDomainFile file(folder_ / "state" / "quarnel" / "dz.txt");
    const std::pair<std::string, std::string> cases[] = {
        {" example.com ", " example.com "},
        {"", ""},
        {"中文.网", "中文.网"},
        {"first.cn\r\nsecond.cn", "first.cn"},
        {"first.cn\nsecond.cn", "first.cn"},
        {"first.cn\rsecond.cn", "first.cn"},
    };
    for (const auto& [domain, line] : cases) {
        ASSERT_TRUE(file.write(domain));
        std::ostringstream bytes;
        bytes << std::ifstream(file.path(), std::ios::binary).rdbuf();
        EXPECT_EQ(bytes.str(), line + '\n') << domain;
        EXPECT_EQ(file.read(), line);
    }
    // What a failed save leaves on disk is the atomic file test's; here the store must say so.
    EXPECT_FALSE(LastDomainFile(folder_).write("new.cn"));  // a folder where the file belongs
    EXPECT_FALSE(LastDomainFile(fs::path()).write("x"));    // no home to save in
}

TEST(LastDomainPath, FollowsTheStateHomeConvention) {
    EXPECT_EQ(lastDomainPath("/xdg/state", "/home/u"), fs::path("/xdg/state/quarnel/dz.txt"));
    EXPECT_EQ(lastDomainPath(nullptr, "/home/u"), fs::path("/home/u/.local/state/quarnel/dz.txt"));
    EXPECT_EQ(lastDomainPath("", "/home/u"), fs::path("/home/u/.local/state/quarnel/dz.txt"));
    EXPECT_EQ(lastDomainPath("relative", "/home/u"), fs::path("/home/u/.local/state/quarnel/dz.txt"));
    EXPECT_EQ(lastDomainPath(nullptr, nullptr), fs::path());
}

}  // namespace
}  // namespace quarnel
