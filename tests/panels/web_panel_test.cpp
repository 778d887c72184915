#include "panels/web_panel.h"
#include "tests/support/proxied_stand_in.h"
#include "tools/fake-web/fake_web_server.h"

#include <QApplication>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <QWebEnginePage>
#include <QWebEngineProfile>
#include <QWebEngineScript>
#include <QWebEngineSettings>

#include <algorithm>
#include <memory>
#include <optional>
#include <utility>

namespace quarnel {
namespace {

constexpr int kTimeoutMs = 10000;
const std::string kSite = "http://check.quarnel.example";
const std::string kCheckPage = kSite + "/divuv/?url=example.com";

// The page's own scripts replace everything ours use, and turn alert() into a mark on the
// document. Scripts of ours that ran in the page's world would break or leave that mark.
constexpr char kHostileScript[] = R"(<script>
Object.defineProperty(Document.prototype, 'all', {get: function () { return function () { return null; }; }});
Document.prototype.getElementsByName = function () { return []; };
HTMLElement.prototype.click = function () {};
window.alert = function () { document.documentElement.dataset.alerted = '1'; };
</script>)";

// A form whose submission leaves a mark on the document before it leaves the page.
constexpr char kForm[] =
    R"(<form action="/divuv/result" method="get" onsubmit="document.documentElement.dataset.submitted = '1'">)";

std::string gbkPage(const std::string& form) {
    return fakeweb::toGbk("<html><head><title>查询</title>" + std::string(kHostileScript) + "</head><body>" + kForm +
                          form + "</form></body></html>");
}

std::vector<fakeweb::Route> routes() {
    const std::string host = "check.quarnel.example";
    return {
        {.host = host,
         .target = "/divuv/?url=example.com",
         .body = gbkPage(R"(<input name="url" value="example.com"><input type="submit" name="submit" value="查询">)")},
        {.host = host, .target = "/divuv/result*", .body = gbkPage("")},
        {.host = host,
         .target = "/no-fields",
         .body = gbkPage(R"(<input name="site" value="a"><input type="submit" value="go">)")},
        {.host = host,
         .target = "/two-named-url",
         .body =
             gbkPage(R"(<input name="url" value="a"><input name="url" value="b"><input type="submit" value="go">)")},
        // document.all finds elements by id as well as by name.
        {.host = host,
         .target = "/url-as-name-and-id",
         .body = gbkPage(R"(<input name="url" value="a"><input id="url" value="b"><input type="submit" value="go">)")},
        {.host = host, .target = "/echo*", .body = gbkPage("")},
    };
}

testing::ProxiedStandIn standIn{routes()};

std::vector<std::string> requestLog() {
    return standIn.server.requestLog();
}

bool logged(const std::string& url) {
    const auto log = requestLog();
    return std::find(log.begin(), log.end(), url) != log.end();
}

bool show(WebPanel& panel, const std::string& url) {
    QSignalSpy loaded(&panel, &QWebEngineView::loadFinished);
    panel.navigate(url);
    return loaded.wait(kTimeoutMs) && loaded.first().first().toBool();
}

// Runs after whatever the panel has queued, in the panel's world.
QVariant evaluate(WebPanel& panel, const QString& script) {
    // Shared, since an answer may still come after we stopped waiting for it.
    const auto result = std::make_shared<std::optional<QVariant>>();
    panel.page()->runJavaScript(script, QWebEngineScript::ApplicationWorld,
                                [result](const QVariant& value) { *result = value; });
    if (!QTest::qWaitFor([&result] { return result->has_value(); }, kTimeoutMs)) {
        return QStringLiteral("<no answer>");
    }
    return **result;
}

QVariant fieldValues(WebPanel& panel) {
    return evaluate(panel, "Array.from(document.querySelectorAll('input'), input => input.value).join('|')");
}

QVariant marks(WebPanel& panel) {
    return evaluate(panel, "JSON.stringify(document.documentElement.dataset)");
}

}  // namespace

class WebPanelTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanup() { QCOMPARE(std::exchange(dialogs_, 0), 0); }
    void cleanupTestCase() { standIn.server.stop(); }

    void navigateSendsTheUrlAsEncoded_data();
    void navigateSendsTheUrlAsEncoded();
    void fillPutsAnyTextInTheFieldAsData();
    void submitSendsTheFormWithTheFilledValue();
    void pagesWithoutOneUrlFieldAreLeftAlone_data();
    void pagesWithoutOneUrlFieldAreLeftAlone();
    void beforeAnyPageNothingHappens();

private:
    QWebEngineProfile profile_;
    QTimer dialogWatch_;
    int dialogs_ = 0;
};

void WebPanelTest::initTestCase() {
    // Icon fetches would land in the request log at unpredictable moments.
    profile_.settings()->setAttribute(QWebEngineSettings::AutoLoadIconsForPage, false);
    // A JavaScript dialog from a default page is a modal message box that would block the
    // test; close and count it instead.
    connect(&dialogWatch_, &QTimer::timeout, this, [this] {
        if (QWidget* dialog = QApplication::activeModalWidget()) {
            ++dialogs_;
            dialog->close();
        }
    });
    dialogWatch_.start(50);
}

void WebPanelTest::navigateSendsTheUrlAsEncoded_data() {
    QTest::addColumn<QString>("url");
    QTest::addColumn<QString>("requested");
    QTest::newRow("encoded") << "/echo?q=%E4%B8%AD%E6%96%87+%2B"
                             << "/echo?q=%E4%B8%AD%E6%96%87+%2B";
    QTest::newRow("stray percent") << "/echo?q=100%"
                                   << "/echo?q=100%25";
    QTest::newRow("raw space") << "/echo?q=a b"
                               << "/echo?q=a%20b";
}

void WebPanelTest::navigateSendsTheUrlAsEncoded() {
    QFETCH(QString, url);
    QFETCH(QString, requested);
    WebPanel panel(&profile_, nullptr);
    QVERIFY(show(panel, kSite + url.toStdString()));
    QVERIFY(logged(kSite + requested.toStdString()));
}

void WebPanelTest::fillPutsAnyTextInTheFieldAsData() {
    WebPanel panel(&profile_, nullptr);
    QVERIFY(show(panel, kCheckPage));
    const QString texts[] = {
        "example.org",
        "",
        "x'\");alert(1)//",
        "'+alert(2)+'",
        "\"+alert(3)+\"",
        R"(back\slash \u0041 \n \)",
        "</script><script>alert(4)</script>",
        "line\nbreaks\r\n",
        QString("separators") + QChar(0x2028) + QChar(0x2029),
        "中文.网",
    };
    for (const QString& text : texts) {
        panel.fillUrlField(text);
        // Text inputs drop line breaks from any value they are given.
        const QString expected = QString(text).remove('\n').remove('\r');
        QCOMPARE(evaluate(panel, "document.getElementsByName('url')[0].value"), QVariant(expected));
    }
    QCOMPARE(marks(panel), QVariant("{}"));
}

void WebPanelTest::submitSendsTheFormWithTheFilledValue() {
    WebPanel panel(&profile_, nullptr);
    QVERIFY(show(panel, kCheckPage));
    panel.fillUrlField("中文.网 a&b");
    panel.clickSubmit();
    // The form goes out in the page's own encoding, GBK.
    QTRY_VERIFY_WITH_TIMEOUT(logged(kSite + "/divuv/result?url=%D6%D0%CE%C4.%CD%F8+a%26b&submit=%B2%E9%D1%AF"),
                             kTimeoutMs);
}

void WebPanelTest::pagesWithoutOneUrlFieldAreLeftAlone_data() {
    QTest::addColumn<QString>("path");
    QTest::newRow("no fields") << "/no-fields";
    QTest::newRow("two named url") << "/two-named-url";
    QTest::newRow("url as name and id") << "/url-as-name-and-id";
}

void WebPanelTest::pagesWithoutOneUrlFieldAreLeftAlone() {
    QFETCH(QString, path);
    WebPanel panel(&profile_, nullptr);
    QVERIFY(show(panel, kSite + path.toStdString()));
    const QVariant before = fieldValues(panel);
    const auto requests = requestLog().size();

    panel.fillUrlField("filled");
    panel.clickSubmit();

    QCOMPARE(fieldValues(panel), before);
    QCOMPARE(marks(panel), QVariant("{}"));
    QCOMPARE(requestLog().size(), requests);
}

void WebPanelTest::beforeAnyPageNothingHappens() {
    WebPanel panel(&profile_, nullptr);
    const auto requests = requestLog().size();
    panel.fillUrlField("filled");
    panel.clickSubmit();
    QCOMPARE(evaluate(panel, "document.URL"), QVariant("about:blank"));
    QCOMPARE(requestLog().size(), requests);

    // Nothing was held back for the first page either.
    QVERIFY(show(panel, kCheckPage));
    QCOMPARE(fieldValues(panel), QVariant("example.com|查询"));
    QCOMPARE(marks(panel), QVariant("{}"));
}

}  // namespace quarnel

QTEST_MAIN(quarnel::WebPanelTest)
#include "web_panel_test.moc"
