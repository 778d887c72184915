#pragma once

#include "cli/invocation.h"

namespace CLI {
class App;
}

namespace quarnel::cli {

// quarnel-cli history: the recorded runs, oldest first.
void addHistoryCommand(CLI::App& app, Invocation& invocation);

}  // namespace quarnel::cli
