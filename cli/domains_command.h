#pragma once

#include "cli/invocation.h"

namespace CLI {
class App;
}

namespace quarnel::cli {

// quarnel-cli domains: every recorded domain, one per line (shell completion reads it).
void addDomainsCommand(CLI::App& app, Invocation& invocation);

}  // namespace quarnel::cli
