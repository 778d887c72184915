#pragma once

#include "cli/invocation.h"

namespace CLI {
class App;
}

namespace quarnel::cli {

// `profiles` lists the built-in and the user's rule sets; `profiles show NAME` prints one
// as TOML, to start a profile of one's own from.
void addProfilesCommand(CLI::App& app, Invocation& invocation);

}  // namespace quarnel::cli
