// How long `quarnel-cli status` takes over 1,000 domains with ten years of daily runs
// each: the whole process as a user runs it, and the rows alone (the one query and the
// figures of the table) in-process; also the overview window's read, which adds the
// last 30 runs of each domain. Prints the figures; asserts nothing.
#include "bench/history_bench_runs.h"
#include "tests/support/child_process.h"
#include "watch/site_status.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <functional>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

constexpr int kRounds = 10;
constexpr int kWatched = 50;
// Every tenth domain's latest runs fell short, so its compared run lies further back.
constexpr int kShortDomainEvery = 10;
constexpr int kShortRuns = 20;

double milliseconds(Clock::duration duration) {
    return std::chrono::duration<double, std::milli>(duration).count();
}

double median(std::vector<double> figures) {
    std::sort(figures.begin(), figures.end());
    return figures[figures.size() / 2];
}

double processorMilliseconds() {
    timespec used{};
    ::clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &used);
    return static_cast<double>(used.tv_sec) * 1e3 + static_cast<double>(used.tv_nsec) / 1e6;
}

// The median of kRounds, in milliseconds: on the clock on the wall, and of the
// processor's time (`work` gives it, or else this process's is taken). A machine
// busy with other work stretches the first, not the second.
struct Figures {
    double wall;
    double processor;
};

Figures measure(const std::function<double()>& work) {
    std::vector<double> wall, processor;
    for (int round = 0; round < kRounds; ++round) {
        const auto start = Clock::now();
        const double processorBefore = processorMilliseconds();
        const double childProcessor = work();
        wall.push_back(milliseconds(Clock::now() - start));
        processor.push_back(childProcessor >= 0 ? childProcessor : processorMilliseconds() - processorBefore);
    }
    return {median(wall), median(processor)};
}

void addShortfalls(quarnel::history::SqliteHistory& history) {
    std::vector<quarnel::RunRecord> runs;
    for (int domain = 0; domain < kBenchDomains; domain += kShortDomainEvery) {
        for (int day = kBenchDays; day < kBenchDays + kShortRuns; ++day) {
            quarnel::RunRecord run = benchRun(domain, day);
            run.fetchFailures = 1;
            runs.push_back(run);
        }
    }
    if (const auto recorded = history.recordAll(runs); !recorded) {
        std::fprintf(stderr, "history: %s\n", recorded.reason().c_str());
        std::exit(1);
    }
}

std::size_t rowsOf(const std::filesystem::path& path, std::size_t recent, const std::vector<std::string>& watched) {
    const auto recorded = quarnel::history::SqliteHistory(path).latestRuns(recent, std::nullopt);
    if (!recorded) {
        std::fprintf(stderr, "history: %s\n", recorded.reason().c_str());
        std::exit(1);
    }
    return quarnel::watch::siteStatuses(*recorded, watched).size();
}

}  // namespace

int main(int argc, char** argv) {
    const std::optional<CliBench> bench = cliBenchOf(argc, argv, "quarnel-status-bench");
    if (!bench) {
        return 2;
    }
    const std::filesystem::path& folder = bench->folder;
    const std::filesystem::path& path = bench->history;
    ensureBenchHistory(path, addShortfalls);
    std::vector<std::string> watched;
    std::ofstream list(folder / "watch.txt");
    for (int domain = 0; domain < kWatched; ++domain) {
        watched.push_back(benchRun(domain * 7, 0).domain);
        list << watched.back() << '\n';
    }
    list.close();

    std::size_t rows = 0;
    const auto inProcess = [&](std::size_t recent) {
        return measure([&] {
            rows = rowsOf(path, recent, watched);
            return -1.0;
        });
    };
    const Figures table = inProcess(1);
    std::printf("status rows in-process (one query, %zu rows): median %.1f ms, processor %.1f ms\n", rows, table.wall,
                table.processor);
    const Figures overview = inProcess(30);
    std::printf("overview rows with the last 30 runs each, in-process: median %.1f ms, processor %.1f ms\n",
                overview.wall, overview.processor);

    for (const bool json : {false, true}) {
        std::vector<std::string> arguments = {"--history-file", path.string(), "status", "--watch-file",
                                              (folder / "watch.txt").string()};
        if (json) {
            arguments.push_back("--json");
        }
        bool failed = false;
        const Figures status = measure([&] {
            const auto result = quarnel::testing::runProcess(bench->program, arguments, {});
            failed = failed || result.exitCode != 0;
            return result.cpuMilliseconds;
        });
        if (failed) {
            std::fprintf(stderr, "quarnel-cli status failed\n");
            return 1;
        }
        std::printf("quarnel-cli status%s (whole process): median %.1f ms, processor %.1f ms, over %d runs\n",
                    json ? " --json" : "", status.wall, status.processor, kRounds);
    }
    const Figures start =
        measure([&] { return quarnel::testing::runProcess(bench->program, {"--version"}, {}).cpuMilliseconds; });
    std::printf("of which starting the process (quarnel-cli --version): median %.1f ms, processor %.1f ms\n",
                start.wall, start.processor);
    std::filesystem::remove_all(folder);
    return 0;
}
