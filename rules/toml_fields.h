#pragma once

#include "base/expected.h"

#include <optional>
#include <set>
#include <string>
#include <string_view>

#include <toml++/toml.h>

namespace quarnel::rules {

// The first thing wrong with a profile, as "SOURCE:LINE:COLUMN: what is wrong". Reading
// goes on after it with empty values, so that each step stays one call; only the first
// failure is told.
class FirstFailure {
public:
    explicit FirstFailure(std::string_view source) : source_(source) {}

    void at(const toml::source_region& where, std::string_view what);
    bool failed() const { return reason_.has_value(); }
    Failure failure() const { return Failure{reason_.value_or(std::string())}; }

    // "SOURCE:LINE:COLUMN: what", also for toml++'s own syntax errors.
    static std::string located(std::string_view source, const toml::source_region& where,
                               std::string_view what);

private:
    std::string source_;
    std::optional<std::string> reason_;
};

// One table of a profile, read key by key. Every key the reader asks for is remembered;
// whatever the file holds beyond those is an unknown key (`rejectUnknownKeys`), so the
// reading code itself is the list of keys a table may have.
class TableFields {
public:
    TableFields(const toml::table& table, std::string path, FirstFailure& failure);

    // Absent keys give nothing (false for a flag); a value of another type fails.
    const toml::node* node(std::string_view key);
    std::optional<std::string> string(std::string_view key);
    std::string requiredString(std::string_view key);
    bool flag(std::string_view key);
    const toml::table* table(std::string_view key);
    const toml::array* array(std::string_view key);

    // `"path.key" what`, at the node (or at this table when it is absent).
    void failAt(std::string_view key, std::string_view what);
    // A text check's failure, told at the key it is about.
    void check(std::string_view key, const Expected<Done>& result);
    void failAtTable(std::string_view what);
    void rejectUnknownKeys();

    // The dotted name a message gives a key of this table ("pages.search-day.url").
    std::string keyPath(std::string_view key) const;

private:
    template <typename T>
    const T* typed(std::string_view key, std::string_view typeName);

    const toml::table& table_;
    std::string path_;
    FirstFailure& failure_;
    std::set<std::string, std::less<>> asked_;
};

}  // namespace quarnel::rules
