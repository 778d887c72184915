#include "tools/fake-web/tls_identity.h"

#include <openssl/err.h>
#include <openssl/ssl.h>

#include <stdexcept>
#include <string>

namespace fakeweb {
namespace {

class TlsStream final : public Stream {
public:
    TlsStream(int fd, SSL* ssl, bool offeredGrease) : Stream(fd), ssl_(ssl), offeredGrease_(offeredGrease) {}
    ~TlsStream() override {
        if (!broken_) {
            SSL_shutdown(ssl_);  // close_notify, so a client reading to the end sees a clean one
        }
        SSL_free(ssl_);
    }

    std::size_t receive(char* buffer, std::size_t size) override {
        std::size_t received = 0;
        if (SSL_read_ex(ssl_, buffer, size, &received) != 1) {
            broken_ = SSL_get_error(ssl_, 0) != SSL_ERROR_ZERO_RETURN;
            ERR_clear_error();
            return 0;
        }
        return received;
    }

    bool sendAll(std::string_view data) override {
        while (!data.empty()) {
            std::size_t sent = 0;
            if (SSL_write_ex(ssl_, data.data(), data.size(), &sent) != 1) {
                broken_ = true;
                ERR_clear_error();
                return false;
            }
            data.remove_prefix(sent);
        }
        return true;
    }

    bool offeredGrease() const override { return offeredGrease_; }

private:
    SSL* ssl_;
    bool offeredGrease_;
    bool broken_ = false;  // after a fatal error OpenSSL allows no shutdown
};

// GREASE values are 0x0A0A, 0x1A1A, ... 0xFAFA: both bytes alike, each ending in A.
bool isGrease(unsigned value) { return (value & 0x0f0f) == 0x0a0a && (value >> 8) == (value & 0xff); }

// Two-byte values one after the other, as cipher suites and groups are listed.
bool holdsGrease(const unsigned char* bytes, std::size_t length) {
    for (std::size_t i = 0; i + 1 < length; i += 2) {
        if (isGrease((unsigned{bytes[i]} << 8) | bytes[i + 1])) {
            return true;
        }
    }
    return false;
}

// Looks for GREASE among the hello's cipher suites and groups (OpenSSL lists only the
// extensions it knows, so a GREASE extension never shows), counts a hello that offers any
// in `arg`, and tells the handshake through its app data, a bool. Never refuses a hello.
int onClientHello(SSL* ssl, int* /*alert*/, void* arg) {
    const unsigned char* ciphers = nullptr;
    const std::size_t cipherBytes = SSL_client_hello_get0_ciphers(ssl, &ciphers);
    bool grease = holdsGrease(ciphers, cipherBytes);
    const unsigned char* groups = nullptr;
    std::size_t groupBytes = 0;
    // supported_groups: a two-byte length, then the groups.
    if (SSL_client_hello_get0_ext(ssl, TLSEXT_TYPE_supported_groups, &groups, &groupBytes) == 1 && groupBytes >= 2) {
        grease = grease || holdsGrease(groups + 2, groupBytes - 2);
    }
    if (grease) {
        ++*static_cast<std::atomic<std::size_t>*>(arg);
    }
    *static_cast<bool*>(SSL_get_app_data(ssl)) = grease;
    return SSL_CLIENT_HELLO_SUCCESS;
}

std::string lastOpenSslError() {
    char text[256] = "";
    ERR_error_string_n(ERR_get_error(), text, sizeof text);
    return text;
}

}  // namespace

TlsIdentity::TlsIdentity(const std::filesystem::path& certificateChain, const std::filesystem::path& privateKey)
    : context_(SSL_CTX_new(TLS_server_method())) {
    if (context_ == nullptr || SSL_CTX_use_certificate_chain_file(context_, certificateChain.c_str()) != 1 ||
        SSL_CTX_use_PrivateKey_file(context_, privateKey.c_str(), SSL_FILETYPE_PEM) != 1 ||
        SSL_CTX_check_private_key(context_) != 1) {
        const std::string reason = lastOpenSslError();
        SSL_CTX_free(context_);
        throw std::runtime_error("cannot use the certificate " + certificateChain.string() + " with the key " +
                                 privateKey.string() + ": " + reason);
    }
    SSL_CTX_set_client_hello_cb(context_, &onClientHello, &greaseHellos_);
}

std::size_t TlsIdentity::greaseHellos() const {
    return greaseHellos_;
}

TlsIdentity::~TlsIdentity() {
    SSL_CTX_free(context_);
}

std::unique_ptr<Stream> TlsIdentity::handshake(int fd) const {
    SSL* ssl = SSL_new(context_);
    bool offeredGrease = false;
    if (ssl == nullptr || SSL_set_app_data(ssl, &offeredGrease) != 1 || SSL_set_fd(ssl, fd) != 1 ||
        SSL_accept(ssl) != 1) {
        SSL_free(ssl);
        ERR_clear_error();
        return nullptr;
    }
    return std::make_unique<TlsStream>(fd, ssl, offeredGrease);
}

}  // namespace fakeweb
