#pragma once

#include "history/history_store.h"

#include <optional>
#include <string>
#include <vector>

namespace quarnel::watch {

// One of the user's sites as the table of all of them shows it: `quarnel-cli status`
// and the window's overview read the same rows, so they show the same figures.
struct SiteStatus {
    history::DomainRuns runs;  // none for a watched domain never queried
    bool watched = false;

    const RunRecord* latest() const { return runs.latest ? &*runs.latest : nullptr; }
};

// The watched domains first, in the list's order (those never queried too), then every
// other recorded domain in the order given.
std::vector<SiteStatus> siteStatuses(std::vector<history::DomainRuns> recorded,
                                     const std::vector<std::string>& watched);

// How one result of the latest run differs from the run it is compared with.
struct ValueChange {
    std::optional<std::string> from;
    std::optional<std::string> to;
    std::optional<long long> delta;  // where both stand for numbers
};

// Nothing when there is no run to compare with or the value is the same: the same
// number, or the same text where either is no number.
std::optional<ValueChange> changeOf(const SiteStatus& site, Result result);

// The number a result of `run` stands for, if any.
std::optional<long long> numberOf(const RunRecord& run, Result result);

// A count or the PageRank of the latest run with its change: "1,234 ▲12", "1,234 ▼3",
// "1,234 –" when unchanged, the bare number when there is nothing to compare with;
// "? REASON" where the latest run has no value ("? 未查询" for a domain a stopped pass did
// not query). Empty when the site has no run.
std::string valueCell(const SiteStatus& site, Result result);

// Where the latest run fell short: "无法连接服务器 ×3，被拦截 ×1", or "因被拦截而未查询"
// when a stopped pass did not query it at all; empty when it did not.
std::string shortfallOf(const RunRecord& run);

}  // namespace quarnel::watch
