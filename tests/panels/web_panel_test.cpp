#include "panels/web_panel.h"
#include "tests/support/proxied_stand_in.h"

#include <QApplication>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <QWebEnginePage>
#include <QWebEngineProfile>
#include <QWebEngineScript>
#include <QWebEngineSettings>

#include <memory>
#include <optional>
#include <utility>

namespace quarnel {
namespace {

constexpr int kTimeoutMs = 10000;
const std::string kSite = "http://check.quarnel.example";

// Every page replaces what our scripts call and turns alert() into a mark in its title,
// so a script of ours run in the page's world either fails or leaves that mark.
std::string page(const std::string& fields) {
    return fakeweb::toGbk("<form action=/result onsubmit=\"document.title += 'submitted'\">" + fields +
                          "</form><script>Object.defineProperty(Document.prototype, 'all', {get: () => () => null});"
                          "Document.prototype.getElementsByName = () => []; HTMLElement.prototype.click = () => {};"
                          "window.alert = () => document.title += 'alerted';</script>");
}

testing::ProxiedStandIn standIn{{
    {.host = "*", .target = "/check", .body = page("<input name=url><input type=submit name=submit value=查询>")},
    {.host = "*", .target = "/result*", .body = page("")},
    {.host = "*", .target = "/none", .body = page("<input name=site value=a><input type=submit>")},
    {.host = "*", .target = "/two", .body = page("<input name=url value=a><input name=url value=b>")},
    // document.all finds elements by id as well as by name.
    {.host = "*", .target = "/name-and-id", .body = page("<input name=url value=a><input id=url value=b>")},
}};

bool show(WebPanel& panel, const std::string& path) {
    QSignalSpy loaded(&panel, &QWebEngineView::loadFinished);
    panel.navigate(QByteArray::fromStdString(kSite + path));
    return loaded.wait(kTimeoutMs) && loaded.first().first().toBool();
}

// Runs after whatever the panel has queued, out of the page's reach. Shared: an answer may come after we give up.
QVariant evaluate(WebPanel& panel, const QString& script) {
    const auto result = std::make_shared<std::optional<QVariant>>();
    panel.page()->runJavaScript(script, QWebEngineScript::ApplicationWorld, [result](auto v) { *result = v; });
    return QTest::qWaitFor([&result] { return result->has_value(); }, kTimeoutMs) ? **result : "<no answer>";
}

// The values of the page's inputs, then any marks it left.
const QString kState = "Array.from(document.querySelectorAll('input'), i => i.value).join() + document.title";

}  // namespace

class WebPanelTest : public QObject {
    Q_OBJECT

    QWebEngineProfile profile_;
    QTimer dialogWatch_;
    int dialogs_ = 0;

private slots:
    void initTestCase() {
        // Icon fetches would land in the request log at unpredictable moments.
        profile_.settings()->setAttribute(QWebEngineSettings::AutoLoadIconsForPage, false);
        // A script of ours outside the page's world gets the real alert(), a modal box; count and close it.
        connect(&dialogWatch_, &QTimer::timeout, this, [this] {
            if (QWidget* dialog = QApplication::activeModalWidget()) {
                ++dialogs_;
                dialog->close();
            }
        });
        dialogWatch_.start(50);
    }
    void cleanup() { QCOMPARE(std::exchange(dialogs_, 0), 0); }
    void cleanupTestCase() { standIn.server.stop(); }

    void fillPutsAnyTextInTheFieldVerbatimAndSubmitSendsItInThePageEncoding() {
        WebPanel panel(&profile_, nullptr);
        QVERIFY(show(panel, "/check"));
        for (const QString text :
             {"example.org", "x'\");alert(1)//", "'+alert(2)+'", "\"+alert(3)+\"", "back\\slash \\u0041 \\n \\",
              "</script><script>alert(4)</script>", "sep\u2028\u2029", "中文.网"}) {
            panel.fillUrlField(text);
            QCOMPARE(evaluate(panel, kState), QVariant(text + ",查询"));
        }
        panel.fillUrlField("中文 a&b");
        panel.clickSubmit();
        QTRY_COMPARE(standIn.server.requestLog().back(), kSite + "/result?url=%D6%D0%CE%C4+a%26b&submit=%B2%E9%D1%AF");
    }

    void pagesWithoutOneUrlFieldAreLeftAlone_data() {
        QTest::addColumn<QString>("path");
        QTest::newRow("none") << "/none";
        QTest::newRow("two named url") << "/two";
        QTest::newRow("url as name and id") << "/name-and-id";
    }
    void pagesWithoutOneUrlFieldAreLeftAlone() {
        QFETCH(QString, path);
        WebPanel panel(&profile_, nullptr);
        QVERIFY(show(panel, path.toStdString()));
        const QVariant before = evaluate(panel, kState);
        panel.fillUrlField("filled");
        panel.clickSubmit();
        QCOMPARE(evaluate(panel, kState), before);
    }

    void aFreshPanelIgnoresFillAndSubmit() {
        WebPanel panel(&profile_, nullptr);
        panel.fillUrlField("filled");
        panel.clickSubmit();
        // Nothing was held back for the first page either.
        QVERIFY(show(panel, "/check"));
        QCOMPARE(evaluate(panel, kState), QVariant(",查询"));
    }
};

}  // namespace quarnel

QTEST_MAIN(quarnel::WebPanelTest)
#include "web_panel_test.moc"
