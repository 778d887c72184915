// The browser engine in this process: what a page's scripts leave is what is read, the
// limits of a load, and the cookies it shares with the jar.
#include "browser/browser_session.h"
#include "fetch/cookie_jar.h"
#include "tests/support/proxied_stand_in.h"

#include <QtTest>

#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <optional>

namespace quarnel {
namespace {

using namespace std::chrono_literals;

constexpr int kTimeoutMs = 60000;
const std::string kSite = "http://pages.quarnel.example";

// A script that leaves its mark in the document, so a reply holding it was read after scripts ran.
const std::string kMarkingScript =
    "<script>document.body.setAttribute('data-ua', navigator.userAgent);"
    "document.body.append('made by script; lang=' + navigator.languages.join('|'))</script>";

fakeweb::Route utf8Page(const char* target, std::string body, int status = 200, std::string setCookie = "") {
    return {.host = "*", .target = target, .status = status, .body = std::move(body),
            .contentType = "text/html; charset=utf-8", .setCookie = std::move(setCookie)};
}

testing::ProxiedStandIn standIn{{
    utf8Page("/first", "<html><body>wait<script>document.cookie = 'passed=1; path=/';"
                       " setTimeout(() => location.replace('/second'), 1000)</script></body></html>"),
    utf8Page("/second", "<html><body>results " + kMarkingScript + "</body></html>", 200, "server=2; Path=/"),
    utf8Page("/restless", "<html><body><script>setTimeout(() => location.reload(), 100)</script></body></html>"),
    utf8Page("/missing", "<html><body>no such page</body></html>", 404),
    utf8Page("/escape", "<html><body>stayed<script>location.href = 'file:///etc/passwd'</script></body></html>"),
    {.host = "*", .target = "/dropped", .reply = fakeweb::Reply::Drop},
}};

Expected<HttpReply> load(BrowserSession& session, const HttpRequest& request) {
    std::optional<Expected<HttpReply>> reply;
    session.load(request, [&](Expected<HttpReply> loaded) { reply = std::move(loaded); });
    if (!QTest::qWaitFor([&] { return reply.has_value(); }, kTimeoutMs)) {
        return Failure{"no reply in time"};
    }
    return std::move(*reply);
}

// QVERIFY2 reads its message whether or not the check fails.
const char* reasonOf(const Expected<HttpReply>& reply) {
    return reply.ok() ? "" : reply.reason().c_str();
}

HttpRequest get(const std::string& path, bool keepCookies = false) {
    return {.url = kSite + path, .headers = {"Accept-Language: zh-CN,zh;q=0.9"}, .keepCookies = keepCookies};
}

}  // namespace

class BrowserSessionTest : public QObject {
    Q_OBJECT

    const std::filesystem::path folder_ =
        std::filesystem::temp_directory_path() / ("quarnel-browser-session-" + std::to_string(::getpid()));
    const std::filesystem::path jar_ = folder_ / "cookies.txt";

private slots:
    void init() { std::filesystem::create_directories(folder_); }
    void cleanup() { std::filesystem::remove_all(folder_); }
    void cleanupTestCase() { standIn.server.stop(); }

    // The redirect comes a second after the first page has loaded: within the quiet time
    // asked for here, which is far longer than the redirect could ever be late.
    void whatIsReadIsTheDocumentTheScriptsLeftAfterTheirRedirect() {
        BrowserSession session(jar_, {.settle = 4s});
        const Expected<HttpReply> reply = load(session, get("/first"));
        QVERIFY2(reply.ok(), reasonOf(reply));
        QCOMPARE(reply->status, 200);
        QCOMPARE(reply->contentType, "text/html; charset=utf-8");
        QVERIFY2(reply->body.find("results") != std::string::npos, reply->body.c_str());
        QVERIFY2(reply->body.find("made by script; lang=zh-CN|zh") != std::string::npos, reply->body.c_str());
        // Chrome's own User-Agent: the engine does not name itself.
        QVERIFY2(reply->body.find("Chrome/") != std::string::npos, reply->body.c_str());
        QVERIFY2(reply->body.find("QtWebEngine") == std::string::npos, reply->body.c_str());
        const auto log = standIn.server.requestLog();
        const auto second = std::find(log.begin(), log.end(), kSite + "/second");
        QVERIFY(second != log.end());
        QCOMPARE(QString::fromStdString(standIn.server.cookieLog()[static_cast<std::size_t>(second - log.begin())]),
                 QString("passed=1"));
    }

    void aPageThatCannotBeHadFailsWithTheReason_data() {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("reason");
        QTest::newRow("never settles") << "/restless" << "the page did not settle within 6 s";
        QTest::newRow("over the limit") << "/second" << "the page's HTML is larger than 100 bytes";
        QTest::newRow("no answer") << "/dropped" << "(-324)";  // net::ERR_EMPTY_RESPONSE
    }
    void aPageThatCannotBeHadFailsWithTheReason() {
        QFETCH(QString, path);
        QFETCH(QString, reason);
        // The restless page reloads every 100 ms: a quiet time far longer than that is never reached.
        const bool small = path == "/second";
        BrowserSession session({}, {.settle = 2s, .total = 6s, .maxHtmlBytes = small ? 100u : 1u << 20});
        const Expected<HttpReply> reply = load(session, get(path.toStdString()));
        QVERIFY2(!reply.ok(), reply.ok() ? reply->body.c_str() : "");
        QVERIFY2(QString::fromStdString(reply.reason()).endsWith(reason), reasonOf(reply));
    }

    void anAnswerThatIsNoSuccessIsStillAPageAndOnlyHttpIsFollowed_data() {
        QTest::addColumn<QString>("path");
        QTest::addColumn<long>("status");
        QTest::addColumn<QString>("text");
        QTest::newRow("404 with a page") << "/missing" << 404L << "no such page";
        QTest::newRow("script to a file") << "/escape" << 200L << "stayed";
    }
    void anAnswerThatIsNoSuccessIsStillAPageAndOnlyHttpIsFollowed() {
        QFETCH(QString, path);
        QFETCH(long, status);
        QFETCH(QString, text);
        BrowserSession session({});
        const Expected<HttpReply> reply = load(session, get(path.toStdString()));
        QVERIFY2(reply.ok(), reasonOf(reply));
        QCOMPARE(reply->status, status);
        QVERIFY2(reply->body.find(text.toStdString()) != std::string::npos, reply->body.c_str());
    }

    void cookiesOfPagesThatKeepThemGoIntoTheJarAndComeBackFromIt() {
        {
            // /first's redirect to /second, which sets the server's cookie, comes a second after the load.
            BrowserSession session(jar_, {.settle = 4s});
            QVERIFY(load(session, get("/first", false)).ok());
            QVERIFY2(!std::filesystem::exists(jar_), "a page that keeps no cookies wrote the jar");
            QVERIFY(load(session, get("/first", true)).ok());
        }
        const Expected<std::vector<Cookie>> saved = CookieJar(jar_).load();
        QVERIFY(saved.ok());
        QStringList names;
        for (const Cookie& cookie : *saved) {
            names << QString::fromStdString(cookie.domain + " " + cookie.name + "=" + cookie.value);
        }
        names.sort();
        QCOMPARE(names, QStringList({"pages.quarnel.example passed=1", "pages.quarnel.example server=2"}));

        BrowserSession next(jar_);
        QVERIFY(load(next, get("/second", true)).ok());
        QCOMPARE(QString::fromStdString(standIn.server.cookieLog().back()), QString("passed=1; server=2"));
    }
};

}  // namespace quarnel

QTEST_MAIN(quarnel::BrowserSessionTest)
#include "browser_session_test.moc"
