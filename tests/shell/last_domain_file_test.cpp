#include "shell/last_domain_file.h"

#include <gtest/gtest.h>

#include <fstream>

#include <unistd.h>

namespace quarnel {
namespace {

namespace fs = std::filesystem;

class LastDomainFileTest : public ::testing::Test {
protected:
    void SetUp() override {
        folder_ = fs::temp_directory_path() / ("quarnel-last-domain-" + std::to_string(::getpid()));
        fs::remove_all(folder_);
        fs::create_directories(folder_);
    }
    void TearDown() override { fs::remove_all(folder_); }

    fs::path put(const std::string& bytes) const {
        const fs::path path = folder_ / "dz.txt";
        std::ofstream(path, std::ios::binary) << bytes;
        return path;
    }

    std::vector<std::string> folderEntries(const fs::path& folder) const {
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(folder)) {
            names.push_back(entry.path().filename().string());
        }
        return names;
    }

    fs::path folder_;
};

TEST_F(LastDomainFileTest, ReadsTheFirstLineWithoutItsEnd) {
    const std::pair<std::string, std::string> cases[] = {
        {"", ""},
        {"\nexample.com\n", ""},
        {"  spaced.cn  \n", "  spaced.cn  "},
        {"first.cn\nsecond.cn\n", "first.cn"},
        {"crlf.cn\r\nsecond.cn\r\n", "crlf.cn"},
        {"cr.cn\rsecond.cn", "cr.cn"},
        {"no-end.cn", "no-end.cn"},
        {"中文.网\n", "中文.网"},
    };
    for (const auto& [bytes, expected] : cases) {
        EXPECT_EQ(LastDomainFile(put(bytes)).read(), expected) << bytes;
    }
    EXPECT_EQ(LastDomainFile(folder_ / "missing.txt").read(), "");
    EXPECT_EQ(LastDomainFile(folder_).read(), "") << "a folder in the file's place";
}

TEST_F(LastDomainFileTest, WriteCreatesTheFolderAndRoundTripsTheTextAsTyped) {
    const LastDomainFile file(folder_ / "state" / "quarnel" / "dz.txt");
    for (const std::string domain : {" example.com ", "", "中文.网"}) {
        ASSERT_TRUE(file.write(domain));
        EXPECT_EQ(file.read(), domain);
    }
    EXPECT_EQ(folderEntries(folder_ / "state" / "quarnel"), std::vector<std::string>{"dz.txt"});
}

TEST_F(LastDomainFileTest, FailedSaveKeepsTheOldContentAndLeavesNoTemporaryFile) {
    // The folder's place is taken by a regular file: nothing can be created in it.
    const fs::path blocked = put("old.cn\n");
    EXPECT_FALSE(LastDomainFile(blocked / "dz.txt").write("new.cn"));
    EXPECT_EQ(LastDomainFile(blocked).read(), "old.cn");

    // The target is a folder: the new content cannot take its place.
    fs::create_directories(folder_ / "target" / "dz.txt");
    EXPECT_FALSE(LastDomainFile(folder_ / "target" / "dz.txt").write("new.cn"));
    EXPECT_EQ(folderEntries(folder_ / "target"), std::vector<std::string>{"dz.txt"});
    EXPECT_EQ(folderEntries(folder_ / "target" / "dz.txt").size(), 0u);
}

TEST(LastDomainPath, FollowsTheStateHomeConvention) {
    EXPECT_EQ(lastDomainPath("/xdg/state", "/home/u"), fs::path("/xdg/state/quarnel/dz.txt"));
    EXPECT_EQ(lastDomainPath(nullptr, "/home/u"), fs::path("/home/u/.local/state/quarnel/dz.txt"));
    EXPECT_EQ(lastDomainPath("", "/home/u"), fs::path("/home/u/.local/state/quarnel/dz.txt"));
    EXPECT_EQ(lastDomainPath("relative", "/home/u"), fs::path("/home/u/.local/state/quarnel/dz.txt"));
    EXPECT_EQ(lastDomainPath(nullptr, nullptr), fs::path());
    EXPECT_FALSE(LastDomainFile(fs::path()).write("x"));
}

}  // namespace
}  // namespace quarnel
