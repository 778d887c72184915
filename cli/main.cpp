#include "history/history_path.h"
#include "base/run_record.h"
#include "cli/command_line.h"

#include <unistd.h>

#include <cstdlib>
#include <iostream>

int main(int argc, char** argv) {
    using namespace quarnel;
    const SystemClock clock;
    cli::Invocation invocation{
        .clock = clock,
        .out = std::cout,
        .err = std::cerr,
        .in = std::cin,
        .outIsTerminal = ::isatty(STDOUT_FILENO) == 1,
        .historyFile = history::historyPath(std::getenv("XDG_DATA_HOME"), std::getenv("HOME")),
        .command = {},
    };
    return cli::runCommandLine(std::vector<std::string>(argv + 1, argv + argc), invocation);
}
