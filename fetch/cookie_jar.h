#pragma once

#include "base/expected.h"

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace quarnel {

// One cookie as the cookie file holds it.
struct Cookie {
    std::string domain{};  // as in the file: a leading '.' or the include-subdomains flag say it covers subdomains
    bool includeSubdomains = false;
    std::string path = "/";
    bool secure = false;
    std::int64_t expires = 0;  // Unix seconds; 0: a session cookie
    std::string name{};
    std::string value{};
    bool httpOnly = false;
    bool operator==(const Cookie&) const = default;
};

// The user's one cookie file, shared by every process that fetches for them: libcurl in
// the command line and the window, and the browser engine. Each process loads it when it
// starts and saves its own set as it changes; a save merges, so processes running at once
// lose neither's cookies. Session cookies are kept: a verification passed in one run
// lasts into the next, as it does in a browser.
class CookieJar {
public:
    // `lockWait`: how long a save waits for another process's save before it gives up.
    explicit CookieJar(std::filesystem::path file, std::chrono::milliseconds lockWait = std::chrono::seconds(5));

    // The file's cookies (a missing file: none); what is loaded becomes the base later saves merge against.
    Expected<std::vector<Cookie>> load();
    // Writes `cookies` as this process's current set: under the lock, re-reads the file, applies what
    // changed between the last load/save and `cookies`, replaces the file in one step (0600).
    // Cookies that have expired are left out, as libcurl leaves them out.
    Expected<Done> save(const std::vector<Cookie>& cookies);
    const std::filesystem::path& file() const;

private:
    std::filesystem::path file_;
    std::chrono::milliseconds lockWait_;
    std::vector<Cookie> base_;
};

// The file's text, and back: libcurl's format exactly (its header line first).
std::string formatCookieFile(const std::vector<Cookie>& cookies);
std::vector<Cookie> parseCookieFile(std::string_view text);  // lines that are no cookie are skipped

// One cookie as a line of that file (no line end), as libcurl's cookie list takes and gives
// them; empty for a cookie no line can hold (no domain or name, or a tab or line break in a field).
std::string formatCookieLine(const Cookie& cookie);

}  // namespace quarnel
