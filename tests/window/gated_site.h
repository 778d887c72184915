#pragma once

// The window with the current rules against Baidu behind fake-web's gates, over HTTPS.
// moc cannot read fake-web's headers: include this under #ifndef Q_MOC_RUN.

#include "base/user_folders.h"
#include "fetch/cookie_jar.h"
#include "tests/support/current_site.h"

#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>
#include <utility>

namespace quarnel::testing {

// Every folder of the user in one of the test's own, the user's browser trusting the site's
// authority, fake-web the proxy of every request and the current rules chosen: all before
// the application starts, as Chromium reads the proxies and the certificate store then.
struct GatedSite {
    GatedSite(const std::string& name, fakeweb::Gate rangedSearches, fakeweb::Gate allTimeSearch)
        : folder(std::filesystem::temp_directory_path() / (name + "-" + std::to_string(::getpid()))),
          cookies(cookieFilePath((folder / "state").c_str(), (folder / "home").c_str())),
          server(CurrentSite::routes(rangedSearches, allTimeSearch)) {
        std::filesystem::remove_all(folder);
        const TestAuthority authority = CurrentSite::trustedAuthority(folder / "ca", folder / "home");
        startAsProxy(server, authority);
        const std::pair<const char*, std::string> environment[] = {{"HOME", (folder / "home").string()},
                                                                   {"XDG_CONFIG_HOME", (folder / "config").string()},
                                                                   {"XDG_STATE_HOME", (folder / "state").string()},
                                                                   {"XDG_DATA_HOME", (folder / "data").string()},
                                                                   {"no_proxy", ""},
                                                                   {"CURL_CA_BUNDLE", authority.certificate.string()},
                                                                   {"QUARNEL_OPR_KEY", "K3Y"}};
        for (const auto& [variable, value] : environment) {
            ::setenv(variable, value.c_str(), 1);
        }
        std::filesystem::create_directories(folder / "config" / "Quarnel");
        std::ofstream(folder / "config" / "Quarnel" / "quarnel.conf") << "[General]\nprofile=current\n";
    }
    ~GatedSite() {
        server.stop();
        std::filesystem::remove_all(folder);
    }
    GatedSite(const GatedSite&) = delete;
    GatedSite& operator=(const GatedSite&) = delete;

    // Whether the jar holds `cookie` ("NAME=value").
    bool jarHolds(std::string_view cookie) const {
        const Expected<std::vector<Cookie>> jar = CookieJar(cookies).load();
        return jar.ok() && std::any_of(jar->begin(), jar->end(), [&](const Cookie& held) {
                   return held.name + "=" + held.value == cookie;
               });
    }

    const std::filesystem::path folder;
    const std::filesystem::path cookies;  // the jar, where the program keeps it for this user
    fakeweb::Server server;
};

}  // namespace quarnel::testing
