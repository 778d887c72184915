#pragma once

#include "history/run_record.h"

#include <string>

// A run shaped like a real one: counts with thousands separators, a snapshot date,
// the home page check and a PageRank.
inline quarnel::history::RunRecord benchRun(int domain, int day) {
    quarnel::history::RunRecord run;
    run.domain = "site" + std::to_string(domain) + ".example.cn";
    run.startedAt = std::chrono::sys_days(std::chrono::year(2017) / 1 / 1) + std::chrono::days(day) +
                    std::chrono::hours(8) + std::chrono::seconds(domain);
    run.duration = std::chrono::milliseconds(900 + day % 300);
    run.results.day = std::to_string(10 + day % 90);
    run.results.week = std::to_string(100 + day % 900);
    run.results.month = "1," + std::to_string(100 + day % 900);
    run.results.all = "约12," + std::to_string(100 + day % 900);
    run.results.snapshot = "2026-12-" + std::to_string(1 + day % 28);
    run.results.homepage = "首页第一";
    run.results.pagerank = std::to_string(day % 8);
    run.results.hijack = "pr真实";
    return run;
}
