#pragma once

#include "cli/invocation.h"

namespace CLI {
class App;
}

namespace quarnel::cli {

// quarnel-cli trend DOMAIN: how the counts and the PageRank moved.
void addTrendCommand(CLI::App& app, Invocation& invocation);

}  // namespace quarnel::cli
