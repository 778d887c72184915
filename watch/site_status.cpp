#include "watch/site_status.h"

#include <algorithm>
#include <map>

namespace quarnel::watch {
namespace {


std::string withThousands(long long number) {
    std::string digits = std::to_string(number);
    for (auto at = static_cast<std::ptrdiff_t>(digits.size()) - 3; at > 0; at -= 3) {
        digits.insert(static_cast<std::size_t>(at), 1, ',');
    }
    return digits;
}

std::string changeMark(long long delta) {
    if (delta == 0) {
        return "–";
    }
    return delta > 0 ? "▲" + withThousands(delta) : "▼" + withThousands(-delta);
}

bool hasValue(const std::optional<std::string>& text) {
    return text && !text->empty();
}

}  // namespace

std::vector<SiteStatus> siteStatuses(std::vector<history::DomainRuns> recorded,
                                     const std::vector<std::string>& watched) {
    std::map<std::string, std::size_t> placeOf;
    for (std::size_t i = 0; i < watched.size(); ++i) {
        placeOf.emplace(watched[i], i);
    }
    std::vector<SiteStatus> sites(watched.size());
    for (std::size_t i = 0; i < watched.size(); ++i) {
        sites[i] = {{watched[i], {}, {}, {}}, true};
    }
    for (history::DomainRuns& domain : recorded) {
        if (const auto place = placeOf.find(domain.domain); place != placeOf.end()) {
            sites[place->second].runs = std::move(domain);
        } else {
            sites.push_back({std::move(domain), false});
        }
    }
    return sites;
}

std::optional<long long> numberOf(const RunRecord& run, Result result) {
    const std::optional<std::string>& text = run.results[result];
    return text ? countValue(*text) : std::nullopt;
}

std::optional<ValueChange> changeOf(const SiteStatus& site, Result result) {
    const RunRecord* latest = site.latest();
    if (latest == nullptr || !site.runs.compared) {
        return std::nullopt;
    }
    const RunRecord& compared = *site.runs.compared;
    const auto before = numberOf(compared, result);
    const auto after = numberOf(*latest, result);
    ValueChange change{compared.results[result], latest->results[result], std::nullopt};
    if (before && after) {
        change.delta = *after - *before;
        return *change.delta != 0 ? std::optional(change) : std::nullopt;
    }
    return change.from != change.to ? std::optional(change) : std::nullopt;
}

std::string valueCell(const SiteStatus& site, Result result) {
    const RunRecord* latest = site.latest();
    if (latest == nullptr) {
        return {};
    }
    if (!latest->notQueried.empty()) {
        return std::string("? ") + kNotQueriedShown;
    }
    const std::optional<std::string>& text = latest->results[result];
    if (!hasValue(text)) {
        const std::string& reason = latest->reasons[static_cast<std::size_t>(result)];
        return reason.empty() ? "?" : "? " + reason;
    }
    const auto number = numberOf(*latest, result);
    if (!number) {
        return *text;
    }
    const auto before = site.runs.compared ? numberOf(*site.runs.compared, result) : std::nullopt;
    return before ? withThousands(*number) + " " + changeMark(*number - *before) : withThousands(*number);
}

std::string shortfallOf(const RunRecord& run) {
    if (!run.notQueried.empty()) {
        return run.notQueried == kNotQueriedBlocked ? "因被拦截而未查询" : kNotQueriedShown;
    }
    std::string told;
    if (run.fetchFailures > 0) {
        told = "无法连接服务器 ×" + std::to_string(run.fetchFailures);
    }
    if (run.blockedPages > 0) {
        told += (told.empty() ? "" : "，") + std::string("被拦截 ×") + std::to_string(run.blockedPages);
    }
    return told;
}

}  // namespace quarnel::watch
