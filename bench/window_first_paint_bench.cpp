// From the start of the program's process to the first paint of the window the user
// keeps, beside a bare Qt Widgets window of the same size (a QLabel showing a line)
// started the same way in the same run; how many native windows the process made for
// it (a window replaced after it showed flashes and loses the input sent to it); and the
// program's peak memory once both panels have loaded their pages. On an X server of its
// own, as a desktop shows it, against the demo pages.
#include "bench/monotonic_time.h"
#include "tests/support/child_process.h"
#include "tests/window/xvfb_server.h"
#include "tools/fake-web/fake_web_server.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include <stdlib.h>

namespace {

using quarnel::bench::monotonicNanoseconds;

struct Round {
    double firstPaintMs = 0;
    int nativeWindows = 0;
    int panelsLoaded = 0;
    long peakRssKiB = 0;
};

std::optional<Round> runRound(const std::string& program, const std::vector<std::string>& environment) {
    // The last round's web engine helpers have ended by then: each round starts on a quiet machine.
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    const long long start = monotonicNanoseconds();
    const auto result = quarnel::testing::runProcess(program, {}, environment);
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

int main() {
    const quarnel::testing::XvfbServer xvfb;
    if (!xvfb.running()) {
        std::fprintf(stderr, "no X server: install Xvfb\n");
        return 1;
    }
    fakeweb::Server server(fakeweb::loadRoutes(QUARNEL_DEMO_ROUTES));
    server.start();
    // The program as users start it, with the probe preloaded into both, and a home of
    // its own so the user's remembered domain, settings and history stay untouched.
    std::string home = (std::filesystem::temp_directory_path() / "quarnel-paint-XXXXXX").string();
    if (::mkdtemp(home.data()) == nullptr) {
        std::perror("mkdtemp");
        return 1;
    }
    const std::vector<std::string> environment = {"QT_QPA_PLATFORM=xcb",
                                                  "DISPLAY=" + xvfb.display(),
                                                  "LD_PRELOAD=" QUARNEL_FIRST_PAINT_PROBE,
                                                  "HOME=" + home,
                                                  "XDG_CONFIG_HOME=" + home + "/config",
                                                  "XDG_DATA_HOME=" + home + "/data",
                                                  "XDG_STATE_HOME=" + home + "/state",
                                                  "XDG_CACHE_HOME=" + home + "/cache",
                                                  "QTWEBENGINE_DISABLE_SANDBOX=1",
                                                  "http_proxy=" + server.proxyUrl(),
                                                  "no_proxy=",
                                                  "NO_PROXY=",
                                                  "HTTP_PROXY="};
    std::vector<std::string> windowEnvironment = environment;
    windowEnvironment.push_back("QUARNEL_PROBE_PANELS=1");

    constexpr int kRounds = 9;
    std::vector<double> windowPaints, barePaints;
    long peakKiB = 0;
    int mostNativeWindows = 0;
    for (int number = 1; number <= kRounds; ++number) {
        const auto bare = runRound(QUARNEL_BARE_WINDOW, environment);
        const auto window = runRound(QUARNEL_WINDOW_PROGRAM, windowEnvironment);
        if (!bare || !window) {
            std::filesystem::remove_all(home);
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
    std::printf(
        "first paint, median: window %.0f ms, bare Qt Widgets window (a QLabel) %.0f ms, ratio %.2f "
        "(goal: within 2)\n",
        windowMedian, bareMedian, windowMedian / bareMedian);
    std::printf("native windows made for the window, most in a round: %d (goal: 1)\n", mostNativeWindows);
    std::printf("window process peak RSS: %.1f MiB (Chromium's own helper processes not included)\n",
                static_cast<double>(peakKiB) / 1024);
    std::filesystem::remove_all(home);
    return 0;
}
