// How the main window behaves: start-up, the links, a query run that keeps the window
// alive while its input is dropped, failed fetches, the fill tick, and the whole chain
// with libcurl and real panels against fake-web on loopback.

#include "controls/last_domain_file.h"
#include "panels/url_opener.h"
#include "window/form1.h"
#include "window/late_curl_transport.h"
// moc takes the first quote inside a raw string for its end, which throws its brace
// count off in sample_pages.h; it has no need to read these.
#ifndef Q_MOC_RUN
#include "tests/support/scripted_transport.h"
#include "tests/window/queried_site.h"
#endif
#include "tests/support/proxied_stand_in.h"

#include <QtTest>

#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QWebEnginePage>
#include <QWebEngineScript>
#include <QWebEngineView>

#include <atomic>
#include <chrono>
#include <fstream>
#include <memory>
#include <numeric>
#include <semaphore>
#include <tuple>

namespace quarnel {
namespace {

using namespace testing;

constexpr int kTimeoutMs = 20000;
const QString kSubmitted = "http://check.quarnel.example/divuv/result?url=&submit=%B2%E9%D1%AF";

fakeweb::Route gbkPage(const std::string& url, const std::string& utf8) {
    const std::size_t path = url.find('/', 7);
    return {.host = url.substr(7, path - 7), .target = url.substr(path), .body = fakeweb::toGbk(utf8)};
}

std::vector<fakeweb::Route> routes() {
    std::vector<fakeweb::Route> all{
        gbkPage("http://check.quarnel.example/divuv/?url=*",
                R"(<html><body><form action="/divuv/result" method="get"><input name="url" value="">)"
                R"(<input type="submit" name="submit" value="查询"></form></body></html>)"),
        gbkPage("http://www.quarnel.example/tb/vi60.html", "<html><body>横幅</body></html>"),
    };
    for (const auto& [url, page] : kPages) {
        all.push_back(gbkPage(url, page));
    }
    return all;
}

testing::ProxiedStandIn standIn{routes()};

QStringList qStrings(const std::vector<std::string>& strings) {
    QStringList list;
    for (const std::string& s : strings) {
        list << QString::fromStdString(s);
    }
    return list;
}

class RecordingOpener final : public UrlOpener {
public:
    void open(const std::string& url) override { urls.push_back(url); }
    std::vector<std::string> urls;
};

struct PaintCounter final : QObject {
    bool eventFilter(QObject* /*target*/, QEvent* event) override {
        count += event->type() == QEvent::Paint ? 1 : 0;
        return false;
    }
    int count = 0;
};

// The window with a last-domain file of its own.
struct Window {
    QTemporaryDir folder;
    LastDomainFile lastDomain{std::filesystem::path(folder.path().toStdString()) / "dz.txt"};
    RecordingOpener opener;
    Form1 form;
    QSignalSpy panelsCreated{&form, &Form1::panelsCreated};

    explicit Window(HttpTransport& transport) : form(transport, lastDomain, opener) {}

    template <typename T = QWidget>
    T* child(const char* name) const {
        return form.findChild<T*>(QString::fromLatin1(name));
    }
    // Shown, with the panels that come after the first paint.
    bool shown() {
        form.show();
        return QTest::qWaitForWindowExposed(&form) && (!panelsCreated.isEmpty() || panelsCreated.wait(kTimeoutMs));
    }
};

// Runs after whatever the panel has queued, in the world the window's own scripts use.
QVariant urlField(QWebEngineView& panel) {
    const auto result = std::make_shared<std::optional<QVariant>>();
    panel.page()->runJavaScript("document.getElementsByName('url')[0].value", QWebEngineScript::ApplicationWorld,
                                [result](const QVariant& value) { *result = value; });
    return QTest::qWaitFor([&result] { return result->has_value(); }, kTimeoutMs) ? **result : "<no answer>";
}

}  // namespace

class Form1BehaviourTest : public QObject {
    Q_OBJECT

    QTimer dialogWatch_;
    QStringList dialogs_;  // every modal box seen, as the watch describes it

private slots:
    void initTestCase() {
        // A modal box nobody answers would hang the test: each is noted, then answered.
        connect(&dialogWatch_, &QTimer::timeout, this, [this] {
            if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
                dialogs_ << QString("%1 | %2 | %3 | %4 | over %5")
                                .arg(box->text(), box->windowTitle(),
                                     box->standardButtons() == QMessageBox::Ok ? "OK only" : "other buttons",
                                     box->icon() == QMessageBox::NoIcon ? "no icon" : "an icon",
                                     box->parentWidget() ? box->parentWidget()->objectName() : "nothing");
                QTest::mouseClick(box->buttons().constFirst(), Qt::LeftButton);
            }
        });
        dialogWatch_.start(20);
    }
    void cleanup() { QCOMPARE(std::exchange(dialogs_, {}), QStringList()); }
    void cleanupTestCase() { standIn.server.stop(); }

    void startUpThenAClickIntoText3StartsTheFillTick() {
        testing::ScriptedTransport transport;
        Window window(transport);
        std::ofstream(window.lastDomain.path(), std::ios::binary) << "example.com\r\n";
        QVERIFY(window.shown());
        auto* text3 = window.child<QLineEdit>("Text3");
        auto* browser1 = window.child<QWebEngineView>("WebBrowser1");
        QSignalSpy ticks(window.form.findChild<QTimer*>("Timer1"), &QTimer::timeout);

        window.form.load();

        // Timer1 keeps still until Text3 is clicked.
        QTest::qWait(1500);
        QCOMPARE(ticks.count(), 0);

        // The check page comes with its url field empty: a tick fills it from Text3, which has the file's first line.
        QTest::mouseClick(text3, Qt::LeftButton);
        QTRY_COMPARE_WITH_TIMEOUT(urlField(*browser1), QVariant("example.com"), kTimeoutMs);
        // Each tick takes Text3 as it is then, as plain data; an alert would be a box cleanup() counts.
        const QString hostile = "x'\");alert(1)//";
        text3->setText(hostile);
        QTRY_COMPARE_WITH_TIMEOUT(urlField(*browser1), QVariant(hostile), kTimeoutMs);
        // Qt WebEngine needs a page's profile to outlive the page, and says so as the window goes.
        QTest::failOnWarning(QRegularExpression("Release of profile requested"));
    }

    void eachLinkOpensOneUrlForTheDomainAtTheClick() {
        testing::ScriptedTransport transport;
        Window window(transport);
        QVERIFY(window.shown());
        auto* text3 = window.child<QLineEdit>("Text3");
        text3->setText("a b\"c");
        const std::string search = "http://www.baidu.com/s?wd=site%3Aa%20b%22c";
        // Where Label7 draws a title: 宋体 bold 9 pt gives a CJK character 13 pixels, any other 7.
        const QWidget* label7 = window.child("Label7");
        const QString headings = window.child<QLabel>("Label7")->text();
        const auto pixels = [](const QString& text) {
            return std::accumulate(text.begin(), text.end(), 0,
                                   [](int sum, QChar ch) { return sum + (ch.unicode() < 0x80 ? 7 : 13); });
        };
        // Each column: its title, the value under it, the click area over both, and the one
        // URL that a click, or a double click, on the title or on the value opens.
        const std::tuple<const char*, const char*, const char*, std::string> columns[] = {
            {"今日收录", "Label4", "Label8", search + "&lm=1"},
            {"一星期收录", "Label5", "Label15", search + "&lm=7"},
            {"一月收录", "Label12", "Label16", search + "&lm=30"},
            {"所有日收录", "Label13", "Label17", search},
            {"百度快照", "Label11", "Label18", search},
            {"site:首页", "Label9", "Label19", search},
        };
        for (const auto& [title, value, link, url] : columns) {
            const QString heading = QString::fromUtf8(title);
            const QPoint titleCentre(
                label7->x() + pixels(headings.left(headings.indexOf(heading))) + pixels(heading) / 2,
                label7->geometry().center().y());
            const QPoint valueCentre = window.child(value)->geometry().center();
            QVERIFY2(std::abs(titleCentre.x() - valueCentre.x()) <= 3, title);
            for (const QPoint at : {titleCentre, valueCentre}) {
                QCOMPARE(window.form.childAt(at)->objectName(), QString(link));
                window.opener.urls.clear();
                QTest::mouseClick(window.form.windowHandle(), Qt::LeftButton, {}, at);
                QTest::mouseDClick(window.form.windowHandle(), Qt::LeftButton, {}, at);
                QVERIFY2(window.opener.urls == std::vector(2, url), title);
            }
        }
        window.opener.urls.clear();
        QTest::mouseDClick(window.form.windowHandle(), Qt::LeftButton, {}, window.child("Image1")->geometry().center());
        QCOMPARE(qStrings(window.opener.urls), QStringList{"http://check.quarnel.example"});
        // Label4's own click, for where a long caption shows past Label8, with the domain as it is then.
        text3->setText("other.example");
        window.opener.urls.clear();
        QTest::mouseClick(window.child("Label4"), Qt::LeftButton);
        QCOMPARE(qStrings(window.opener.urls), QStringList{"http://www.baidu.com/s?wd=site%3Aother.example&lm=1"});
    }

    void queryKeepsTheWindowAliveAndDropsInput() {
        testing::ScriptedTransport transport(kPages);
        // The first fetch waits on its worker thread for the test. A window fetching on its own
        // thread would never let the test go on: the fetch then ends the wait by itself.
        std::binary_semaphore firstFetch{0};
        std::atomic<int> arrived = 0;
        transport.onRequest = [&](const std::string&) {
            if (++arrived == 1) {
                (void)firstFetch.try_acquire_for(std::chrono::seconds(30));
            }
        };
        Window window(transport);
        QVERIFY(window.shown());
        auto* text3 = window.child<QLineEdit>("Text3");
        auto* command1 = window.child<QPushButton>("Command1");
        auto* label13 = window.child<QLabel>("Label13");
        text3->setText("example.co");
        QTest::keyClicks(text3, "m");  // keys sent this way land while no query runs

        QSignalSpy ticks(window.form.findChild<QTimer*>("Timer1"), &QTimer::timeout);
        PaintCounter paints;
        label13->installEventFilter(&paints);
        QSignalSpy clicked(command1, &QPushButton::clicked);
        bool checkedDuringRun = false;
        const QObject duringRun;
        QTimer::singleShot(0, &duringRun, [&] {
            // Whatever fails here, the held fetch has to go on or the run never returns.
            const auto release = qScopeGuard([&] { firstFetch.release(); });
            QTRY_COMPARE_WITH_TIMEOUT(arrived.load(), 1, kTimeoutMs);
            QCOMPARE(resultCaptions(window.form), QStringList(8, "查询中."));
            QVERIFY(QApplication::overrideCursor() && QApplication::overrideCursor()->shape() == Qt::BusyCursor);
            // Timer1 ticks and labels repaint while the fetch is out.
            const qsizetype ticked = ticks.count();
            const int painted = paints.count;
            label13->update();
            QTRY_VERIFY_WITH_TIMEOUT(ticks.count() >= ticked + 2 && paints.count > painted, kTimeoutMs);
            QTest::mouseClick(command1, Qt::LeftButton);
            QTest::keyClicks(text3, "zz");
            checkedDuringRun = true;
        });
        QTest::mouseClick(command1, Qt::LeftButton);
        QVERIFY(checkedDuringRun);
        QVERIFY(QApplication::overrideCursor() == nullptr);

        // Input during the run was dropped, not kept for later: give it two more ticks of Timer1.
        const qsizetype ticked = ticks.count();
        QTRY_VERIFY_WITH_TIMEOUT(ticks.count() >= ticked + 2, kTimeoutMs);
        QCOMPARE(clicked.count(), 1);
        QCOMPARE(text3->text(), QString::fromStdString(kDomain));
    }

    void everyFailedFetchWaitsForItsOwnBox() {
        LateCurlTransport failing("no-such-library.so", {});  // libcurl's library missing: no request completes
        Window window(failing);
        QVERIFY(window.shown());
        window.child<QLineEdit>("Text3")->setText("example.com");
        QTest::mouseClick(window.child("Command1"), Qt::LeftButton);
        // One box per fetch, each answered before the next fetch.
        const QString box = "无法连接服务器 | " + window.form.windowTitle() + " | OK only | no icon | over Form1";
        QCOMPARE(std::exchange(dialogs_, {}), QStringList(7, box));
    }

    void queryOverLoopbackAsksForEveryPageInOrder() {
        LateCurlTransport transport(LateCurlTransport::path(), {});  // as the program has it
        Window window(transport);
        // As the program starts: loaded before shown, the panels' pages asked for before the panels exist.
        std::vector<std::unique_ptr<QSignalSpy>> loaded;
        connect(&window.form, &Form1::panelsCreated, this, [&] {
            for (const char* panel : {"WebBrowser1", "WebBrowser2"}) {
                loaded.push_back(
                    std::make_unique<QSignalSpy>(window.child<QWebEngineView>(panel), &QWebEngineView::loadFinished));
            }
        });
        window.form.load();
        QVERIFY(window.shown());
        QTRY_VERIFY_WITH_TIMEOUT(loaded[0]->count() == 1 && loaded[1]->count() == 1, kTimeoutMs);
        QVERIFY(loaded[0]->first().first().toBool() && loaded[1]->first().first().toBool());
        window.child<QLineEdit>("Text3")->setText(QString::fromStdString(kDomain));
        const std::size_t start = standIn.server.requestLog().size();

        QTest::mouseClick(window.child("Command1"), Qt::LeftButton);

        const auto requestsSinceStart = [start] {
            const auto log = standIn.server.requestLog();
            return qStrings({log.begin() + static_cast<std::ptrdiff_t>(start), log.end()});
        };
        // What the outside services were asked, leaving out the panels' own requests.
        const QRegularExpression services("^http://(www\\.baidu\\.com|pr\\.quarnel\\.example)/");
        QCOMPARE(requestsSinceStart().filter(services), qStrings(kFetches));
        QCOMPARE(resultCaptions(window.form), kShownResults);
        QCOMPARE(window.child<QLineEdit>("Text1")->text(),
                 QString::fromStdString(firstResultBlock(kDomain, kSnapshot)));
        QCOMPARE(window.child<QLineEdit>("Text6")->text(), QString("该网站PR值正常"));
        QCOMPARE(window.lastDomain.read(), kDomain);
        // The run's submit click sent the check page's form, in the page's encoding.
        QTRY_VERIFY_WITH_TIMEOUT(requestsSinceStart().contains(kSubmitted), kTimeoutMs);
    }
};

}  // namespace quarnel

QTEST_MAIN(quarnel::Form1BehaviourTest)
#include "form1_behaviour_test.moc"
