// One of the two writers of WatchCommandsTest.AddsFromTwoProcessesAtOnceAllLand, a
// process of its own: once its standard input closes, it runs `quarnel-cli watch add`
// for PREFIX0.cn, PREFIX1.cn, ... (COUNT of them) against LIST, and exits with the
// number of adds that failed.
#include "cli/command_line.h"
#include "tests/support/recording_waits.h"

#include <iostream>
#include <limits>
#include <sstream>
#include <string>

int main(int argc, char** argv) {
    if (argc != 4) {
        std::cerr << "usage: watch_adder LIST PREFIX COUNT\n";
        return 255;
    }
    const std::string list = argv[1];
    const std::string prefix = argv[2];
    const int count = std::stoi(argv[3]);
    std::cin.ignore(std::numeric_limits<std::streamsize>::max());  // the start signal: both begin together

    const quarnel::SystemClock clock;
    quarnel::testing::RecordingWaits waits;  // an edit of the list waits for nothing
    quarnel::testing::CountingPauses pauses;
    int failed = 0;
    for (int i = 0; i < count; ++i) {
        std::ostringstream out, err;
        std::istringstream in;
        quarnel::cli::Invocation invocation{clock, out, err, in, waits, pauses, false, false, {}, {}};
        const int status = quarnel::cli::runCommandLine(
            {"watch", "--watch-file", list, "add", prefix + std::to_string(i) + ".cn"}, invocation);
        if (status != 0) {
            std::cerr << err.str();
            ++failed;
        }
    }
    return failed;
}
