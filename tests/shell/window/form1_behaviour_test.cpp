// How the main window behaves: start-up, the links, a query run that keeps the window
// alive while its input is dropped, failed fetches, the fill tick, and the whole chain
// with libcurl and real panels against fake-web on loopback.

#include "fetch/curl_transport.h"
#include "panels/url_opener.h"
#include "shell/last_domain_file.h"
#include "shell/window/form1.h"
// moc takes the first quote inside a raw string for its end, which throws its brace
// count off in sample_pages.h; it has no need to read these.
#ifndef Q_MOC_RUN
#include "tests/support/sample_pages.h"
#include "tests/support/scripted_transport.h"
#endif
#include "tests/support/proxied_stand_in.h"
#include "tools/fake-web/fake_web_server.h"

#include <QtTest>

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QWebEnginePage>
#include <QWebEngineScript>
#include <QWebEngineView>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <fstream>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace quarnel {
namespace {

constexpr int kTimeoutMs = 20000;
constexpr const char* kResultLabelNames[] = {"Label1", "Label2",  "Label4",  "Label5",
                                             "Label9", "Label11", "Label12", "Label13"};
const std::string kSnapshot = "2026-12-5";
const QString kSubmitted = "http://check.quarnel.example/divuv/result?url=&submit=%B2%E9%D1%AF";

// One site the services know, and what a query of it shows.
struct Site {
    std::string domain;
    std::string pageRank;
    std::string remark;
    std::string hijacker;  // empty: the lookup page names none
    std::string verdict;   // Label2
    std::size_t fetches;
};
const Site kSites[] = {
    {"example.com", "3", "该网站PR值正常", "", "pr真实", 7},
    {"maybe.example", "5", "PR可能是劫持的", "http://thief.example/", "可能是劫持http://thief.example/", 8},
};

std::vector<std::string> expectedFetches(const Site& site) {
    const std::string search = "http://www.baidu.com/s?wd=site%3A" + site.domain;
    const std::string lookup = "http://pr.quarnel.example/querypr.asp?url=" + site.domain;
    std::vector<std::string> urls{search + "&lm=1", search + "&lm=7", search + "&lm=30", search, search};
    urls.resize(site.fetches, lookup);
    return urls;
}

// Every page a query of `site` asks for, in UTF-8.
std::vector<std::pair<std::string, std::string>> sitePages(const Site& site) {
    const auto urls = expectedFetches(site);
    const std::string hijack = site.hijacker.empty() ? "" : testing::hijackLink(site.domain, site.hijacker);
    return {{urls[0], testing::countPage("12")},
            {urls[1], testing::countPage("345")},
            {urls[2], testing::countPage("6,789")},
            {urls[3], testing::searchPage("10,000", site.domain, kSnapshot)},
            {urls[5], testing::pageRankPage(site.pageRank, site.remark, hijack)}};
}

fakeweb::Route gbkPage(std::string host, std::string target, const std::string& utf8) {
    return {.host = std::move(host), .target = std::move(target), .body = fakeweb::toGbk(utf8)};
}

std::vector<fakeweb::Route> routes() {
    std::vector<fakeweb::Route> all{
        gbkPage("check.quarnel.example", "/divuv/?url=*",
                R"(<html><body><form action="/divuv/result" method="get"><input name="url" value="">)"
                R"(<input type="submit" name="submit" value="查询"></form></body></html>)"),
        gbkPage("check.quarnel.example", "/divuv/result*", "<html><body>结果</body></html>"),
        gbkPage("www.quarnel.example", "/tb/vi60.html", "<html><body>横幅</body></html>"),
    };
    for (const Site& site : kSites) {
        for (const auto& [url, page] : sitePages(site)) {
            const std::size_t path = url.find('/', 7);
            all.push_back(gbkPage(url.substr(7, path - 7), url.substr(path), page));
        }
    }
    return all;
}

testing::ProxiedStandIn standIn{routes()};

// The requests fake-web has seen since its log had `start` entries.
QStringList requestsSince(std::size_t start) {
    const auto log = standIn.server.requestLog();
    QStringList seen;
    for (std::size_t i = start; i < log.size(); ++i) {
        seen << QString::fromStdString(log[i]);
    }
    return seen;
}

QStringList qStrings(const std::vector<std::string>& strings) {
    QStringList list;
    for (const std::string& s : strings) {
        list << QString::fromStdString(s);
    }
    return list;
}

void serveSites(testing::ScriptedTransport& transport) {
    for (const Site& site : kSites) {
        for (const auto& [url, page] : sitePages(site)) {
            transport.serve(url, page);
        }
    }
}

// Holds each request on the worker thread until the test opens it. A window that fetched
// on its own thread would never let the test do so: after a generous wait the gate opens
// by itself, and the test fails instead of hanging.
class Gate {
public:
    void pass() {
        ++arrived;
        std::unique_lock lock(mutex_);
        opened_.wait_for(lock, std::chrono::seconds(30), [this] { return open_; });
        open_ = true;
    }
    void open() {
        const std::lock_guard lock(mutex_);
        open_ = true;
        opened_.notify_all();
    }
    std::atomic<int> arrived = 0;

private:
    std::mutex mutex_;
    std::condition_variable opened_;
    bool open_ = false;
};

class RecordingOpener final : public UrlOpener {
public:
    void open(const std::string& url) override { urls.push_back(url); }
    std::vector<std::string> urls;
};

class PaintCounter final : public QObject {
public:
    int count = 0;

protected:
    bool eventFilter(QObject*, QEvent* event) override {
        count += event->type() == QEvent::Paint ? 1 : 0;
        return false;
    }
};

// The window with a last-domain file of its own.
struct Window {
    QTemporaryDir folder;
    LastDomainFile lastDomain{std::filesystem::path(folder.path().toStdString()) / "dz.txt"};
    RecordingOpener opener;
    Form1 form;

    explicit Window(HttpTransport& transport) : form(transport, lastDomain, opener) {}

    template <typename T = QWidget>
    T* child(const char* name) const {
        return form.findChild<T*>(QString::fromLatin1(name));
    }
    void remember(const std::string& content) const { std::ofstream(lastDomain.path(), std::ios::binary) << content; }
};

// Runs after whatever the panel has queued, in the world the window's own scripts use.
QVariant urlField(QWebEngineView& panel) {
    const auto result = std::make_shared<std::optional<QVariant>>();
    panel.page()->runJavaScript("document.getElementsByName('url')[0].value", QWebEngineScript::ApplicationWorld,
                                [result](const QVariant& value) { *result = value; });
    if (!QTest::qWaitFor([&result] { return result->has_value(); }, kTimeoutMs)) {
        return QStringLiteral("<no answer>");
    }
    return **result;
}

QStringList resultCaptions(const Window& window) {
    QStringList captions;
    for (const char* name : kResultLabelNames) {
        captions << window.child<QLabel>(name)->text();
    }
    return captions;
}

// What a finished run of `site` leaves in the window and in the file.
void checkResults(const Window& window, const Site& site) {
    QCOMPARE(resultCaptions(window),
             qStrings({site.pageRank, site.verdict, "12", "345", "首页第一", kSnapshot, "6,789", "10,000"}));
    QCOMPARE(window.child<QLineEdit>("Text1")->text(),
             QString::fromStdString(testing::firstResultBlock(site.domain, kSnapshot)));
    QCOMPARE(window.child<QLineEdit>("Text6")->text(), QString::fromStdString(site.remark));
    QCOMPARE(QString::fromStdString(window.lastDomain.read()), QString::fromStdString(site.domain));
}

}  // namespace

class Form1BehaviourTest : public QObject {
    Q_OBJECT

private slots:
    void cleanup() { QCOMPARE(std::exchange(unexpectedDialogs_, 0), 0); }
    void cleanupTestCase() { standIn.server.stop(); }

    void queryKeepsTheWindowAliveAndDropsInput_data() { sites(); }
    void queryOverLoopbackAsksForEveryPageInOrder_data() { sites(); }

    void initTestCase() {
        // A modal box nobody answers would hang the test: expected ones are noted and answered
        // with OK, anything else (a JavaScript alert too) is counted and closed.
        connect(&dialogWatch_, &QTimer::timeout, this, [this] {
            QWidget* dialog = QApplication::activeModalWidget();
            if (dialog == nullptr) {
                return;
            }
            auto* box = qobject_cast<QMessageBox*>(dialog);
            if (box == nullptr || !boxesExpected_) {
                ++unexpectedDialogs_;
                auto* modal = qobject_cast<QDialog*>(dialog);
                modal != nullptr ? modal->reject() : void(dialog->close());
                return;
            }
            const bool okOnly = box->buttons().size() == 1 && box->standardButtons() == QMessageBox::Ok;
            boxes_ << QString("%1 | %2 | %3 | icon %4 | over %5 | after %6 requests")
                          .arg(box->text(), box->windowTitle(), okOnly ? "OK only" : "other buttons")
                          .arg(box->icon())
                          .arg(box->parentWidget() ? box->parentWidget()->objectName() : "nothing")
                          .arg(boxesExpected_());
            if (QAbstractButton* ok = box->button(QMessageBox::Ok)) {
                QTest::mouseClick(ok, Qt::LeftButton);
            } else {
                box->reject();
            }
        });
        dialogWatch_.start(20);
    }

    void loadShowsTheRememberedDomainAndItsPages_data() {
        QTest::addColumn<QByteArray>("content");  // null: no file
        QTest::addColumn<QString>("text3");
        QTest::addColumn<QString>("checkPage");
        const QString check = "http://check.quarnel.example/divuv/?url=";
        QTest::newRow("no file") << QByteArray() << "www.quarnel.example" << check + "www.quarnel.example";
        QTest::newRow("first line empty")
            << QByteArray("\nexample.org\n") << "www.quarnel.example" << check + "www.quarnel.example";
        QTest::newRow("spaces") << QByteArray("   \n") << "   " << check + "%20%20%20";
        QTest::newRow("remembered") << QByteArray("example.com\r\n") << "example.com" << check + "example.com";
    }

    void loadShowsTheRememberedDomainAndItsPages() {
        QFETCH(QByteArray, content);
        QFETCH(QString, text3);
        QFETCH(QString, checkPage);
        testing::ScriptedTransport transport;
        Window window(transport);
        if (!content.isNull()) {
            window.remember(content.toStdString());
        }
        auto* browser1 = window.child<QWebEngineView>("WebBrowser1");
        auto* browser2 = window.child<QWebEngineView>("WebBrowser2");
        auto* browser3 = window.child<QWebEngineView>("WebBrowser3");
        QVERIFY(browser1 && browser2 && browser3);
        QSignalSpy loaded1(browser1, &QWebEngineView::loadFinished);
        QSignalSpy loaded2(browser2, &QWebEngineView::loadFinished);
        QSignalSpy started3(browser3, &QWebEngineView::loadStarted);
        const std::size_t start = standIn.server.requestLog().size();

        window.form.load();

        QCOMPARE(window.child<QLineEdit>("Text3")->text(), text3);
        QTRY_VERIFY_WITH_TIMEOUT(!loaded1.isEmpty() && !loaded2.isEmpty(), kTimeoutMs);
        QVERIFY(loaded1.first().first().toBool() && loaded2.first().first().toBool());
        QCOMPARE(QString::fromUtf8(browser1->url().toEncoded()), checkPage);
        QCOMPARE(QString::fromUtf8(browser2->url().toEncoded()), QString("http://www.quarnel.example/tb/vi60.html"));
        QVERIFY(requestsSince(start).contains(checkPage));
        QCOMPARE(started3.count(), 0);
        QVERIFY2(browser3->url().isEmpty() || browser3->url() == QUrl("about:blank"),
                 qPrintable(browser3->url().toString()));
        QVERIFY(transport.requests.empty());
    }

    void eachLinkOpensOneUrlForTheDomainAtTheClick() {
        testing::ScriptedTransport transport;
        Window window(transport);
        window.form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window.form));
        auto* text3 = window.child<QLineEdit>("Text3");
        const std::string search = "http://www.baidu.com/s?wd=site%3Aa%20b%22c";
        struct Link {
            const char* name;
            const char* inFront;  // what takes the mouse at the link's centre
            std::string url;
        };
        const Link links[] = {
            {"Label8", "Label8", search + "&lm=1"},   {"Label4", "Label8", search + "&lm=1"},
            {"Label15", "Label15", search + "&lm=7"}, {"Label16", "Label16", search + "&lm=30"},
            {"Label17", "Label17", search},           {"Label18", "Label18", search},
            {"Label19", "Label19", search},           {"Image1", "Image1", "http://check.quarnel.example"},
        };
        text3->setText("a b\"c");
        for (const Link& link : links) {
            const QWidget* widget = window.child(link.name);
            QVERIFY2(widget, link.name);
            const QPoint centre = widget->geometry().center();
            QWidget* target = window.form.childAt(centre);
            QVERIFY2(target && target->objectName() == link.inFront, link.name);
            window.opener.urls.clear();
            QTest::mouseClick(target, Qt::LeftButton, {}, target->mapFrom(&window.form, centre));
            QVERIFY2(window.opener.urls == std::vector{link.url}, link.name);
        }

        // Label4's own click, and the domain as Text3 holds it at that moment.
        text3->setText("other.example");
        window.opener.urls.clear();
        QTest::mouseClick(window.child("Label4"), Qt::LeftButton);
        QCOMPARE(qStrings(window.opener.urls), QStringList{"http://www.baidu.com/s?wd=site%3Aother.example&lm=1"});
    }

    void queryKeepsTheWindowAliveAndDropsInput() {
        QFETCH(int, site);
        const Site& s = kSites[site];
        const QString domain = QString::fromStdString(s.domain);
        testing::ScriptedTransport transport;
        serveSites(transport);
        Gate gate;
        transport.onRequest = [&gate](const std::string&) { gate.pass(); };
        Window window(transport);
        window.form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window.form));
        auto* text3 = window.child<QLineEdit>("Text3");
        auto* command1 = window.child<QPushButton>("Command1");
        auto* label13 = window.child<QLabel>("Label13");
        QVERIFY(text3 && command1 && label13);

        // Keys sent this way do land while no query runs.
        text3->setText(domain.chopped(1));
        QTest::keyClicks(text3, domain.right(1));
        QCOMPARE(text3->text(), domain);

        auto* timer1 = window.form.findChild<QTimer*>("Timer1");
        QVERIFY(timer1);
        QSignalSpy ticks(timer1, &QTimer::timeout);
        PaintCounter paints;
        label13->installEventFilter(&paints);
        QSignalSpy clicked(command1, &QPushButton::clicked);
        bool checkedDuringRun = false;
        const QObject duringRun;
        QTimer::singleShot(0, &duringRun, [&] {
            // Whatever fails here, the held fetch has to go on or the run never returns.
            const auto release = qScopeGuard([&] { gate.open(); });
            QTRY_COMPARE_WITH_TIMEOUT(gate.arrived.load(), 1, kTimeoutMs);
            QVERIFY(window.form.queryInProgress());
            QCOMPARE(resultCaptions(window), QStringList(8, "查询中."));
            QVERIFY(QApplication::overrideCursor() && QApplication::overrideCursor()->shape() == Qt::BusyCursor);

            // Timer1 ticks and labels repaint while the fetch is out.
            const qsizetype ticked = ticks.count();
            const int painted = paints.count;
            label13->update();
            QTRY_VERIFY_WITH_TIMEOUT(ticks.count() >= ticked + 2 && paints.count > painted, kTimeoutMs);
            QCOMPARE(timer1->interval(), 500);

            QTest::mouseClick(command1, Qt::LeftButton);
            QTest::keyClicks(text3, "zz");
            QCOMPARE(clicked.count(), 0);
            QCOMPARE(text3->text(), domain);
            QCOMPARE(gate.arrived.load(), 1);
            checkedDuringRun = true;
        });
        QTest::mouseClick(command1, Qt::LeftButton);
        QVERIFY(checkedDuringRun);
        QVERIFY(!window.form.queryInProgress());
        QVERIFY(QApplication::overrideCursor() == nullptr);

        // What was dropped does not come back later: give it two more ticks of Timer1.
        const qsizetype ticked = ticks.count();
        QTRY_VERIFY_WITH_TIMEOUT(ticks.count() >= ticked + 2, kTimeoutMs);
        QCOMPARE(clicked.count(), 1);
        QCOMPARE(text3->text(), domain);
        QCOMPARE(qStrings(transport.requests), qStrings(expectedFetches(s)));
        checkResults(window, s);
    }

    void everyFailedFetchWaitsForItsOwnBox() {
        testing::ScriptedTransport failing;  // nothing scripted: no request completes
        Window window(failing);
        window.form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window.form));
        window.child<QLineEdit>("Text3")->setText("example.com");
        boxes_.clear();
        boxesExpected_ = [&failing] { return failing.requests.size(); };
        const auto stopExpecting = qScopeGuard([this] { boxesExpected_ = nullptr; });

        QTest::mouseClick(window.child("Command1"), Qt::LeftButton);

        // One box per fetch, and the next fetch waits until it is answered.
        QStringList expected;
        for (int i = 1; i <= 7; ++i) {
            expected << QString("无法连接服务器 | %1 | OK only | icon %2 | over Form1 | after %3 requests")
                            .arg(window.form.windowTitle())
                            .arg(QMessageBox::NoIcon)
                            .arg(i);
        }
        QCOMPARE(boxes_, expected);
        QCOMPARE(resultCaptions(window), QStringList(8, "查询中."));
        QCOMPARE(QString::fromStdString(window.lastDomain.read()), QString("example.com"));
    }

    void clickIntoText3StartsTheFillTick() {
        testing::ScriptedTransport transport;
        Window window(transport);
        window.form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window.form));
        auto* text3 = window.child<QLineEdit>("Text3");
        auto* browser1 = window.child<QWebEngineView>("WebBrowser1");
        auto* timer1 = window.form.findChild<QTimer*>("Timer1");
        QVERIFY(text3 && browser1 && timer1);
        QSignalSpy ticks(timer1, &QTimer::timeout);
        QSignalSpy loaded(browser1, &QWebEngineView::loadFinished);
        window.form.load();
        QTRY_VERIFY_WITH_TIMEOUT(!loaded.isEmpty(), kTimeoutMs);

        // Until Text3 is clicked, three ticks of a 500 ms clock of our own pass without one of Timer1.
        QTimer reference;
        QSignalSpy referenceTicks(&reference, &QTimer::timeout);
        reference.start(500);
        QTRY_VERIFY_WITH_TIMEOUT(referenceTicks.count() >= 3, kTimeoutMs);
        QCOMPARE(ticks.count(), 0);
        QCOMPARE(urlField(*browser1), QVariant(""));

        QTest::mouseClick(text3, Qt::LeftButton);
        QTRY_COMPARE_WITH_TIMEOUT(urlField(*browser1), QVariant("www.quarnel.example"), kTimeoutMs);
        QVERIFY(timer1->isActive());
        QCOMPARE(timer1->interval(), 500);

        // Each tick takes Text3 as it is then, as plain data; an alert would be a box cleanup() counts.
        const QString hostile = "x'\");alert(1)//";
        text3->setText(hostile);
        QTRY_COMPARE_WITH_TIMEOUT(urlField(*browser1), QVariant(hostile), kTimeoutMs);
    }

    void queryOverLoopbackAsksForEveryPageInOrder() {
        QFETCH(int, site);
        const Site& s = kSites[site];
        CurlTransport transport;
        Window window(transport);
        window.remember("old.example\n");
        auto* browser1 = window.child<QWebEngineView>("WebBrowser1");
        QSignalSpy loaded(browser1, &QWebEngineView::loadFinished);
        window.form.load();
        window.form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window.form));
        QTRY_VERIFY_WITH_TIMEOUT(!loaded.isEmpty(), kTimeoutMs);
        QVERIFY(loaded.first().first().toBool());
        window.child<QLineEdit>("Text3")->setText(QString::fromStdString(s.domain));
        const std::size_t start = standIn.server.requestLog().size();

        QTest::mouseClick(window.child("Command1"), Qt::LeftButton);

        // What the outside services were asked, leaving out the panels' own requests.
        const QRegularExpression services("^http://(www\\.baidu\\.com|pr\\.quarnel\\.example)/");
        QCOMPARE(requestsSince(start).filter(services), qStrings(expectedFetches(s)));
        checkResults(window, s);
        if (QTest::currentTestFailed()) {
            return;
        }
        // The run's submit click sent the check page's form, in the page's encoding.
        QTRY_VERIFY_WITH_TIMEOUT(requestsSince(start).contains(kSubmitted), kTimeoutMs);
    }

    void closingTheWindowReleasesItsPagesBeforeTheirProfile() {
        testing::ScriptedTransport transport;
        auto window = std::make_unique<Window>(transport);
        QSignalSpy loaded(window->child<QWebEngineView>("WebBrowser1"), &QWebEngineView::loadFinished);
        window->form.load();
        QTRY_VERIFY_WITH_TIMEOUT(!loaded.isEmpty(), kTimeoutMs);
        // Qt WebEngine needs a page's profile to outlive the page, and says so when it does not.
        QTest::failOnWarning(QRegularExpression("Release of profile requested"));
        window.reset();
    }

private:
    static void sites() {
        QTest::addColumn<int>("site");
        QTest::newRow("genuine PageRank") << 0;
        QTest::newRow("remark says maybe") << 1;
    }

    QTimer dialogWatch_;
    int unexpectedDialogs_ = 0;
    std::function<std::size_t()> boxesExpected_;  // while boxes are expected: the requests made so far
    QStringList boxes_;
};

}  // namespace quarnel

QTEST_MAIN(quarnel::Form1BehaviourTest)
#include "form1_behaviour_test.moc"
