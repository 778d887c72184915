// Preloaded into a window program (LD_PRELOAD) so the program measured is the one users
// start, unchanged. Watches the first top-level widget shown: when its native window was
// first painted, how many native windows Qt made for it (one replaced after it showed
// flashes and loses the input sent to it), and, when QUARNEL_PROBE_PANELS is set, waits
// for the window's two visible web panels to load their pages so the memory figure
// includes them. Prints "PAINTED_AT NATIVE_WINDOWS PANELS_LOADED" on standard output and
// ends the program.
#include "bench/monotonic_time.h"

#include <QApplication>
#include <QCoreApplication>
#include <QEvent>
#include <QPlatformSurfaceEvent>
#include <QTimer>
#include <QWidget>

#include <cstdio>
#include <cstdlib>

namespace {

using quarnel::bench::monotonicNanoseconds;

class FirstPaintProbe final : public QObject {
    Q_OBJECT

public:
    bool eventFilter(QObject* watched, QEvent* event) override {
        auto* widget = qobject_cast<QWidget*>(watched);
        if (widget == nullptr || !widget->isWindow() || (window_ != nullptr && widget != window_)) {
            return false;
        }
        if (event->type() == QEvent::PlatformSurface &&
            static_cast<QPlatformSurfaceEvent*>(event)->surfaceEventType() == QPlatformSurfaceEvent::SurfaceCreated) {
            window_ = widget;
            ++nativeWindows_;
            // A window replaced after its first paint is painted again: only the first
            // paint of the last native window counts.
            painted_ = false;
            paintedAt_ = 0;
        } else if (event->type() == QEvent::Paint && widget == window_ && !painted_) {
            painted_ = true;
            // The paint reaches the window system when the handling of this event returns.
            QTimer::singleShot(0, this, [this] {
                paintedAt_ = monotonicNanoseconds();
                afterFirstPaint();
            });
        }
        return false;
    }

private slots:
    void panelsCreated() {
        for (const char* name : {"WebBrowser1", "WebBrowser2"}) {
            connect(window_->findChild<QWidget*>(QString::fromLatin1(name)), SIGNAL(loadFinished(bool)), this,
                    SLOT(panelLoaded()));
        }
    }
    void panelLoaded() {
        if (++panelsLoaded_ == 2) {
            finish();
        }
    }

private:
    void afterFirstPaint() {
        if (std::getenv("QUARNEL_PROBE_PANELS") == nullptr) {
            finish();
            return;
        }
        connect(window_, SIGNAL(panelsCreated()), this, SLOT(panelsCreated()));
        QTimer::singleShot(10'000, this, [this] { finish(); });
    }
    void finish() {
        std::printf("%lld %d %d\n", paintedAt_, nativeWindows_, panelsLoaded_);
        std::fflush(stdout);
        QCoreApplication::exit(0);
    }

    QWidget* window_ = nullptr;
    int nativeWindows_ = 0;
    int panelsLoaded_ = 0;
    bool painted_ = false;
    long long paintedAt_ = 0;
};

void installProbe() {
    if (qobject_cast<QApplication*>(QCoreApplication::instance()) != nullptr) {
        QCoreApplication::instance()->installEventFilter(new FirstPaintProbe);
    }
}

}  // namespace

Q_COREAPP_STARTUP_FUNCTION(installProbe)

#include "first_paint_probe.moc"
