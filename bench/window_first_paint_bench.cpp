// From the start of the window's process to its first paint, and the process's peak
// memory once both panels have loaded their pages; offscreen, against the demo pages.
#include "fetch/curl_transport.h"
#include "shell/last_domain_file.h"
#include "shell/window/form1.h"
#include "tests/support/child_process.h"
#include "tools/fake-web/fake_web_server.h"

#include <QApplication>
#include <QEvent>
#include <QTimer>
#include <QWebEngineView>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <string>
#include <vector>

#include <unistd.h>

namespace {

long long monotonicNanoseconds() {
    timespec now{};
    ::clock_gettime(CLOCK_MONOTONIC, &now);
    return now.tv_sec * 1'000'000'000LL + now.tv_nsec;
}

class FirstPaint final : public QObject {
public:
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Paint && at == 0) {
            at = monotonicNanoseconds();
        }
        return false;
    }
    long long at = 0;
};

// The window as the program starts it; prints when it first painted, then waits for
// the panels so the memory figure includes them.
int runWindow(int argc, char** argv) {
    QApplication application(argc, argv);
    quarnel::CurlTransport transport;
    const quarnel::LastDomainFile lastDomain(std::filesystem::temp_directory_path() / "quarnel-bench-none" / "dz.txt");
    struct NoOpener final : quarnel::UrlOpener {
        void open(const std::string&) override {}
    } opener;
    quarnel::Form1 form1(transport, lastDomain, opener);
    FirstPaint firstPaint;
    form1.installEventFilter(&firstPaint);
    form1.load();
    form1.show();

    int loaded = 0;
    for (auto* panel : form1.findChildren<QWebEngineView*>()) {
        QObject::connect(panel, &QWebEngineView::loadFinished, [&] {
            if (++loaded == 2) {
                QApplication::quit();
            }
        });
    }
    QTimer::singleShot(10'000, &application, &QApplication::quit);
    QApplication::exec();
    std::printf("%lld %d\n", firstPaint.at, loaded);
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc > 1 && std::strcmp(argv[1], "--window") == 0) {
        return runWindow(argc, argv);
    }
    fakeweb::Server server(fakeweb::loadRoutes(QUARNEL_DEMO_ROUTES));
    server.start();
    const std::vector<std::string> environment = {"QT_QPA_PLATFORM=offscreen",
                                                  "QTWEBENGINE_DISABLE_SANDBOX=1",
                                                  "http_proxy=" + server.proxyUrl(),
                                                  "no_proxy=",
                                                  "NO_PROXY=",
                                                  "HTTP_PROXY="};

    constexpr int kRounds = 5;
    std::vector<double> paints;
    long peakKiB = 0;
    for (int round = 0; round < kRounds; ++round) {
        const long long start = monotonicNanoseconds();
        const auto result = quarnel::testing::runProcess(argv[0], {"--window"}, environment);
        long long paintedAt = 0;
        int panelsLoaded = 0;
        if (result.exitCode != 0 || std::sscanf(result.out.c_str(), "%lld %d", &paintedAt, &panelsLoaded) != 2 ||
            paintedAt == 0) {
            std::fprintf(stderr, "the window did not paint:\n%s%s\n", result.out.c_str(), result.err.c_str());
            return 1;
        }
        paints.push_back(static_cast<double>(paintedAt - start) / 1e6);
        peakKiB = std::max(peakKiB, result.peakRssKiB);
        std::printf("round %d: first paint %.0f ms, panels loaded %d/2, peak RSS %.1f MiB\n", round + 1, paints.back(),
                    panelsLoaded, static_cast<double>(result.peakRssKiB) / 1024);
    }
    std::sort(paints.begin(), paints.end());
    std::printf("first paint: median %.0f ms, worst %.0f ms (goal: within 500 ms)\n", paints[kRounds / 2],
                paints.back());
    std::printf("window process peak RSS: %.1f MiB (Chromium's own helper processes not included)\n",
                static_cast<double>(peakKiB) / 1024);
    return 0;
}
