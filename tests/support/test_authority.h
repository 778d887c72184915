#pragma once

#include "tests/support/child_process.h"
#include "tools/fake-web/fake_web_server.h"

#include <cstdlib>
#include <filesystem>
#include <stdexcept>
#include <string>
#include <vector>

namespace quarnel::testing {

// A certificate authority made for one test run, and a server certificate it signed.
struct TestAuthority {
    std::filesystem::path certificate;  // what clients trust: CURL_CA_BUNDLE, SSL_CERT_FILE
    std::filesystem::path serverCertificate;
    std::filesystem::path serverKey;  // these two for fakeweb::Server::serveTls
};

// Made in `folder` by tools/make-test-ca.sh, the server certificate naming every host of
// `hostNames`; throws std::runtime_error with openssl's words when that fails.
inline TestAuthority makeTestAuthority(const std::filesystem::path& folder, const std::vector<std::string>& hostNames) {
    std::vector<std::string> arguments{QUARNEL_MAKE_TEST_CA, folder.string()};
    arguments.insert(arguments.end(), hostNames.begin(), hostNames.end());
    if (const ProcessResult made = runProcess("/bin/bash", arguments, {}); made.exitCode != 0) {
        throw std::runtime_error("make-test-ca.sh failed: " + made.err);
    }
    return {folder / "ca.pem", folder / "server.pem", folder / "server.key"};
}

// Makes the browser engine of a user whose home is `home` trust the authority, as a user
// behind an inspecting proxy does with theirs: in the NSS store Chrome on Linux reads.
inline void trustInBrowserStore(const std::filesystem::path& home, const TestAuthority& authority) {
    const std::filesystem::path store = home / ".pki" / "nssdb";
    std::filesystem::create_directories(store);
    const std::string database = "sql:" + store.string();
    for (const std::vector<std::string>& arguments :
         {std::vector<std::string>{"-d", database, "-N", "--empty-password"},
          std::vector<std::string>{"-d", database, "-A", "-t", "C,,", "-n", "Quarnel test authority", "-i",
                                   authority.certificate.string()}}) {
        if (const ProcessResult done = runProcess("/usr/bin/certutil", arguments, {}); done.exitCode != 0) {
            throw std::runtime_error("certutil failed (is libnss3-tools installed?): " + done.err);
        }
    }
}

// Starts `server` as the https_proxy and http_proxy of every request from here on, showing
// the authority's server certificate for HTTPS.
inline void startAsProxy(fakeweb::Server& server, const TestAuthority& authority) {
    server.serveTls(authority.serverCertificate, authority.serverKey);
    server.start();
    ::setenv("https_proxy", server.proxyUrl().c_str(), 1);
    ::setenv("http_proxy", server.proxyUrl().c_str(), 1);
}

}  // namespace quarnel::testing
