#include "controls/last_domain_file.h"

#include "base/atomic_file.h"
#include "base/user_folders.h"
#include "base/valid_utf8.h"
#include "fetch/bytes_to_bstr.h"

#include <fstream>

namespace quarnel {

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
    // The reader takes the first line, so a line break inside the domain would
    // lose the rest of it anyway: only the text up to it is stored.
    return replaceFile(path_, domain.substr(0, domain.find_first_of("\r\n")) + '\n').ok();
}

std::filesystem::path lastDomainPath(const char* xdgStateHome, const char* home) {
    const std::filesystem::path stateHome = userFolder(xdgStateHome, home, ".local/state");
    return stateHome.empty() ? stateHome : stateHome / "quarnel" / "dz.txt";
}

}  // namespace quarnel
