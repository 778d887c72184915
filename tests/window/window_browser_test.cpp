// The window with the current rules against Baidu behind fake-web's gates, over HTTPS: the
// ranged searches behind the fingerprint gate, the search without a range behind the
// script gate. The window's own browser engine, loaded at the first search, gets through.
#include "controls/last_domain_file.h"
#include "window/form1.h"
#include "window/late_browser_transport.h"
#include "window/late_curl_transport.h"
#ifndef Q_MOC_RUN
#include "tests/window/gated_site.h"
#include "tests/window/queried_site.h"
#endif

#include <QtTest>

#include <QLineEdit>
#include <QMessageBox>

namespace quarnel {
namespace {

namespace fs = std::filesystem;
using testing::CurrentSite;

testing::GatedSite site("quarnel-window-browser", fakeweb::Gate::Fingerprint, fakeweb::Gate::Script);

}  // namespace

class WindowBrowserTest : public QObject {
    Q_OBJECT

private slots:
    void theWindowsBrowserEngineGetsEveryCountThroughTheGates() {
        // A box would say the searches were blocked: it is noted and answered, so the test goes on.
        QStringList boxes;
        QTimer boxWatch;
        connect(&boxWatch, &QTimer::timeout, this, [&] {
            if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
                boxes << box->text();
                box->accept();
            }
        });
        boxWatch.start(20);
        LateBrowserTransport browser(LateBrowserTransport::path(), site.cookies.string());
        LateCurlTransport transport(LateCurlTransport::path(), site.cookies.string(),
                                    &browser);  // as the program has it
        QTemporaryDir folder;
        const LastDomainFile lastDomain(fs::path(folder.path().toStdString()) / "dz.txt");
        testing::NoOpener opener;
        Form1 form(transport, lastDomain, opener);
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        form.findChild<QLineEdit*>("Text3")->setText(CurrentSite::kDomain);

        QTest::mouseClick(form.findChild<QWidget*>("Command1"), Qt::LeftButton);

        QCOMPARE(boxes, QStringList());
        const QStringList shown = testing::resultCaptions(form);
        // Label1 (the PageRank), Label4, Label5, Label12 and Label13 (the counts).
        QCOMPARE(QStringList({shown[0], shown[2], shown[3], shown[6], shown[7]}),
                 QStringList({CurrentSite::kPageRank, CurrentSite::kRangedCount, CurrentSite::kRangedCount,
                              CurrentSite::kRangedCount, CurrentSite::kAllCount}));
        // The cookie the script gate's page set went into the jar the command line reads too.
        QVERIFY(site.jarHolds(fakeweb::kScriptCookie));
        // The engine's state is there for a view that is to be the same browser.
        QVERIFY(browser.profile() != nullptr && browser.profile()->inherits("QWebEngineProfile"));
    }
};

}  // namespace quarnel

QTEST_MAIN(quarnel::WindowBrowserTest)
#include "window_browser_test.moc"
