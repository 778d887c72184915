#pragma once

#include "base/run_record.h"

#include <string>

namespace SQLite {
class Statement;
}  // namespace SQLite

namespace quarnel::history {

// A run's columns as the statements below read them, in runOfRow's order. A database of
// an earlier schema is read without being changed: the columns it lacks read as what its
// runs were (the classic rules, nothing blocked, every domain queried, no transport known).
std::string runColumnsFor(int version);
inline constexpr int kRunColumnCount = 18;

// The condition that a row's run reached every service, as reachedEveryService says.
std::string reachedEveryServiceFor(int version);

// The run of the statement's current row, from its first kRunColumnCount columns.
RunRecord runOfRow(SQLite::Statement& query);

// Binds the run to the insert statement's parameters 1 to 23: the domain, its start,
// then the rest of the row as the runs table orders it, each count also as a number.
void bindRun(SQLite::Statement& insert, const RunRecord& run);

}  // namespace quarnel::history
