#include "fetch/curl_transport.h"

#include <curl/curl.h>

#include <memory>

namespace quarnel {
namespace {

struct BodyBuffer {
    std::size_t limit;
    std::string bytes;
};

// A chunked reply announces no size, so the body limit is enforced here, as the bytes arrive.
std::size_t appendBody(char* data, std::size_t size, std::size_t count, void* userdata) {
    auto& buffer = *static_cast<BodyBuffer*>(userdata);
    const std::size_t length = size * count;
    if (length > buffer.limit - buffer.bytes.size()) {
        return CURL_WRITEFUNC_ERROR;
    }
    buffer.bytes.append(data, length);
    return length;
}

using EasyHandle = std::unique_ptr<CURL, decltype(&curl_easy_cleanup)>;

}  // namespace

CurlTransport::CurlTransport(FetchLimits limits) : limits_(limits) {}

std::optional<std::string> CurlTransport::fetchBody(const std::string& url) {
    EasyHandle handle(curl_easy_init(), &curl_easy_cleanup);
    if (!handle) {
        return std::nullopt;
    }
    CURL* curl = handle.get();
    BodyBuffer buffer{limits_.maxBodyBytes, {}};

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
    curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, &appendBody);
    curl_easy_setopt(curl, CURLOPT_WRITEDATA, &buffer);

    if (curl_easy_perform(curl) != CURLE_OK) {
        return std::nullopt;
    }
    return std::move(buffer.bytes);
}

}  // namespace quarnel
