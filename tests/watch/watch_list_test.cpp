#include "watch/watch_file.h"
#include "watch/watch_list.h"
#include "tests/support/file_size_limit.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>

namespace quarnel::watch {
namespace {

struct ListCase {
    const char* name;
    std::string text;
    std::vector<std::string> domains;
    std::vector<std::pair<std::size_t, std::string>> skipped;  // line, start of the reason
};

TEST(WatchListTest, EveryGoodLineIsWatchedAndEveryBadOneNamedByItsNumber) {
    const std::vector<ListCase> cases = {
        {"empty", "", {}, {}},
        {"comments, blanks and CRLF", "# mine\r\n\r\n  example.com \t# shop\r\n\t\r\n站长.中国\r\nlast.cn", {"example.com", "站长.中国", "last.cn"}, {}},
        {"1 MB line", "a.com\n" + std::string(1 << 20, 'x') + "\nb.com\n", {"a.com", "b.com"}, {{2, "longer than"}}},
        {"not UTF-8", "a.com\n\xff\xfe.cn\n\xc0\xaf.cn\nb.com", {"a.com", "b.com"}, {{2, "not UTF-8"}, {3, "not UTF-8"}}},
        {"control character", "a\x01.com\nb.com\n", {"b.com"}, {{1, "holds a control"}}},
        {"repeat", "a.com\na.com # again\n", {"a.com"}, {{2, "repeats line 1"}}},
    };
    for (const ListCase& c : cases) {
        const WatchList list = parseWatchList(c.text);
        EXPECT_EQ(list.domains, c.domains) << c.name;
        ASSERT_EQ(list.skipped.size(), c.skipped.size()) << c.name;
        for (std::size_t i = 0; i < c.skipped.size(); ++i) {
            EXPECT_EQ(list.skipped[i].number, c.skipped[i].first) << c.name;
            EXPECT_TRUE(list.skipped[i].reason.starts_with(c.skipped[i].second)) << c.name << list.skipped[i].reason;
        }
    }
}

TEST(WatchListTest, EditsKeepCommentsLineEndsAndOtherLines) {
    EXPECT_EQ(withDomainAdded("", "example.com"), "example.com\n");
    EXPECT_EQ(withDomainAdded("# mine\na.com", "example.com"), "# mine\na.com\nexample.com\n");
    EXPECT_EQ(withDomainAdded("a.com\r\n", "example.com"), "a.com\r\nexample.com\r\n");
    EXPECT_EQ(withDomainAdded("example.com # shop\n", "example.com"), std::nullopt);

    EXPECT_EQ(withDomainRemoved("# mine\na.com\n example.com # shop\r\nb.com", "example.com"), "# mine\na.com\nb.com");
    EXPECT_EQ(withDomainRemoved("# example.com\na.com\n", "example.com"), std::nullopt);

    for (const std::string& unfit : std::vector<std::string>{"", " a.com", "a.com\t", "a#b.com", "a\nb.com", std::string(1001, 'x')}) {
        EXPECT_TRUE(unfitDomainReason(unfit)) << unfit;
    }
    EXPECT_EQ(unfitDomainReason("站长.中国/blog"), std::nullopt);
}

// What a failed save leaves on disk is the atomic file test's; here the save must throw, so
// that the command tells the user the list was not changed.
TEST(WatchListTest, FailedSaveThrows) {
    const std::filesystem::path folder = std::filesystem::temp_directory_path() / ("watch-save-" + std::to_string(getpid()));
    const auto saved = testing::saveWithFilesLimitedTo(16, [&] {
        try {
            saveWatchFile(folder / "watch.txt", std::string(100, 'x'));
        } catch (const WatchFileError&) {
            return false;
        }
        return true;
    });
    EXPECT_EQ(saved, false);
    std::filesystem::remove_all(folder);
}

}  // namespace
}  // namespace quarnel::watch
