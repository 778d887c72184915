#include "tools/fake-web/route_match.h"

#include <algorithm>
#include <cctype>

namespace fakeweb {
namespace {

bool hostMatches(std::string_view pattern, std::string_view host) {
    return pattern == "*" || std::ranges::equal(pattern, host, [](char a, char b) {
               return std::tolower(static_cast<unsigned char>(a)) == std::tolower(static_cast<unsigned char>(b));
           });
}

// '*' stands for any run of characters, wherever it is in the pattern.
bool targetMatches(std::string_view pattern, std::string_view target) {
    constexpr auto kNone = std::string_view::npos;
    std::size_t p = 0;
    std::size_t t = 0;
    std::size_t star = kNone;
    std::size_t starTarget = 0;
    while (t < target.size()) {
        if (p < pattern.size() && pattern[p] == '*') {
            star = p++;
            starTarget = t;
        } else if (p < pattern.size() && pattern[p] == target[t]) {
            ++p;
            ++t;
        } else if (star != kNone) {
            p = star + 1;
            t = ++starTarget;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == '*') {
        ++p;
    }
    return p == pattern.size();
}

}  // namespace

const Route* findRoute(const std::vector<Route>& routes, std::string_view host, std::string_view target) {
    const auto found = std::ranges::find_if(routes, [&](const Route& route) {
        return hostMatches(route.host, host) && targetMatches(route.target, target);
    });
    return found == routes.end() ? nullptr : &*found;
}

}  // namespace fakeweb
