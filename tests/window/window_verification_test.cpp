// The 安全验证 window, with the current rules against Baidu behind fake-web's verification
// gate: every search is sent to a verification page on another host until the browser
// carries the cookie its button leaves. The person either closes the window or presses
// the button; the command line then uses the jar the window filled.
#include "controls/last_domain_file.h"
#include "window/form1.h"
#include "window/late_browser_transport.h"
#include "window/late_curl_transport.h"
#ifndef Q_MOC_RUN
#include "tests/support/recording_waits.h"
#include "tests/window/gated_site.h"
#include "tests/window/queried_site.h"
#endif

#include <QtTest>

#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QWebEngineView>

#include <functional>
#include <memory>

namespace quarnel {
namespace {

namespace fs = std::filesystem;
using testing::CurrentSite;

testing::GatedSite site("quarnel-window-verification", fakeweb::Gate::Verification, fakeweb::Gate::Verification);

// What a query left: the result captions, each 安全验证 window as it showed itself (title
// and line), and the boxes shown at its end.
struct QueryWatched {
    QStringList captions;
    QStringList windows;
    QStringList boxes;
};

}  // namespace

class WindowVerificationTest : public QObject {
    Q_OBJECT

private:
    using Person = std::function<void(QDialog& window, QWebEngineView& view)>;

    // One query of the site in a new window sharing the test's browser engine. Each time
    // a 安全验证 window shows, `person` is told what it shows, every few milliseconds until
    // the window is gone; a box is noted and answered.
    QueryWatched query(const Person& person) {
        QTemporaryDir folder;
        const LastDomainFile lastDomain(fs::path(folder.path().toStdString()) / "dz.txt");
        testing::NoOpener opener;
        testing::RecordingWaits waits;  // current's pauses between searches pass at once
        Form1 form(*transport_, lastDomain, opener, {}, {.profile = {}, .waits = &waits, .browser = browser_.get()});
        form.show();
        QueryWatched watched;
        QDialog* shownBefore = nullptr;
        QTimer watch;
        connect(&watch, &QTimer::timeout, this, [&] {
            if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
                watched.boxes << box->text();
                box->accept();
                return;
            }
            auto* window = form.findChild<QDialog*>(QStringLiteral("VerificationDialog"));
            if (window == nullptr || !window->isVisible()) {
                shownBefore = nullptr;
                return;
            }
            if (std::exchange(shownBefore, window) != window) {
                watched.windows << window->windowTitle() + " | " +
                                       window->findChild<QLabel*>(QStringLiteral("Instruction"))->text();
            }
            person(*window, *window->findChild<QWebEngineView*>());
        });
        watch.start(20);
        form.findChild<QLineEdit*>("Text3")->setText(CurrentSite::kDomain);
        QTest::mouseClick(form.findChild<QWidget*>("Command1"), Qt::LeftButton);
        watched.captions = testing::resultCaptions(form);
        return watched;
    }

    std::unique_ptr<LateBrowserTransport> browser_;
    std::unique_ptr<LateCurlTransport> transport_;

private slots:
    void initTestCase() {
        browser_ = std::make_unique<LateBrowserTransport>(LateBrowserTransport::path(), site.cookies.string());
        transport_ = std::make_unique<LateCurlTransport>(LateCurlTransport::path(), site.cookies.string(), browser_.get());
    }

    // Four searches blocked, one window: closed, it leaves them blocked as before, and
    // the box at the end says so.
    void closingTheWindowLeavesTheSearchesBlocked() {
        const QueryWatched watched = query([](QDialog& window, QWebEngineView& /*view*/) { window.close(); });

        QCOMPARE(watched.windows, QStringList({"安全验证 — www.baidu.com | 请完成百度安全验证，完成后查询会继续"}));
        QCOMPARE(watched.boxes.size(), 1);
        QVERIFY(watched.boxes[0].startsWith("百度要求进行安全验证"));
        // Label4, Label5, Label12, Label13: the counts; the PageRank is not Baidu's.
        for (const int count : {2, 3, 6, 7}) {
            QVERIFY2(watched.captions[count] != CurrentSite::kRangedCount && watched.captions[count] != CurrentSite::kAllCount,
                     qPrintable(watched.captions.join(", ")));
        }
        QCOMPARE(watched.captions[0], QString(CurrentSite::kPageRank));
        QVERIFY(!site.jarHolds(fakeweb::kVerifiedCookie));
    }

    // The person presses the verification page's button: the window closes by itself, the
    // search is asked once more and every count fills; the jar keeps the cookie, with which
    // the command line gets through the gate on its own.
    void passingTheVerificationFillsTheValuesAndTheCommandLineGetsThroughAfter() {
        bool pressed = false;
        const QueryWatched watched = query([&](QDialog& /*window*/, QWebEngineView& view) {
            if (pressed) {
                return;  // the form is on its way; the window is to close by itself
            }
            view.page()->runJavaScript(QStringLiteral("(() => { const button = document.getElementById('%1');"
                                                      " if (button) button.click(); return !!button; })()")
                                           .arg(QString::fromUtf8(fakeweb::kVerificationButtonId)),
                                       [&](const QVariant& found) { pressed = pressed || found.toBool(); });
        });

        QVERIFY(pressed);
        QCOMPARE(watched.windows, QStringList({"安全验证 — www.baidu.com | 请完成百度安全验证，完成后查询会继续"}));
        QCOMPARE(watched.boxes, QStringList());
        QCOMPARE(QStringList({watched.captions[0], watched.captions[2], watched.captions[3], watched.captions[6],
                              watched.captions[7]}),
                 QStringList({CurrentSite::kPageRank, CurrentSite::kRangedCount, CurrentSite::kRangedCount,
                              CurrentSite::kRangedCount, CurrentSite::kAllCount}));
        QVERIFY(site.jarHolds(fakeweb::kVerifiedCookie));

        const testing::ProcessResult cli =
            testing::runProcess(QUARNEL_CLI_PATH, {"--profile", "current", "--json", "--no-history", CurrentSite::kDomain}, {});
        QVERIFY2(cli.exitCode == 0, cli.err.c_str());
        for (const std::string value : {R"("day":"12","week":"12","month":"12","all":"10,000",)", R"("blocked":0})"}) {
            QVERIFY2(cli.out.find(value) != std::string::npos, cli.out.c_str());
        }
    }

    // Without the browser engine's library there is no browser to pass a verification in:
    // no window, and the blocked answers stand.
    void withoutTheBrowserEngineNoWindowOpens() {
        QWidget parent;
        LateBrowserTransport missing(QStringLiteral("/nonexistent/libquarnel_browser_transport.so"), "");
        const std::vector<rules::BlockedRule> blocked = {{.contains = "wappass", .xpath = {}}};
        QVERIFY(BrowserVerificationWindows(&missing, parent).open(blocked) == nullptr);
        QVERIFY(BrowserVerificationWindows(nullptr, parent).open(blocked) == nullptr);
    }
};

}  // namespace quarnel

QTEST_MAIN(quarnel::WindowVerificationTest)
#include "window_verification_test.moc"
