// CSV export speed: rows per second for UTC times (the command line) and for local
// times with their offset (the window).
#include "bench/history_bench_runs.h"
#include "history/csv_writer.h"

#include <chrono>
#include <cstdio>
#include <fstream>
#include <vector>

int main() {
    constexpr int kRows = 1'000'000;
    std::vector<quarnel::RunRecord> runs;
    runs.reserve(kRows);
    for (int i = 0; i < kRows; ++i) {
        runs.push_back(benchRun(i % 1000, i / 1000));
    }
    using Times = quarnel::history::CsvOptions::Times;
    for (const auto& [name, times] : {std::pair{"UTC", Times::Utc}, std::pair{"local time", Times::Local}}) {
        std::ofstream sink("/dev/null", std::ios::binary);
        const auto start = std::chrono::steady_clock::now();
        quarnel::history::writeCsv(sink, runs, {.byteOrderMark = true, .times = times});
        const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        std::printf("CSV export, %s: %d rows in %.3f s = %.0f rows/s\n", name, kRows, seconds, kRows / seconds);
    }
    return 0;
}
