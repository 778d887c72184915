#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace quarnel::testing {

// A certificate authority made for one test run, and the server certificate it signed.
struct TestAuthority {
    std::filesystem::path certificate;        // what clients trust: CURL_CA_BUNDLE, SSL_CERT_FILE
    std::filesystem::path serverCertificate;  // for fakeweb::Server::serveTls, or fake-web --tls-cert
    std::filesystem::path serverKey;          // ... --tls-key
};

// Makes them in `folder` (created when missing) with make-test-ca.sh, the server
// certificate naming every host of `hostNames`. Throws std::runtime_error with openssl's
// words when that fails.
TestAuthority makeTestAuthority(const std::filesystem::path& folder, const std::vector<std::string>& hostNames);

}  // namespace quarnel::testing
