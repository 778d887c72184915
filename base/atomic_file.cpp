#include "base/atomic_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <optional>

namespace quarnel {
namespace {

Failure failure(const std::string& step) { return {step + ": " + std::strerror(errno)}; }

bool writeAll(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t n = ::write(fd, bytes.data(), bytes.size());
        if (n < 0 && errno != EINTR) {
            return false;
        }
        bytes.remove_prefix(n < 0 ? 0 : static_cast<std::size_t>(n));
    }
    return true;
}

// The rename is only durable once the folder's entry is on disk too.
void syncFolder(const std::filesystem::path& folder) {
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

}  // namespace

Expected<Done> replaceFile(const std::filesystem::path& path, std::string_view contents) {
    std::error_code error;
    const bool link = std::filesystem::is_symlink(std::filesystem::symlink_status(path, error));
    error.clear();  // a missing file is one to create
    const std::filesystem::path target = link ? std::filesystem::weakly_canonical(path, error) : path;
    if (error) {
        return Failure{"cannot follow the link: " + error.message()};
    }
    const std::filesystem::path folder = target.parent_path().empty() ? "." : target.parent_path();
    std::filesystem::create_directories(folder, error);
    if (error) {
        return Failure{"cannot create the folder " + folder.string() + ": " + error.message()};
    }

    std::string temporary = (folder / (target.filename().string() + ".XXXXXX")).string();
    const int fd = ::mkstemp(temporary.data());
    if (fd < 0) {
        return failure("cannot create a file in " + folder.string());
    }
    std::optional<Failure> problem;
    struct stat old {};
    if (::stat(target.c_str(), &old) == 0) {
        ::fchmod(fd, old.st_mode & 07777);  // keep the permissions the user gave the file
    }
    if (!writeAll(fd, contents)) {
        problem = failure("cannot write");
    } else if (::fsync(fd) != 0) {
        problem = failure("cannot flush to disk");
    }
    if (::close(fd) != 0 && !problem) {
        problem = failure("cannot write");
    }
    if (!problem && ::rename(temporary.c_str(), target.c_str()) != 0) {
        problem = failure("cannot replace the file");
    }
    if (problem) {
        ::unlink(temporary.c_str());
        return *problem;
    }
    syncFolder(folder);
    return Done{};
}

}  // namespace quarnel
