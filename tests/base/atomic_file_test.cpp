#include "base/atomic_file.h"

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <csignal>
#include <fstream>
#include <functional>
#include <sstream>

namespace fs = std::filesystem;

// The test links with --wrap for fsync and rename: nothing else tells a save that
// skipped the flush before taking the old file's place from one that did not.
namespace {
using Call = std::pair<std::string, std::string>;  // the call, the file's name
std::vector<Call> fileCalls;
}  // namespace
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

// What the folder holds, sorted: "folder/", "link -> target", "file MODE contents".
std::vector<std::string> entriesOf(const fs::path& folder) {
    std::vector<std::string> entries;
    for (const auto& entry : fs::recursive_directory_iterator(folder)) {
        std::ostringstream line;
        line << entry.path().lexically_relative(folder).string();
        if (entry.is_symlink()) {
            line << " -> " << fs::read_symlink(entry.path()).string();
        } else if (entry.is_directory()) {
            line << '/';
        } else {
            line << ' ' << std::oct << static_cast<unsigned>(entry.status().permissions()) << ' '
                 << std::ifstream(entry.path()).rdbuf();
        }
        entries.push_back(line.str());
    }
    std::sort(entries.begin(), entries.end());
    return entries;
}

// Runs `save` while this process's files cannot grow past `bytes`, so a write fails
// part-way as on a full disk. In this process rather than a forked child, which could
// hang on a lock held by a thread of this one at the fork.
bool saveWithFilesLimitedTo(rlim_t bytes, const std::function<bool()>& save) {
    rlimit before{};
    ::getrlimit(RLIMIT_FSIZE, &before);
    const rlimit limit{bytes, before.rlim_max};
    const auto handler = std::signal(SIGXFSZ, SIG_IGN);  // the write then fails with EFBIG instead of ending us
    ::setrlimit(RLIMIT_FSIZE, &limit);
    const bool saved = save();
    ::setrlimit(RLIMIT_FSIZE, &before);
    std::signal(SIGXFSZ, handler);
    return saved;
}

// What the folder holds before the save.
enum class Before { Nothing, OldFile, LinkToOldFile };

void put(Before before, const fs::path& folder) {
    if (before == Before::Nothing) {
        return;
    }
    const fs::path old = folder / (before == Before::LinkToOldFile ? "real/dz.txt" : "dz.txt");
    fs::create_directories(old.parent_path());
    std::ofstream(old) << "old";
    fs::permissions(old, fs::perms(0644));
    if (before == Before::LinkToOldFile) {
        fs::create_symlink("real/dz.txt", folder / "dz.txt");
    }
}

struct ReplaceCase {
    const char* name;
    Before before;
    fs::path given;             // within the folder
    std::size_t fileSizeLimit;  // 0: none
    bool saved;
    std::vector<std::string> after;
};

TEST(ReplaceFile, ReadersSeeTheOldFileOrTheWholeNewOneOnDisk) {
    const ReplaceCase cases[] = {
        {"new file, new folder", Before::Nothing, "state/dz.txt", 0, true, {"state/", "state/dz.txt 600 new"}},
        {"old file", Before::OldFile, "dz.txt", 0, true, {"dz.txt 644 new"}},
        {"link", Before::LinkToOldFile, "dz.txt", 0, true, {"dz.txt -> real/dz.txt", "real/", "real/dz.txt 644 new"}},
        {"full disk", Before::OldFile, "dz.txt", 2, false, {"dz.txt 644 old"}},
    };
    const fs::path folder = fs::temp_directory_path() / ("quarnel-replace-" + std::to_string(::getpid()));
    for (const ReplaceCase& c : cases) {
        SCOPED_TRACE(c.name);
        fs::remove_all(folder);
        fs::create_directories(folder);
        put(c.before, folder);
        fileCalls.clear();
        const auto save = [&] { return replaceFile(folder / c.given, "new").ok(); };
        EXPECT_EQ(c.fileSizeLimit == 0 ? save() : saveWithFilesLimitedTo(c.fileSizeLimit, save), c.saved);
        EXPECT_EQ(entriesOf(folder), c.after);
        const auto rename = std::ranges::find(fileCalls, "rename", &Call::first);
        EXPECT_TRUE(!c.saved || (rename != fileCalls.end() &&
                                 std::find(fileCalls.begin(), rename, Call("fsync", rename->second)) != rename))
            << "the new file must be on disk before it takes the old one's place";
    }
    fs::remove_all(folder);
}

}  // namespace
}  // namespace quarnel
