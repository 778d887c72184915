// Saves COUNT cookies named NAME-0 ... one save at a time into the jar FILE, as a program
// fetching pages would, then removes the even ones in one last save. Exits 1 when a save fails.
#include "fetch/cookie_jar.h"

#include <iostream>
#include <string>

int main(int argc, char** argv) {
    if (argc != 4) {
        std::cerr << "usage: cookie-jar-writer FILE NAME COUNT\n";
        return 2;
    }
    const std::string name = argv[2];
    const int count = std::stoi(argv[3]);
    quarnel::CookieJar jar(argv[1], std::chrono::minutes(1));
    quarnel::Expected<std::vector<quarnel::Cookie>> cookies = jar.load();
    if (!cookies) {
        std::cerr << cookies.reason() << '\n';
        return 1;
    }
    const auto save = [&] {
        const quarnel::Expected<quarnel::Done> saved = jar.save(*cookies);
        if (!saved) {
            std::cerr << saved.reason() << '\n';
        }
        return saved.ok();
    };
    for (int i = 0; i < count; ++i) {
        cookies->push_back({.domain = ".baidu.com", .includeSubdomains = true, .name = name + "-" + std::to_string(i),
                            .value = std::to_string(i)});
        if (!save()) {
            return 1;
        }
    }
    std::erase_if(*cookies, [&](const quarnel::Cookie& cookie) {
        return cookie.name.starts_with(name + "-") && std::stoi(cookie.value) % 2 == 0;
    });
    return save() ? 0 : 1;
}
