#pragma once

#include "base/run_record.h"
#include "history/sqlite_history.h"

#include <cstdio>
#include <cstdlib>
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

// Ten years of daily runs of 1,000 domains, a day's runs of every domain after another.
inline void seedBenchHistory(quarnel::history::SqliteHistory& history) {
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
}
