// How long the overview window (站点一览) takes from its creation to its first paint over
// 1,000 domains with ten years of daily runs each, on an X server of its own (Xvfb).
// Prints the figures; asserts nothing.

#include "bench/history_bench_runs.h"
#include "bench/paint_watch.h"
#include "tests/window/xvfb_server.h"
#include "window/overview/overview_window.h"

#include <QAbstractScrollArea>
#include <QApplication>
#include <QElapsedTimer>
#include <QStandardPaths>
#include <QTest>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <vector>

namespace {

constexpr int kRepeats = 5;
constexpr int kWatched = 50;

// Milliseconds from creating the window until its table has been painted.
double timeToFirstPaint(const quarnel::HistoryAccess& access, const std::filesystem::path& list) {
    PaintWatch watch;
    qApp->installEventFilter(&watch);
    QElapsedTimer clock;
    clock.start();
    quarnel::OverviewWindow window(access, list, std::nullopt, nullptr);
    window.reload();
    window.show();
    QWidget* table = window.findChild<QAbstractScrollArea*>("sites")->viewport();
    const bool painted = QTest::qWaitFor([&] { return watch.painted.contains(table); }, 10000);
    const double elapsed = static_cast<double>(clock.nsecsElapsed()) / 1e6;
    qApp->removeEventFilter(&watch);
    return painted ? elapsed : -1;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc > 2) {
        std::fprintf(stderr, "usage: %s [DATABASE]\n(a DATABASE given is seeded when missing and kept)\n", argv[0]);
        return 2;
    }
    const quarnel::testing::XvfbServer xvfb;
    if (!xvfb.running()) {
        std::fprintf(stderr, "no X server: install Xvfb\n");
        return 1;
    }
    qputenv("QT_QPA_PLATFORM", "xcb");
    qputenv("DISPLAY", QByteArray::fromStdString(xvfb.display()));
    int qtArgc = 1;
    QApplication application(qtArgc, argv);
    QStandardPaths::setTestModeEnabled(true);  // the window's size is remembered out of the user's way

    const auto folder =
        std::filesystem::temp_directory_path() / ("quarnel-overview-bench-" + std::to_string(::getpid()));
    std::filesystem::create_directories(folder);
    const auto path = argc == 2 ? std::filesystem::path(argv[1]) : folder / "history.sqlite3";
    ensureBenchHistory(path);
    quarnel::history::SqliteHistory store(path);
    std::ofstream list(folder / "watch.txt");
    for (int domain = 0; domain < kWatched; ++domain) {
        list << benchRun(domain * 7, 0).domain << '\n';
    }
    list.close();

    const quarnel::HistoryAccess access{&store, &store, {}};
    std::vector<double> figures;
    for (int repeat = 0; repeat < kRepeats; ++repeat) {
        figures.push_back(timeToFirstPaint(access, folder / "watch.txt"));
    }
    std::printf("overview window, %d domains of %d runs each, on Xvfb: created to first paint in", kBenchDomains,
                kBenchDays);
    for (double figure : figures) {
        std::printf(" %.1f", figure);
    }
    std::sort(figures.begin(), figures.end());
    std::printf(" ms (first is cold; median %.1f ms)\n", figures[figures.size() / 2]);
    std::filesystem::remove_all(folder);
    return 0;
}
