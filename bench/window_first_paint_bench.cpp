// From the start of the window's process to the first paint of the window the user
// keeps, beside a bare Qt Widgets window of the same size started the same way in the
// same run; how many native windows the process made for it (a window replaced after it
// showed flashes and loses the input sent to it); and the window process's peak memory
// once both panels have loaded their pages. On an X server of its own, as a desktop
// shows it, against the demo pages.
#include "bench/window_first_paint_probe.h"
#include "shell/last_domain_file.h"
#include "shell/window/form1.h"
#include "shell/window/late_curl_transport.h"
#include "tests/shell/window/xvfb_server.h"
#include "tests/support/child_process.h"
#include "tools/fake-web/fake_web_server.h"

#include <QApplication>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include <unistd.h>

namespace {

using quarnel::bench::FirstPaint;
using quarnel::bench::monotonicNanoseconds;

// Counts the pages the two visible panels have finished loading, and ends the run
// once both have. Connected by name: this program does not link Qt WebEngine.
class PanelLoads final : public QObject {
    Q_OBJECT
public:
    void watch(const quarnel::Form1& form1) {
        for (const char* name : {"WebBrowser1", "WebBrowser2"}) {
            connect(form1.findChild<QWidget*>(name), SIGNAL(loadFinished(bool)), this, SLOT(finished()));
        }
    }
    int count = 0;

private slots:
    void finished() {
        if (++count == 2) {
            QApplication::quit();
        }
    }
};

// The window as the program starts it; prints when it first painted, then waits for
// the panels so the memory figure includes them.
int runWindow(int argc, char** argv) {
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication application(argc, argv);
    quarnel::LateCurlTransport transport(quarnel::LateCurlTransport::path(), {});
    const quarnel::LastDomainFile lastDomain(std::filesystem::temp_directory_path() / "quarnel-bench-none" / "dz.txt");
    struct NoOpener final : quarnel::UrlOpener {
        void open(const std::string&) override {}
    } opener;
    quarnel::Form1 form1(transport, lastDomain, opener);
    FirstPaint firstPaint;
    form1.installEventFilter(&firstPaint);
    form1.load();
    form1.show();

    PanelLoads loads;
    QObject::connect(&form1, &quarnel::Form1::panelsCreated, [&] { loads.watch(form1); });
    QTimer::singleShot(10'000, &application, &QApplication::quit);
    QApplication::exec();
    std::printf("%lld %d %d\n", firstPaint.at, firstPaint.nativeWindows, loads.count);
    return 0;
}

struct Round {
    double firstPaintMs = 0;
    int nativeWindows = 0;
    int panelsLoaded = 0;
    long peakRssKiB = 0;
};

std::optional<Round> runRound(const std::string& program, const std::vector<std::string>& arguments,
                              const std::vector<std::string>& environment) {
    const long long start = monotonicNanoseconds();
    const auto result = quarnel::testing::runProcess(program, arguments, environment);
    long long paintedAt = 0;
    Round round;
    if (result.exitCode != 0 ||
        std::sscanf(result.out.c_str(), "%lld %d %d", &paintedAt, &round.nativeWindows, &round.panelsLoaded) != 3 ||
        paintedAt == 0) {
        std::fprintf(stderr, "%s did not paint:\n%s%s\n", program.c_str(), result.out.c_str(), result.err.c_str());
        return std::nullopt;
    }
    round.firstPaintMs = static_cast<double>(paintedAt - start) / 1e6;
    round.peakRssKiB = result.peakRssKiB;
    return round;
}

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

}  // namespace

int main(int argc, char** argv) {
    if (argc > 1 && std::strcmp(argv[1], "--window") == 0) {
        return runWindow(argc, argv);
    }

    const quarnel::testing::XvfbServer xvfb;
    if (!xvfb.running()) {
        std::fprintf(stderr, "no X server: install Xvfb\n");
        return 1;
    }
    fakeweb::Server server(fakeweb::loadRoutes(QUARNEL_DEMO_ROUTES));
    server.start();
    const std::vector<std::string> environment = {"QT_QPA_PLATFORM=xcb",
                                                  "DISPLAY=" + xvfb.display(),
                                                  "QTWEBENGINE_DISABLE_SANDBOX=1",
                                                  "http_proxy=" + server.proxyUrl(),
                                                  "no_proxy=",
                                                  "NO_PROXY=",
                                                  "HTTP_PROXY="};

    constexpr int kRounds = 5;
    std::vector<double> windowPaints, barePaints;
    long peakKiB = 0;
    int mostNativeWindows = 0;
    for (int number = 1; number <= kRounds; ++number) {
        const auto bare = runRound(QUARNEL_BARE_WINDOW, {}, environment);
        const auto window = runRound(argv[0], {"--window"}, environment);
        if (!bare || !window) {
            return 1;
        }
        barePaints.push_back(bare->firstPaintMs);
        windowPaints.push_back(window->firstPaintMs);
        peakKiB = std::max(peakKiB, window->peakRssKiB);
        mostNativeWindows = std::max(mostNativeWindows, window->nativeWindows);
        std::printf(
            "round %d: first paint %.0f ms (bare window %.0f ms), native windows %d, panels loaded %d/2, "
            "peak RSS %.1f MiB\n",
            number, window->firstPaintMs, bare->firstPaintMs, window->nativeWindows, window->panelsLoaded,
            static_cast<double>(window->peakRssKiB) / 1024);
    }
    const double windowMedian = median(windowPaints), bareMedian = median(barePaints);
    std::printf("first paint, median: window %.0f ms, bare Qt Widgets window %.0f ms, ratio %.2f (goal: within 2)\n",
                windowMedian, bareMedian, windowMedian / bareMedian);
    std::printf("native windows made for the window, most in a round: %d (goal: 1)\n", mostNativeWindows);
    std::printf("window process peak RSS: %.1f MiB (Chromium's own helper processes not included)\n",
                static_cast<double>(peakKiB) / 1024);
    return 0;
}

#include "window_first_paint_bench.moc"
