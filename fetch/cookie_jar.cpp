#include "fetch/cookie_jar.h"

#include "base/atomic_file.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstring>
#include <ctime>
#include <thread>
#include <unordered_map>
#include <unordered_set>
#include <utility>

namespace quarnel {
namespace {

namespace fs = std::filesystem;

constexpr std::chrono::milliseconds kLockRetry{10};

// Two cookies are one when domain, path and name are; the domain without regard to case or a leading dot.
std::string keyOf(const Cookie& cookie) {
    std::string key = cookie.domain.substr(std::min(cookie.domain.find_first_not_of('.'), cookie.domain.size()));
    std::transform(key.begin(), key.end(), key.begin(), [](unsigned char c) { return std::tolower(c); });
    return key.append("\t").append(cookie.path).append("\t").append(cookie.name);
}

// The form the file gives back, so a cookie read again compares equal to the one written.
Cookie asInFile(const Cookie& cookie) {
    std::vector<Cookie> read = parseCookieFile(formatCookieLine(cookie));
    return read.empty() ? Cookie{} : std::move(read.front());
}

// Cookies are the user's alone, whatever another program gave the file.
void userAlone(const fs::path& file) {
    std::error_code ignored;
    fs::permissions(file, fs::perms::owner_read | fs::perms::owner_write, ignored);
}

bool expired(const Cookie& cookie, std::int64_t now) { return cookie.expires != 0 && cookie.expires < now; }

// Held while this process merges into the file; closing the descriptor lets the next one in.
class HeldLock {
public:
    explicit HeldLock(int fd) : fd_(fd) {}
    HeldLock(HeldLock&& other) noexcept : fd_(std::exchange(other.fd_, -1)) {}
    HeldLock& operator=(HeldLock&&) = delete;
    ~HeldLock() {
        if (fd_ >= 0) {
            ::close(fd_);
        }
    }

private:
    int fd_;
};

Expected<HeldLock> lock(const fs::path& lockFile, std::chrono::milliseconds wait) {
    std::error_code ignored;
    fs::create_directories(lockFile.parent_path(), ignored);
    const int fd = ::open(lockFile.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (fd < 0) {
        return Failure{"cannot open " + lockFile.string() + ": " + std::strerror(errno)};
    }
    HeldLock guard(fd);
    const auto giveUp = std::chrono::steady_clock::now() + wait;
    while (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        if (errno != EWOULDBLOCK && errno != EINTR) {
            return Failure{"cannot lock " + lockFile.string() + ": " + std::strerror(errno)};
        }
        if (std::chrono::steady_clock::now() >= giveUp) {
            return Failure{"another program kept " + lockFile.string() + " locked"};
        }
        std::this_thread::sleep_for(kLockRetry);
    }
    return guard;
}

// The file's text; empty for a missing file.
Expected<std::string> readText(const fs::path& file) {
    const int fd = ::open(file.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        return errno == ENOENT ? Expected<std::string>(std::string())
                               : Failure{"cannot read " + file.string() + ": " + std::strerror(errno)};
    }
    std::string text;
    char buffer[8192];
    ssize_t count = 0;
    while ((count = ::read(fd, buffer, sizeof buffer)) > 0 || (count < 0 && errno == EINTR)) {
        text.append(buffer, static_cast<std::size_t>(std::max<ssize_t>(count, 0)));
    }
    const int error = errno;
    ::close(fd);
    if (count < 0) {
        return Failure{"cannot read " + file.string() + ": " + std::strerror(error)};
    }
    return text;
}

// The file's cookies in their order, with what this process changed since `base` applied:
// its additions and changes written over the file's, its removals removed. What it left
// alone stays as the file has it, another process's changes included.
std::vector<Cookie> merge(const std::vector<Cookie>& file, const std::vector<Cookie>& base,
                          const std::vector<Cookie>& mine) {
    std::unordered_map<std::string, const Cookie*> before;
    std::unordered_map<std::string, const Cookie*> now;
    for (const Cookie& cookie : base) {
        before.emplace(keyOf(cookie), &cookie);
    }
    for (const Cookie& cookie : mine) {
        now.emplace(keyOf(cookie), &cookie);
    }
    const auto changedHere = [&](const std::string& key, const Cookie& cookie) {
        const auto was = before.find(key);
        return was == before.end() || *was->second != cookie;
    };
    std::vector<Cookie> merged;
    std::unordered_set<std::string> written;
    for (const Cookie& cookie : file) {
        const std::string key = keyOf(cookie);
        const auto mineNow = now.find(key);
        if (!written.insert(key).second || (mineNow == now.end() && before.contains(key))) {
            continue;
        }
        merged.push_back(mineNow != now.end() && changedHere(key, *mineNow->second) ? *mineNow->second : cookie);
    }
    for (const auto& [key, cookie] : now) {
        if (!written.contains(key) && changedHere(key, *cookie)) {
            merged.push_back(*cookie);
        }
    }
    return merged;
}

}  // namespace

CookieJar::CookieJar(fs::path file, std::chrono::milliseconds lockWait)
    : file_(std::move(file)), lockWait_(lockWait) {}

const fs::path& CookieJar::file() const { return file_; }

Expected<std::vector<Cookie>> CookieJar::load() {
    Expected<std::string> text = readText(file_);
    if (!text) {
        return Failure{text.reason()};
    }
    base_ = parseCookieFile(*text);
    userAlone(file_);
    return base_;
}

Expected<Done> CookieJar::save(const std::vector<Cookie>& cookies) {
    const std::int64_t now = std::time(nullptr);
    std::vector<Cookie> mine;
    for (const Cookie& cookie : cookies) {
        if (Cookie written = asInFile(cookie); !written.name.empty() && !expired(written, now)) {
            mine.push_back(std::move(written));
        }
    }
    Expected<HeldLock> held = lock(fs::path(file_).concat(".lock"), lockWait_);
    if (!held) {
        return Failure{held.reason()};
    }
    Expected<std::string> text = readText(file_);
    if (!text) {
        return Failure{text.reason()};
    }
    std::vector<Cookie> merged = merge(parseCookieFile(*text), base_, mine);
    std::erase_if(merged, [now](const Cookie& cookie) { return expired(cookie, now); });
    const std::string newText = formatCookieFile(merged);
    if (newText != *text) {
        userAlone(file_);  // replaceFile keeps an existing file's permissions
        if (Expected<Done> replaced = replaceFile(file_, newText); !replaced) {
            return replaced;
        }
    }
    base_ = std::move(mine);
    return Done{};
}

}  // namespace quarnel
