#pragma once

#include <string>
#include <vector>

namespace quarnel::testing {

struct ProcessResult {
    int exitCode = -1;
    std::string out;
    std::string err;
    long peakRssKiB = 0;  // the child's peak resident memory
    double cpuMilliseconds = 0;  // the child's processor time, user and system
};

// Runs `program` with `arguments` (no shell involved), the extra `environment`
// entries ("NAME=value") on top of this process's, and `input` on its standard input.
ProcessResult runProcess(const std::string& program, const std::vector<std::string>& arguments,
                         const std::vector<std::string>& environment, const std::string& input = "");

}  // namespace quarnel::testing
