#pragma once

#include "base/run_record.h"
#include "history/sqlite_history.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <unistd.h>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

// A run shaped like a real one: counts with thousands separators, a snapshot date,
// the home page check and a PageRank.
inline quarnel::RunRecord benchRun(int domain, int day) {
    quarnel::RunRecord run;
    run.domain = "site" + std::to_string(domain) + ".example.cn";
    run.startedAt = std::chrono::sys_days(std::chrono::year(2017) / 1 / 1) + std::chrono::days(day) +
                    std::chrono::hours(8) + std::chrono::seconds(domain);
    run.duration = std::chrono::milliseconds(900 + day % 300);
    run.results[quarnel::Result::DayCount] = std::to_string(10 + day % 90);
    run.results[quarnel::Result::WeekCount] = std::to_string(100 + day % 900);
    run.results[quarnel::Result::MonthCount] = "1," + std::to_string(100 + day % 900);
    run.results[quarnel::Result::AllTimeCount] = "约12," + std::to_string(100 + day % 900);
    run.results[quarnel::Result::Snapshot] = "2026-12-" + std::to_string(1 + day % 28);
    run.results[quarnel::Result::HomePageVerdict] = "首页第一";
    run.results[quarnel::Result::PageRank] = std::to_string(day % 8);
    run.results[quarnel::Result::HijackVerdict] = "pr真实";
    return run;
}

inline constexpr int kBenchDomains = 1000;
inline constexpr int kBenchDays = 3650;

// What a benchmark run as `BENCH QUARNEL_CLI [DATABASE]` works with: the program, a
// scratch folder of its own named for `bench` (to be removed when done), and the history
// it reads: DATABASE when given, which is kept, else one in the scratch folder.
struct CliBench {
    std::string program;
    std::filesystem::path folder;
    std::filesystem::path history;
};

// Nothing, after the usage, for other arguments.
inline std::optional<CliBench> cliBenchOf(int argc, char** argv, const std::string& bench) {
    if (argc != 2 && argc != 3) {
        std::fprintf(stderr, "usage: %s QUARNEL_CLI [DATABASE]\n(a DATABASE given is seeded when missing and kept)\n",
                     argv[0]);
        return std::nullopt;
    }
    CliBench made{argv[1], std::filesystem::temp_directory_path() / (bench + "-" + std::to_string(::getpid())), {}};
    std::filesystem::create_directories(made.folder);
    made.history = argc == 3 ? std::filesystem::path(argv[2]) : made.folder / "history.sqlite3";
    return made;
}

// Makes sure the history at `path` is there: when it is not, records ten years of daily
// runs of 1,000 domains, a day's runs of every domain after another, then what
// `alsoRecord` adds, and says how long that took.
inline void ensureBenchHistory(const std::filesystem::path& path,
                               const std::function<void(quarnel::history::SqliteHistory&)>& alsoRecord = {}) {
    if (std::filesystem::exists(path)) {
        return;
    }
    const auto start = std::chrono::steady_clock::now();
    quarnel::history::SqliteHistory history(path);
    std::vector<quarnel::RunRecord> batch;
    for (int day = 0; day < kBenchDays; ++day) {
        for (int domain = 0; domain < kBenchDomains; ++domain) {
            batch.push_back(benchRun(domain, day));
        }
        if (batch.size() >= 50'000 || day == kBenchDays - 1) {
            if (const auto recorded = history.recordAll(batch); !recorded) {
                std::fprintf(stderr, "history: %s\n", recorded.reason().c_str());
                std::exit(1);
            }
            batch.clear();
        }
    }
    if (alsoRecord) {
        alsoRecord(history);
    }
    std::printf("seeded %d runs (%d domains x %d days) in %.1f s\n", kBenchDomains * kBenchDays, kBenchDomains,
                kBenchDays, std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
}
