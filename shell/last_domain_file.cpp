#include "shell/last_domain_file.h"

#include "fetch/bytes_to_bstr.h"
#include "shell/valid_utf8.h"

#include <fcntl.h>
#include <unistd.h>

#include <fstream>
#include <system_error>

namespace quarnel {
namespace {

bool writeAll(int fd, const std::string& bytes) {
    std::size_t written = 0;
    while (written < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.data() + written, bytes.size() - written);
        if (n < 0) {
            return false;
        }
        written += static_cast<std::size_t>(n);
    }
    return true;
}

std::filesystem::path absoluteOrEmpty(const char* folder) {
    if (folder == nullptr) {
        return {};
    }
    std::filesystem::path path(folder);
    return path.is_absolute() ? path : std::filesystem::path{};
}

}  // namespace

LastDomainFile::LastDomainFile(std::filesystem::path path) : path_(std::move(path)) {}

std::string LastDomainFile::read() const {
    std::ifstream in(path_, std::ios::binary);
    std::string line;
    for (char ch; in.get(ch) && ch != '\r' && ch != '\n';) {
        line += ch;
    }
    // Not UTF-8: written where the system's code page is GBK. GB bytes never
    // contain CR or LF, so the line was cut in the right place either way.
    return isValidUtf8(line) ? line : BytesToBstr(line, "gbk");
}

bool LastDomainFile::write(const std::string& domain) const {
    if (path_.empty()) {
        return false;
    }
    std::error_code error;
    std::filesystem::create_directories(path_.parent_path(), error);
    if (error) {
        return false;
    }
    std::string temporary = path_.string() + ".XXXXXX";
    const int fd = ::mkstemp(temporary.data());
    if (fd < 0) {
        return false;
    }
    // The reader takes the first line, so a line break inside the domain would
    // lose the rest of it anyway: only the text up to it is stored.
    const std::string line(domain.substr(0, domain.find_first_of("\r\n")));
    const bool saved = writeAll(fd, line + '\n') && ::fsync(fd) == 0;
    const bool closed = ::close(fd) == 0;
    if (saved && closed && ::rename(temporary.c_str(), path_.c_str()) == 0) {
        return true;
    }
    ::unlink(temporary.c_str());
    return false;
}

std::filesystem::path lastDomainPath(const char* xdgStateHome, const char* home) {
    std::filesystem::path stateHome = absoluteOrEmpty(xdgStateHome);
    if (stateHome.empty()) {
        const std::filesystem::path homeFolder = absoluteOrEmpty(home);
        if (homeFolder.empty()) {
            return {};
        }
        stateHome = homeFolder / ".local" / "state";
    }
    return stateHome / "quarnel" / "dz.txt";
}

}  // namespace quarnel
