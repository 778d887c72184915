// How long the history window takes from its creation to its first paint with 3,650
// daily runs of one domain, offscreen. Prints the figures; asserts nothing.

#include "bench/paint_watch.h"
#include "history/sqlite_history.h"
#include "window/history/history_window.h"

#include <QAbstractScrollArea>
#include <QApplication>
#include <QElapsedTimer>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

using namespace std::chrono_literals;

constexpr int kRuns = 3650;
constexpr int kRepeats = 5;
const std::string kDomain = "example.com";

void seed(quarnel::history::SqliteHistory& store) {
    const auto first = std::chrono::floor<std::chrono::seconds>(std::chrono::system_clock::now()) - kRuns * 24h;
    std::vector<quarnel::RunRecord> runs;
    for (int day = 0; day < kRuns; ++day) {
        const std::string count = std::to_string(1000 + day * 7 % 500);
        quarnel::RunRecord run;
        run.startedAt = first + day * 24h;
        run.duration = 4200ms;
        run.domain = kDomain;
        run.origin = day % 3 == 0 ? quarnel::RunOrigin::Window : quarnel::RunOrigin::Cli;
        run.results = quarnel::RunResults({std::to_string(day % 40), std::to_string(200 + day % 90), "约" + count, count + ",000",
                       "2026-12-5", "首页第一", std::to_string(day / 400), "pr真实"});
        runs.push_back(run);
    }
    if (const auto recorded = store.recordAll(runs); !recorded) {
        std::fprintf(stderr, "history: %s\n", recorded.reason().c_str());
        std::exit(1);
    }
}

// Milliseconds from creating the window until its chart and its table have been painted.
double timeToFirstPaint(const quarnel::HistoryAccess& access) {
    PaintWatch watch;
    qApp->installEventFilter(&watch);
    QElapsedTimer clock;
    clock.start();
    quarnel::HistoryWindow window(access, nullptr);
    window.showDomain(kDomain);
    window.show();
    QWidget* chart = window.findChild<QAbstractScrollArea*>("chart")->viewport();
    QWidget* table = window.findChild<QAbstractScrollArea*>("runs")->viewport();
    const bool painted = QTest::qWaitFor(
        [&] { return watch.painted.contains(chart) && watch.painted.contains(table); }, 10000);
    const double elapsed = static_cast<double>(clock.nsecsElapsed()) / 1e6;
    qApp->removeEventFilter(&watch);
    return painted ? elapsed : -1;
}

}  // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    QStandardPaths::setTestModeEnabled(true);
    QTemporaryDir folder;
    quarnel::history::SqliteHistory store(std::filesystem::path(folder.path().toStdString()) / "history.sqlite3");
    seed(store);
    const quarnel::HistoryAccess access{&store, &store, {}};

    std::vector<double> figures;
    for (int repeat = 0; repeat < kRepeats; ++repeat) {
        figures.push_back(timeToFirstPaint(access));
    }
    std::printf("history window, %d runs of one domain, offscreen: created to first paint in", kRuns);
    for (double figure : figures) {
        std::printf(" %.1f", figure);
    }
    std::sort(figures.begin(), figures.end());
    std::printf(" ms (first is cold; median %.1f ms)\n", figures[figures.size() / 2]);
    return 0;
}
