#include "fetch/curl_transport.h"

#include "fetch/response_reader.h"

#include <curl/curl.h>

#include <algorithm>
#include <cstdlib>
#include <tuple>

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

// libcurl reads the proxy variables itself but leaves these two to the curl tool; a user
// behind a company proxy that inspects HTTPS names the proxy's authority in them.
const char* certificateBundle() {
    for (const char* name : {"CURL_CA_BUNDLE", "SSL_CERT_FILE"}) {
        if (const char* bundle = std::getenv(name); bundle != nullptr && bundle[0] != '\0') {
            return bundle;
        }
    }
    return nullptr;
}

// The cookie engine, once on, stays on through resets. libcurl's own reading of cookie
// files (CURLOPT_COOKIEFILE) leaks its list of files on each reset, and it would write
// over what another process saved meanwhile: the jar reads and merges the file, and the
// cookies are handed to libcurl line by line. A file's heading alone turns the engine on.
void loadCookies(CURL* curl, const std::vector<Cookie>& cookies) {
    curl_easy_setopt(curl, CURLOPT_COOKIELIST, "# Netscape HTTP Cookie File");
    for (const Cookie& cookie : cookies) {
        // An empty line would be no cookie; a line that says "ALL" or "RELOAD" would be a command.
        if (const std::string line = formatCookieLine(cookie); !line.empty()) {
            curl_easy_setopt(curl, CURLOPT_COOKIELIST, line.c_str());
        }
    }
}

// The engine's cookies in a fixed order, so that two lists compare equal when they hold the same.
std::vector<Cookie> engineCookies(CURL* curl) {
    std::string text;
    struct curl_slist* lines = nullptr;
    curl_easy_getinfo(curl, CURLINFO_COOKIELIST, &lines);
    for (const struct curl_slist* line = lines; line != nullptr; line = line->next) {
        text.append(line->data).append("\n");
    }
    curl_slist_free_all(lines);
    std::vector<Cookie> cookies = parseCookieFile(text);
    std::sort(cookies.begin(), cookies.end(), [](const Cookie& a, const Cookie& b) {
        return std::tie(a.domain, a.path, a.name) < std::tie(b.domain, b.path, b.name);
    });
    return cookies;
}

}  // namespace

struct CurlTransport::Handle {
    CURL* curl = curl_easy_init();
    std::vector<Cookie> savedCookies;  // the engine's cookies as last saved
    ~Handle() { curl_easy_cleanup(curl); }
};

CurlTransport::CurlTransport(FetchLimits limits, std::filesystem::path cookieFile)
    : limits_(limits) {
    if (!cookieFile.empty()) {
        jar_.emplace(std::move(cookieFile));
    }
}

CurlTransport::~CurlTransport() = default;

Expected<HttpReply> CurlTransport::fetch(const HttpRequest& request) {
    std::lock_guard lock(mutex_);
    if (!handle_ || handle_->curl == nullptr) {
        handle_ = std::make_unique<Handle>();
        if (handle_->curl == nullptr) {
            return Failure{"libcurl could not start"};
        }
        if (jar_) {
            // A file that cannot be read loads nothing: the run starts without cookies.
            const Expected<std::vector<Cookie>> loaded = jar_->load();
            loadCookies(handle_->curl, loaded ? *loaded : std::vector<Cookie>());
            handle_->savedCookies = engineCookies(handle_->curl);
        }
    }
    CURL* curl = handle_->curl;
    // Forgets every option of the last request; its open connections and cookies stay.
    curl_easy_reset(curl);
    ResponseReader reader(limits_.maxBodyBytes);

    curl_easy_setopt(curl, CURLOPT_URL, request.url.c_str());
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
    if (const char* bundle = certificateBundle()) {
        curl_easy_setopt(curl, CURLOPT_CAINFO, bundle);
    }

    struct curl_slist* headers = nullptr;
    for (const std::string& header : request.headers) {
        headers = curl_slist_append(headers, header.c_str());
    }
    curl_easy_setopt(curl, CURLOPT_HTTPHEADER, headers);
    char error[CURL_ERROR_SIZE] = "";
    curl_easy_setopt(curl, CURLOPT_ERRORBUFFER, error);

    const CURLcode code = curl_easy_perform(curl);
    curl_slist_free_all(headers);
    if (jar_) {
        saveCookies(*handle_);  // a failed request may still have set some
    }
    if (code != CURLE_OK) {
        return Failure{error[0] != '\0' ? error : curl_easy_strerror(code)};
    }
    HttpReply reply{.servedBy = std::string(kServedByCurl)};
    curl_easy_getinfo(curl, CURLINFO_RESPONSE_CODE, &reply.status);
    if (const char* type = nullptr; curl_easy_getinfo(curl, CURLINFO_CONTENT_TYPE, &type) == CURLE_OK && type) {
        reply.contentType = type;
    }
    std::optional<std::string> body = std::move(reader).body();
    if (!body) {
        return Failure{"the reply broke off inside its header block"};
    }
    reply.body = std::move(*body);
    return reply;
}

void CurlTransport::saveCookies(Handle& handle) {
    std::vector<Cookie> cookies = engineCookies(handle.curl);
    if (cookies == handle.savedCookies) {
        return;
    }
    if (Expected<Done> saved = jar_->save(cookies); !saved) {
        cookieSaveFailure_ = Failure{"cannot save the cookies in " + jar_->file().string() + ": " + saved.reason()};
        return;
    }
    handle.savedCookies = std::move(cookies);
    cookieSaveFailure_.reset();
}

std::optional<Failure> CurlTransport::cookieSaveFailure() const {
    std::lock_guard lock(mutex_);
    return cookieSaveFailure_;
}

}  // namespace quarnel
