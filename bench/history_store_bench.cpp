// The history database at size: how long recording one run takes on a warm database,
// how long the command line takes to list one domain's runs out of 1,000 domains with
// ten years of daily runs each, and how many bytes a run costs on disk.
#include "bench/history_bench_runs.h"
#include "history/sqlite_history.h"
#include "tests/support/child_process.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;
using quarnel::RunRecord;
using quarnel::history::SqliteHistory;

constexpr int kDomains = kBenchDomains;
constexpr int kDays = kBenchDays;
constexpr int kRecords = 1000;

// A figure measured on a failing database would mean nothing: say why and stop.
template <typename T>
T orExit(quarnel::Expected<T> result) {
    if (!result) {
        std::fprintf(stderr, "history: %s\n", result.reason().c_str());
        std::exit(1);
    }
    return std::move(result).value();
}

double milliseconds(Clock::duration duration) {
    return std::chrono::duration<double, std::milli>(duration).count();
}

double percentile(std::vector<double> values, double share) {
    std::sort(values.begin(), values.end());
    return values[static_cast<std::size_t>(share * static_cast<double>(values.size() - 1))];
}

}  // namespace

int main(int argc, char** argv) {
    const std::optional<CliBench> bench = cliBenchOf(argc, argv, "quarnel-history-bench");
    if (!bench) {
        return 2;
    }
    const std::filesystem::path& path = bench->history;

    ensureBenchHistory(path);
    auto store = std::make_unique<SqliteHistory>(path);
    SqliteHistory& history = *store;
    auto start = Clock::now();

    std::vector<double> recordTimes;
    const int firstDay = kDays + static_cast<int>(orExit(history.runs({{benchRun(0, 0).domain}, {}, {}})).size());
    for (int i = 0; i < kRecords; ++i) {
        const RunRecord run = benchRun(i % kDomains, firstDay + i / kDomains);
        start = Clock::now();
        orExit(history.record(run));
        recordTimes.push_back(milliseconds(Clock::now() - start));
    }
    std::printf("record one run: median %.3f ms, p99 %.3f ms, slowest %.3f ms (%d records on the full database)\n",
                percentile(recordTimes, 0.5), percentile(recordTimes, 0.99), percentile(recordTimes, 1.0), kRecords);

    const std::string domain = benchRun(500, 0).domain;
    start = Clock::now();
    const auto runs = orExit(history.runs({{domain}, std::nullopt, std::nullopt}));
    std::printf("read one domain's %zu runs in-process: %.2f ms\n", runs.size(), milliseconds(Clock::now() - start));

    start = Clock::now();
    const auto domains = orExit(history.domains());
    std::printf("list the %zu domains in-process: %.2f ms\n", domains.size(), milliseconds(Clock::now() - start));

    std::vector<double> cliTimes;
    for (int round = 0; round < 10; ++round) {
        start = Clock::now();
        const auto result = quarnel::testing::runProcess(bench->program, {"--history-file", path.string(), "history", "--csv", domain}, {});
        cliTimes.push_back(milliseconds(Clock::now() - start));
        if (result.exitCode != 0) {
            std::fprintf(stderr, "quarnel-cli history failed: %s\n", result.err.c_str());
            return 1;
        }
    }
    std::vector<double> startTimes;
    for (int round = 0; round < 10; ++round) {
        start = Clock::now();
        quarnel::testing::runProcess(bench->program, {"--version"}, {});
        startTimes.push_back(milliseconds(Clock::now() - start));
    }
    std::printf("quarnel-cli history --csv DOMAIN (whole process): median %.1f ms over 10 runs,"
                " of which starting the process (quarnel-cli --version): %.1f ms\n",
                percentile(cliTimes, 0.5), percentile(startTimes, 0.5));

    store.reset();  // closing moves the write-ahead log into the file
    const auto bytes = std::filesystem::file_size(path);
    std::printf("database: %.1f MB, %.1f bytes per run\n", static_cast<double>(bytes) / 1e6,
                static_cast<double>(bytes) / (kDomains * kDays + kRecords));
    std::filesystem::remove_all(bench->folder);
    return 0;
}
