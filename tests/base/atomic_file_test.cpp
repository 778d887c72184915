#include "base/atomic_file.h"
#include "tests/support/file_size_limit.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <fstream>
#include <functional>

namespace fs = std::filesystem;

// The test links with --wrap for fsync and rename: nothing else tells a save that
// skipped the flush before taking the old file's place from one that did not.
namespace {
using Call = std::pair<std::string, std::string>;  // the call, the file's name
std::vector<Call> fileCalls;
}
extern "C" int __real_fsync(int fd);
extern "C" int __wrap_fsync(int fd) {
    std::error_code unnamed;
    fileCalls.emplace_back("fsync", fs::read_symlink("/proc/self/fd/" + std::to_string(fd), unnamed).filename());
    return __real_fsync(fd);
}
extern "C" int __real_rename(const char* from, const char* to);
extern "C" int __wrap_rename(const char* from, const char* to) {
    fileCalls.emplace_back("rename", fs::path(from).filename());
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

constexpr fs::perms kUserOnly = fs::perms::owner_read | fs::perms::owner_write;
constexpr fs::perms kShared = kUserOnly | fs::perms::group_read | fs::perms::others_read;

void putOld(const fs::path& path) {
    std::ofstream(path) << "old";
    fs::permissions(path, kShared);
}

struct ReplaceCase {
    const char* name;
    std::function<void(const fs::path& folder)> before;
    fs::path given;              // within the folder
    std::size_t fileSizeLimit;   // 0: none
    bool saved;
    std::string contentsAfter;   // of the file `given` leads to
    fs::perms permsAfter;
    std::vector<std::string> entriesAfter;
};

TEST(ReplaceFile, ReadersSeeTheOldFileOrTheWholeNewOneOnDisk) {
    const std::string fresh(100, 'n');
    const ReplaceCase cases[] = {
        {"new file in a new folder", [](const fs::path&) {}, "state/dz.txt", 0, true, fresh, kUserOnly,
         {"state", "state/dz.txt"}},
        {"permissions kept", [](const fs::path& f) { putOld(f / "dz.txt"); }, "dz.txt", 0, true, fresh, kShared,
         {"dz.txt"}},
        {"a link's target replaced, the link kept",
         [](const fs::path& f) {
             fs::create_directory(f / "real");
             putOld(f / "real" / "dz.txt");
             fs::create_symlink("real/dz.txt", f / "dz.txt");
         },
         "dz.txt", 0, true, fresh, kShared, {"dz.txt -> real/dz.txt", "real", "real/dz.txt"}},
        {"full disk", [](const fs::path& f) { putOld(f / "dz.txt"); }, "dz.txt", 16, false, "old", kShared,
         {"dz.txt"}},
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
        const auto rename = std::ranges::find(fileCalls, "rename", &Call::first);
        EXPECT_TRUE(!c.saved || (rename != fileCalls.end() &&
                                 std::find(fileCalls.begin(), rename, Call("fsync", rename->second)) != rename))
            << "the new file must be on disk before it takes the old one's place";
    }
    fs::remove_all(folder);
}

}  // namespace
}  // namespace quarnel
