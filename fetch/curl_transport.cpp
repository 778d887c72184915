#include "fetch/curl_transport.h"

#include "base/atomic_file.h"
#include "fetch/response_reader.h"

#include <curl/curl.h>

#include <cstdlib>
#include <fstream>

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

constexpr const char* kCookieFileHeading = "# Netscape HTTP Cookie File";

// The cookie engine, once on, stays on through resets. libcurl's own reading of cookie
// files (CURLOPT_COOKIEFILE) leaks its list of files on each reset, so the file is read
// here and handed over line by line; the heading alone turns the engine on. Only cookie
// lines (they hold tabs) are passed: a line that says "ALL" or "RELOAD" is a command.
// A missing or unreadable file loads nothing: the run starts without cookies.
void loadCookies(CURL* curl, const std::filesystem::path& file) {
    curl_easy_setopt(curl, CURLOPT_COOKIELIST, kCookieFileHeading);
    std::ifstream in(file);
    for (std::string line; std::getline(in, line);) {
        if (line.find('\t') != std::string::npos) {
            curl_easy_setopt(curl, CURLOPT_COOKIELIST, line.c_str());
        }
    }
}

std::string cookieFileText(CURL* curl) {
    std::string text = std::string(kCookieFileHeading) + "\n";
    struct curl_slist* cookies = nullptr;
    curl_easy_getinfo(curl, CURLINFO_COOKIELIST, &cookies);
    for (const struct curl_slist* line = cookies; line != nullptr; line = line->next) {
        text.append(line->data).append("\n");
    }
    curl_slist_free_all(cookies);
    return text;
}

}  // namespace

struct CurlTransport::Handle {
    CURL* curl = curl_easy_init();
    std::string savedCookies;  // the cookie file's text as last written
    ~Handle() { curl_easy_cleanup(curl); }
};

CurlTransport::CurlTransport(FetchLimits limits, std::filesystem::path cookieFile)
    : limits_(limits), cookieFile_(std::move(cookieFile)) {}

CurlTransport::~CurlTransport() = default;

Expected<HttpReply> CurlTransport::fetch(const HttpRequest& request) {
    std::lock_guard lock(mutex_);
    if (!handle_ || handle_->curl == nullptr) {
        handle_ = std::make_unique<Handle>();
        if (handle_->curl == nullptr) {
            return Failure{"libcurl could not start"};
        }
        if (!cookieFile_.empty()) {
            loadCookies(handle_->curl, cookieFile_);
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
    if (!cookieFile_.empty()) {
        saveCookies(*handle_);  // a failed request may still have set some
    }
    if (code != CURLE_OK) {
        return Failure{error[0] != '\0' ? error : curl_easy_strerror(code)};
    }
    HttpReply reply;
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
    std::string text = cookieFileText(handle.curl);
    if (text == handle.savedCookies) {
        return;
    }
    // replaceFile keeps an existing file's permissions; cookies are the user's alone.
    std::error_code ignored;
    std::filesystem::permissions(cookieFile_, std::filesystem::perms::owner_read | std::filesystem::perms::owner_write,
                                 ignored);
    if (Expected<Done> saved = replaceFile(cookieFile_, text); !saved) {
        cookieSaveFailure_ = Failure{"cannot save the cookies in " + cookieFile_.string() + ": " + saved.reason()};
        return;
    }
    handle.savedCookies = std::move(text);
    cookieSaveFailure_.reset();
}

std::optional<Failure> CurlTransport::cookieSaveFailure() const {
    std::lock_guard lock(mutex_);
    return cookieSaveFailure_;
}

}  // namespace quarnel
