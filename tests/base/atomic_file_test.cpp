#include "base/atomic_file.h"
#include "tests/support/file_size_limit.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <fstream>
#include <functional>
#include <iterator>

namespace fs = std::filesystem;

// The test links with --wrap for fsync and rename, so it sees in which order the file
// reached the disk and took the old one's place: nothing else can tell a save that
// skipped the flush from one that did not.
namespace {
std::vector<std::string> fileCalls;  // "fsync NAME" and "rename NAME", in order
}

extern "C" int __real_fsync(int fd);
extern "C" int __wrap_fsync(int fd) {
    std::error_code error;
    fileCalls.push_back("fsync " + fs::read_symlink("/proc/self/fd/" + std::to_string(fd), error).filename().string());
    return __real_fsync(fd);
}
extern "C" int __real_rename(const char* from, const char* to);
extern "C" int __wrap_rename(const char* from, const char* to) {
    fileCalls.push_back("rename " + fs::path(from).filename().string());
    return __real_rename(from, to);
}

namespace quarnel {
namespace {

std::string contentsOf(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

// What the folder holds, sorted, a link shown with where it points.
std::vector<std::string> entriesOf(const fs::path& folder) {
    std::vector<std::string> entries;
    for (const auto& entry : fs::recursive_directory_iterator(folder)) {
        const std::string name = entry.path().lexically_relative(folder).string();
        entries.push_back(entry.is_symlink() ? name + " -> " + fs::read_symlink(entry.path()).string() : name);
    }
    std::sort(entries.begin(), entries.end());
    return entries;
}

bool flushedBeforeRenamed() {
    const auto rename = std::find_if(fileCalls.begin(), fileCalls.end(), [](const std::string& call) {
        return call.starts_with("rename ");
    });
    return rename != fileCalls.end() && std::find(fileCalls.begin(), rename, "fsync " + rename->substr(7)) != rename;
}

void put(const fs::path& path, const std::string& contents, fs::perms perms) {
    std::ofstream(path, std::ios::binary) << contents;
    fs::permissions(path, perms);
}

struct ReplaceCase {
    const char* name;
    std::function<void(const fs::path& folder)> before;
    fs::path given;               // within the folder
    std::size_t fileSizeLimit;    // 0: none
    bool saved;
    std::string contentsAfter;    // of the file `given` leads to
    fs::perms permsAfter;
    std::vector<std::string> entriesAfter;
};

TEST(ReplaceFile, ReadersSeeTheOldFileOrTheWholeNewOneOnDisk) {
    using fs::perms;
    const perms userOnly = perms::owner_read | perms::owner_write;
    const perms shared = userOnly | perms::group_read | perms::others_read;
    const std::string fresh(100, 'n');
    const ReplaceCase cases[] = {
        {"new file in a new folder", [](const fs::path&) {}, "state/dz.txt", 0, true, fresh, userOnly,
         {"state", "state/dz.txt"}},
        {"existing file keeps its permissions", [&](const fs::path& f) { put(f / "dz.txt", "old", shared); },
         "dz.txt", 0, true, fresh, shared, {"dz.txt"}},
        {"a link's target is replaced, the link kept",
         [&](const fs::path& f) {
             fs::create_directory(f / "real");
             put(f / "real" / "dz.txt", "old", shared);
             fs::create_symlink("real/dz.txt", f / "dz.txt");
         },
         "dz.txt", 0, true, fresh, shared, {"dz.txt -> real/dz.txt", "real", "real/dz.txt"}},
        {"full disk", [&](const fs::path& f) { put(f / "dz.txt", "old", shared); }, "dz.txt", 16, false, "old",
         shared, {"dz.txt"}},
    };
    const fs::path folder = fs::temp_directory_path() / ("quarnel-replace-" + std::to_string(::getpid()));
    for (const ReplaceCase& c : cases) {
        SCOPED_TRACE(c.name);
        fs::remove_all(folder);
        fs::create_directories(folder);
        c.before(folder);
        fileCalls.clear();
        const auto save = [&] { return replaceFile(folder / c.given, fresh).ok(); };
        EXPECT_EQ(c.fileSizeLimit == 0 ? save() : testing::saveWithFilesLimitedTo(c.fileSizeLimit, save), c.saved);
        EXPECT_EQ(contentsOf(folder / c.given), c.contentsAfter);
        EXPECT_EQ(fs::status(folder / c.given).permissions(), c.permsAfter);
        EXPECT_EQ(entriesOf(folder), c.entriesAfter);
        if (c.saved) {
            EXPECT_TRUE(flushedBeforeRenamed()) << ::testing::PrintToString(fileCalls);
        }
    }
    fs::remove_all(folder);
}

}  // namespace
}  // namespace quarnel
