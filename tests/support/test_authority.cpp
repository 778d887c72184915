#include "tests/support/test_authority.h"

#include "tests/support/child_process.h"

#include <stdexcept>

namespace quarnel::testing {

TestAuthority makeTestAuthority(const std::filesystem::path& folder, const std::vector<std::string>& hostNames) {
    std::vector<std::string> arguments{QUARNEL_MAKE_TEST_CA, folder.string()};
    arguments.insert(arguments.end(), hostNames.begin(), hostNames.end());
    const ProcessResult made = runProcess("/bin/bash", arguments, {});
    if (made.exitCode != 0) {
        throw std::runtime_error("make-test-ca.sh failed: " + made.err);
    }
    return {folder / "ca.pem", folder / "server.pem", folder / "server.key"};
}

}  // namespace quarnel::testing
