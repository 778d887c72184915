#pragma once

#include <filesystem>
#include <string>

namespace quarnel {

// Remembers the domain of the last query run between starts of the program: one line,
// written in UTF-8; a file in GBK, as the original platform wrote it, reads too.
class LastDomainFile {
public:
    explicit LastDomainFile(std::filesystem::path path);

    // The first line, without its line end (CR, LF or CRLF), as UTF-8: a line that
    // is not valid UTF-8 is decoded as GBK. Empty text when the file is missing,
    // unreadable or empty.
    std::string read() const;

    // Replaces the file's content with `domain`, up to its first CR or LF, as the one
    // line, creating the folder when missing. The old content is replaced in one step,
    // so a failed save leaves it as it was; returns whether the save succeeded.
    bool write(const std::string& domain) const;

    const std::filesystem::path& path() const { return path_; }

private:
    std::filesystem::path path_;
};

// $XDG_STATE_HOME/quarnel/dz.txt, or ~/.local/state/quarnel/dz.txt when that is unset
// or not absolute; empty when neither gives an absolute folder.
std::filesystem::path lastDomainPath(const char* xdgStateHome, const char* home);

}  // namespace quarnel
