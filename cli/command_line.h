#pragma once

#include "cli/invocation.h"

#include <string>
#include <vector>

namespace quarnel::cli {

// Parses the arguments (without the program name), runs the command they name and
// returns the exit status. Usage errors print the usage on standard error and give 2.
int runCommandLine(const std::vector<std::string>& arguments, Invocation& invocation);

}  // namespace quarnel::cli
