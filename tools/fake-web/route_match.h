#pragma once

#include "tools/fake-web/fake_web_server.h"

#include <string_view>
#include <vector>

namespace fakeweb {

// The first route matching host and target, or nullptr.
const Route* findRoute(const std::vector<Route>& routes, std::string_view host, std::string_view target);

}  // namespace fakeweb
