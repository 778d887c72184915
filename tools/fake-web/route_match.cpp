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

bool targetMatches(std::string_view pattern, std::string_view target) {
    if (pattern.ends_with('*')) {
        return target.starts_with(pattern.substr(0, pattern.size() - 1));
    }
    return pattern == target;
}

}  // namespace

const Route* findRoute(const std::vector<Route>& routes, std::string_view host, std::string_view target) {
    const auto found = std::ranges::find_if(routes, [&](const Route& route) {
        return hostMatches(route.host, host) && targetMatches(route.target, target);
    });
    return found == routes.end() ? nullptr : &*found;
}

}  // namespace fakeweb
