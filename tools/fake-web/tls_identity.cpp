#include "tools/fake-web/tls_identity.h"

#include <openssl/err.h>
#include <openssl/ssl.h>

#include <stdexcept>
#include <string>

namespace fakeweb {
namespace {

class TlsStream final : public Stream {
public:
    TlsStream(int fd, SSL* ssl) : Stream(fd), ssl_(ssl) {}
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

private:
    SSL* ssl_;
    bool broken_ = false;  // after a fatal error OpenSSL allows no shutdown
};

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
}

TlsIdentity::~TlsIdentity() {
    SSL_CTX_free(context_);
}

std::unique_ptr<Stream> TlsIdentity::handshake(int fd) const {
    SSL* ssl = SSL_new(context_);
    if (ssl == nullptr || SSL_set_fd(ssl, fd) != 1 || SSL_accept(ssl) != 1) {
        SSL_free(ssl);
        ERR_clear_error();
        return nullptr;
    }
    return std::make_unique<TlsStream>(fd, ssl);
}

}  // namespace fakeweb
