// The window on a real X server, as a desktop shows it: the native window that first
// paints is the one that stays once the web panels are in, and a click sent just after
// the first paint reaches the window.

#include "controls/last_domain_file.h"
#include "panels/url_opener.h"
#include "tests/support/proxied_stand_in.h"
#include "tests/window/xvfb_server.h"
#include "window/form1.h"
#include "window/late_curl_transport.h"
#ifndef Q_MOC_RUN
#include "tests/window/queried_site.h"
#endif

#include <QtTest>

#include <QLineEdit>
#include <QPlatformSurfaceEvent>
#include <QProcess>

#include <memory>
#include <vector>

namespace quarnel {
namespace {

// Every page the panels ask for comes from here, on loopback.
testing::ProxiedStandIn standIn{{}};

// Counts the native windows Qt makes for the window it watches, and clicks `target`
// 50 ms after the window's first paint. The click goes from a thread of its own: by
// then the window's thread is busy loading the web engine, as it is for a user.
class ClickAfterFirstPaint final : public QObject {
public:
    explicit ClickAfterFirstPaint(QWidget& target) : target_(target) {}
    ~ClickAfterFirstPaint() override {
        if (clicker_) {
            clicker_->wait();
        }
    }

    bool eventFilter(QObject* /*watched*/, QEvent* event) override {
        if (event->type() == QEvent::PlatformSurface &&
            static_cast<QPlatformSurfaceEvent*>(event)->surfaceEventType() == QPlatformSurfaceEvent::SurfaceCreated) {
            ++nativeWindows;
        } else if (event->type() == QEvent::Paint && !clicker_) {
            const QPoint at = target_.mapToGlobal(target_.rect().center());
            // Through the X server, as a mouse would send it.
            clicker_.reset(QThread::create([at] {
                QThread::msleep(50);
                QProcess::execute("xdotool",
                                  {"mousemove", QString::number(at.x()), QString::number(at.y()), "click", "1"});
            }));
            clicker_->start();
        }
        return false;
    }

    int nativeWindows = 0;

private:
    QWidget& target_;
    std::unique_ptr<QThread> clicker_;
};

}  // namespace

class Form1X11Test : public QObject {
    Q_OBJECT
public:
    explicit Form1X11Test(bool onXvfb) : onXvfb_(onXvfb) {}

private slots:
    void cleanupTestCase() { standIn.server.stop(); }

    void aClickJustAfterTheFirstPaintReachesTheWindowThatStays() {
        if (!onXvfb_) {
            QSKIP("Xvfb is not installed");
        }
        LateCurlTransport transport("no-such-library.so", {});  // the test runs no query
        QTemporaryDir folder;
        const LastDomainFile lastDomain(std::filesystem::path(folder.path().toStdString()) / "dz.txt");
        testing::NoOpener opener;
        Form1 form(transport, lastDomain, opener);
        auto* text3 = form.findChild<QLineEdit*>("Text3");
        const auto* timer1 = form.findChild<QTimer*>("Timer1");
        ClickAfterFirstPaint watch(*text3);
        form.installEventFilter(&watch);
        // A panel first draws once it shows a page: the two that the start-up asks for.
        std::vector<std::unique_ptr<QSignalSpy>> loads;
        connect(&form, &Form1::panelsCreated, this, [&] {
            for (const char* panel : {"WebBrowser1", "WebBrowser2"}) {
                loads.push_back(
                    std::make_unique<QSignalSpy>(form.findChild<QWidget*>(panel), SIGNAL(loadFinished(bool))));
            }
        });

        form.load();
        form.show();

        QTRY_VERIFY_WITH_TIMEOUT(loads.size() == 2 && !loads[0]->isEmpty() && !loads[1]->isEmpty(), 60'000);
        // A click into Text3 starts the fill tick: the click was not lost.
        QTRY_VERIFY_WITH_TIMEOUT(timer1->isActive(), 10'000);
        QCOMPARE(watch.nativeWindows, 1);
    }

private:
    bool onXvfb_;
};

}  // namespace quarnel

int main(int argc, char** argv) {
    const quarnel::testing::XvfbServer xvfb;
    if (xvfb.running()) {
        qputenv("QT_QPA_PLATFORM", "xcb");
        qputenv("DISPLAY", QByteArray::fromStdString(xvfb.display()));
    }
    QApplication application(argc, argv);
    quarnel::Form1X11Test test(xvfb.running());
    return QTest::qExec(&test, argc, argv);
}

#include "form1_x11_test.moc"
