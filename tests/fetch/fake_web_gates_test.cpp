#include "fetch/cookie_jar.h"
#include "fetch/curl_transport.h"
#include "tests/support/test_authority.h"
#include "tools/fake-web/fake_web_server.h"

#include <curl/curl.h>
#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdint>

namespace quarnel {
namespace {

namespace fs = std::filesystem;
using fakeweb::Gate;
using fakeweb::Route;

constexpr const char* kResults = "<title>百度一下</title><p>找到相关结果约1,234个</p>";

std::size_t appendTo(char* data, std::size_t size, std::size_t count, void* text) {
    static_cast<std::string*>(text)->append(data, size * count);
    return size * count;
}

// A TLS 1.2 ClientHello offering these cipher suites and groups, in its record.
std::string clientHello(const std::vector<std::uint16_t>& ciphers, const std::vector<std::uint16_t>& groups) {
    const auto u16 = [](std::size_t value) { return std::string{char(value >> 8), char(value & 0xff)}; };
    const auto list = [&](const std::vector<std::uint16_t>& values) {
        std::string bytes = u16(values.size() * 2);
        for (const std::uint16_t value : values) {
            bytes += u16(value);
        }
        return bytes;
    };
    const std::string groupList = list(groups);
    const std::string extensions = u16(0x000a) + u16(groupList.size()) + groupList;
    const std::string body = "\x03\x03" + std::string(32, '\x01') + std::string(1, '\0') + list(ciphers) +
                             std::string("\x01\x00", 2) + u16(extensions.size()) + extensions;
    const std::string handshake = "\x01" + std::string(1, '\0') + u16(body.size()) + body;
    return "\x16\x03\x01" + u16(handshake.size()) + handshake;
}

// Sends `hello` through a CONNECT tunnel and waits for the server's first answer to it.
void sayHello(std::uint16_t port, const std::string& hello) {
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ASSERT_EQ(::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address), 0);
    const std::string connect = "CONNECT www.baidu.com:443 HTTP/1.1\r\nHost: www.baidu.com:443\r\n\r\n";
    ASSERT_EQ(::send(fd, connect.data(), connect.size(), MSG_NOSIGNAL), static_cast<ssize_t>(connect.size()));
    std::string received;
    char buffer[512];
    for (ssize_t n; received.find("\r\n\r\n") == std::string::npos && (n = ::recv(fd, buffer, sizeof buffer, 0)) > 0;) {
        received.append(buffer, static_cast<std::size_t>(n));
    }
    ASSERT_EQ(::send(fd, hello.data(), hello.size(), MSG_NOSIGNAL), static_cast<ssize_t>(hello.size()));
    EXPECT_GT(::recv(fd, buffer, sizeof buffer, 0), 0);  // a server hello or an alert: the hello was read
    ::close(fd);
}

// A form posted with libcurl, as a browser posts it, the redirect after it followed; the
// cookies it ends up with written to `jarFile`, when one is named, as libcurl writes them.
std::string postForm(const std::string& url, const std::string& form, const fs::path& jarFile = {}) {
    CURL* curl = curl_easy_init();
    std::string body;
    curl_easy_setopt(curl, CURLOPT_URL, url.c_str());
    curl_easy_setopt(curl, CURLOPT_FOLLOWLOCATION, 1L);
    curl_easy_setopt(curl, CURLOPT_COOKIEFILE, "");
    if (!jarFile.empty()) {
        curl_easy_setopt(curl, CURLOPT_COOKIEJAR, jarFile.c_str());
    }
    curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, &appendTo);
    curl_easy_setopt(curl, CURLOPT_WRITEDATA, &body);
    curl_easy_setopt(curl, CURLOPT_CAINFO, std::getenv("CURL_CA_BUNDLE"));
    curl_easy_setopt(curl, CURLOPT_COPYPOSTFIELDS, form.c_str());
    const CURLcode code = curl_easy_perform(curl);
    curl_easy_cleanup(curl);
    return code == CURLE_OK ? body : std::string("failed: ") + curl_easy_strerror(code);
}

std::string fetchWithTransport(CurlTransport& transport, const std::string& url) {
    const Expected<HttpReply> reply = transport.fetch({.url = url, .headers = {}});
    return reply ? reply->body : "failed: " + reply.reason();
}

bool holds(const std::string& text, std::string_view part) { return text.find(part) != std::string::npos; }

// fake-web as www.baidu.com and the verification host, over HTTPS through https_proxy, and
// over plain HTTP through http_proxy, with one route behind each gate and one open.
class FakeWebGatesTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        fs::remove_all(folder_);
        const testing::TestAuthority authority =
            testing::makeTestAuthority(folder_ / "ca", {"www.baidu.com", std::string(fakeweb::kVerificationHost)});
        ::setenv("CURL_CA_BUNDLE", authority.certificate.c_str(), 1);
        testing::startAsProxy(server_, authority);
    }
    static void TearDownTestSuite() {
        server_.stop();
        fs::remove_all(folder_);
    }

    static Route gated(const char* target, Gate gate) {
        return {.host = "www.baidu.com", .target = target, .body = kResults,
                .contentType = "text/html; charset=utf-8", .gate = gate};
    }

    static inline const fs::path folder_ = fs::temp_directory_path() / ("quarnel-gates-" + std::to_string(::getpid()));
    static inline fakeweb::Server server_{{
        gated("/fingerprint", Gate::Fingerprint),
        gated("/script", Gate::Script),
        gated("/s?*", Gate::Verification),
        gated("/open", Gate::None),
    }};
};

TEST_F(FakeWebGatesTest, LibcurlIsStoppedByTheFingerprintAndScriptGates) {
    CurlTransport transport;
    const std::string fingerprint = fetchWithTransport(transport, "https://www.baidu.com/fingerprint");
    EXPECT_TRUE(holds(fingerprint, "<title>百度安全验证</title>")) << fingerprint;
    EXPECT_FALSE(holds(fingerprint, kResults));
    EXPECT_TRUE(holds(fetchWithTransport(transport, "http://www.baidu.com/fingerprint"), "百度安全验证"))
        << "without TLS nothing is offered";

    const std::string script = fetchWithTransport(transport, "https://www.baidu.com/script");
    EXPECT_TRUE(holds(script, "document.cookie = \"BDJS=1; path=/\"; location.reload();")) << script;
    EXPECT_FALSE(holds(script, kResults));
    EXPECT_EQ(fetchWithTransport(transport, "https://www.baidu.com/open"), kResults);

    // The cookie the script would set is all the script gate asks for.
    const fs::path jarFile = folder_ / "script" / "cookies.txt";
    ASSERT_TRUE(CookieJar(jarFile).save({{.domain = "www.baidu.com", .name = "BDJS", .value = "1"}}).ok());
    CurlTransport withCookie({}, jarFile);
    EXPECT_EQ(fetchWithTransport(withCookie, "https://www.baidu.com/script"), kResults);
}

// Hand-made hellos, GREASE among the cipher suites or the groups or nowhere; libcurl's own.
TEST_F(FakeWebGatesTest, HellosThatOfferGreaseAreToldApart) {
    const struct {
        std::vector<std::uint16_t> ciphers;
        std::vector<std::uint16_t> groups;
        std::size_t counted;
    } cases[] = {
        {{0x3A3A, 0x1301, 0xC02F}, {0x001D}, 1},
        {{0x1301, 0xC02F}, {0xCACA, 0x001D, 0x0017}, 1},
        {{0x1301, 0x0A1A, 0xC02F}, {0x001D, 0x1A0A}, 0},
        {{0x1301, 0xC02F}, {0x001D}, 0},
    };
    for (const auto& c : cases) {
        const std::size_t before = server_.greaseHandshakes();
        sayHello(server_.port(), clientHello(c.ciphers, c.groups));
        EXPECT_EQ(server_.greaseHandshakes() - before, c.counted) << c.ciphers[0] << " " << c.groups[0];
    }
    const std::size_t before = server_.greaseHandshakes();
    CurlTransport transport;
    EXPECT_EQ(fetchWithTransport(transport, "https://www.baidu.com/open"), kResults);
    EXPECT_EQ(server_.greaseHandshakes(), before);
}

// The user presses the button once (here libcurl posts the form); the cookie it sets, in the
// jar, takes a later run straight to the results.
TEST_F(FakeWebGatesTest, TheVerificationFormSetsTheCookieThatLetsTheNextRunThrough) {
    const std::string search = "https://www.baidu.com/s?wd=site%3Aexample.com&rn=10";
    CurlTransport firstRun;
    const std::string page = fetchWithTransport(firstRun, search);
    EXPECT_TRUE(holds(page, "<title>百度安全验证</title>")) << page;
    EXPECT_TRUE(holds(page, "id=\"verify-pass\"")) << page;
    EXPECT_TRUE(holds(page, "action=\"https://wappass.baidu.com/verify\"")) << page;
    EXPECT_TRUE(holds(page, "value=\"https://www.baidu.com/s?wd=site%3Aexample.com&amp;rn=10\"")) << page;
    EXPECT_EQ(server_.requestLog().back(),
              "https://wappass.baidu.com/verify?back=https%3A%2F%2Fwww.baidu.com%2Fs%3Fwd%3Dsite%253Aexample.com%26rn%3D10");

    const fs::path jarFile = folder_ / "verified.txt";
    const std::string form = "back=https%3A%2F%2Fwww.baidu.com%2Fs%3Fwd%3Dsite%253Aexample.com%26rn%3D10";
    EXPECT_EQ(postForm("https://wappass.baidu.com/verify", form, jarFile), kResults);
    EXPECT_EQ(server_.requestLog().back(), search);
    CookieJar jar(jarFile);
    const Expected<std::vector<Cookie>> passed = jar.load();
    ASSERT_EQ(passed->size(), 1u);
    EXPECT_EQ((*passed)[0].domain, ".baidu.com");
    EXPECT_EQ((*passed)[0].name + "=" + (*passed)[0].value, fakeweb::kVerifiedCookie);

    CurlTransport nextRun({}, jarFile);
    EXPECT_EQ(fetchWithTransport(nextRun, search), kResults);
    EXPECT_EQ(server_.requestLog().back(), search) << "no detour through the verification page";

    const std::string noWayBack = postForm("https://wappass.baidu.com/verify", "back=ftp%3A%2F%2Fx%0D%0A");
    EXPECT_EQ(noWayBack, "no way back\n");
}

}  // namespace
}  // namespace quarnel
