#include "fetch/curl_transport.h"

#include "fetch/response_reader.h"

#include <curl/curl.h>

namespace quarnel {
namespace {

// No exception may cross libcurl's C frames: running out of memory fails the request.
std::size_t onHeaderLine(char* data, std::size_t size, std::size_t count, void* userdata) {
    const std::size_t length = size * count;
    try {
        return static_cast<ResponseReader*>(userdata)->headerLine({data, length}) ? length : 0;
    } catch (...) {
        return 0;
    }
}

std::size_t onBodyBytes(char* data, std::size_t size, std::size_t count, void* userdata) {
    const std::size_t length = size * count;
    try {
        return static_cast<ResponseReader*>(userdata)->bodyBytes({data, length}) ? length : CURL_WRITEFUNC_ERROR;
    } catch (...) {
        return CURL_WRITEFUNC_ERROR;
    }
}

}  // namespace

struct CurlTransport::Handle {
    CURL* curl = curl_easy_init();
    ~Handle() { curl_easy_cleanup(curl); }
};

CurlTransport::CurlTransport(FetchLimits limits) : limits_(limits) {}

CurlTransport::~CurlTransport() = default;

std::optional<std::string> CurlTransport::fetchBody(const std::string& url) {
    std::lock_guard lock(mutex_);
    if (!handle_ || handle_->curl == nullptr) {
        handle_ = std::make_unique<Handle>();
        if (handle_->curl == nullptr) {
            return std::nullopt;
        }
    }
    CURL* curl = handle_->curl;
    // Forgets every option of the last request; its open connections stay in the cache.
    curl_easy_reset(curl);
    ResponseReader reader(limits_.maxBodyBytes);

    curl_easy_setopt(curl, CURLOPT_URL, url.c_str());
    curl_easy_setopt(curl, CURLOPT_HTTPGET, 1L);
    curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(curl, CURLOPT_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(curl, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(curl, CURLOPT_FOLLOWLOCATION, 1L);
    curl_easy_setopt(curl, CURLOPT_MAXREDIRS, limits_.maxRedirects);
    curl_easy_setopt(curl, CURLOPT_CONNECTTIMEOUT_MS, static_cast<long>(limits_.connectTimeout.count()));
    curl_easy_setopt(curl, CURLOPT_TIMEOUT_MS, static_cast<long>(limits_.totalTimeout.count()));
    curl_easy_setopt(curl, CURLOPT_ACCEPT_ENCODING, "");
    curl_easy_setopt(curl, CURLOPT_USERAGENT, "Mozilla/5.0 (compatible; Quarnel/6.0)");
    curl_easy_setopt(curl, CURLOPT_HEADERFUNCTION, &onHeaderLine);
    curl_easy_setopt(curl, CURLOPT_HEADERDATA, &reader);
    curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, &onBodyBytes);
    curl_easy_setopt(curl, CURLOPT_WRITEDATA, &reader);

    if (curl_easy_perform(curl) != CURLE_OK) {
        return std::nullopt;
    }
    return std::move(reader).body();
}

}  // namespace quarnel
