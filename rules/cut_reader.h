#pragma once

#include "rules/profile.h"
#include "rules/toml_fields.h"

#include <functional>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

namespace quarnel::rules {

// The values of a profile and how each is cut. A value is one table ([snapshot]) or an
// array of tables ([[snapshot]]), each one way to it, tried in order; the page a value
// reads (`page`, `again`) and the remark's `maybe` go in the first.
class CutReader {
public:
    CutReader(TableFields& top, FirstFailure& failures, const std::map<std::string, PageSource>& pages);

    // A value cut from a page; `maybe`, when given, also takes that key (the remark's).
    // Asked in the order a run makes the cuts, so that `again` is checked against the
    // pages the values before it fetch.
    std::optional<Cut> cut(std::string_view key, std::string* maybe = nullptr);
    // A value cut inside the first result's block; `firstResult`: the profile has one.
    std::optional<BlockCut> blockCut(std::string_view key, bool firstResult);

private:
    std::vector<const toml::table*> tables(std::string_view key);
    // Each table as one way to the value; `ownKeys` reads what the value itself holds,
    // told whether the table is the first.
    std::vector<Alternative> alternatives(std::string_view key, const std::vector<const toml::table*>& tables,
                                          const std::function<void(TableFields&, bool first)>& ownKeys);

    TableFields& top_;
    FirstFailure& failures_;
    const std::map<std::string, PageSource>& pages_;
    std::set<std::string> fetched_;  // the pages the values read so far fetch, in run order
};

}  // namespace quarnel::rules
