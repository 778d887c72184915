#pragma once

#include "tools/fake-web/stream.h"

#include <atomic>
#include <cstddef>
#include <filesystem>
#include <memory>

typedef struct ssl_ctx_st SSL_CTX;

namespace fakeweb {

// The certificate and key fake-web shows as whatever host a client tunnels to.
class TlsIdentity {
public:
    // certificateChain: PEM, the leaf first. Throws std::runtime_error when the files do
    // not load or do not belong together.
    TlsIdentity(const std::filesystem::path& certificateChain, const std::filesystem::path& privateKey);
    ~TlsIdentity();
    TlsIdentity(const TlsIdentity&) = delete;
    TlsIdentity& operator=(const TlsIdentity&) = delete;

    // Does the server's side of a handshake on the connected socket; nullptr when it fails
    // (the client refused the certificate, or hung up).
    // The stream tells whether the client's hello offered GREASE.
    std::unique_ptr<Stream> handshake(int fd) const;

    // How many hellos offered GREASE, handshakes that went on to fail included.
    std::size_t greaseHellos() const;

private:
    SSL_CTX* context_;
    std::atomic<std::size_t> greaseHellos_ = 0;
};

}  // namespace fakeweb
