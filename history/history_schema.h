#pragma once

#include "base/expected.h"

#include <SQLiteCpp/Database.h>

namespace quarnel::history {

// The schema this program writes, kept in PRAGMA user_version.
int currentSchemaVersion();

// Brings a database opened for writing up to the current schema, one step per version
// it lacks, in one transaction that waits for other writers: a second process
// preparing the same file at the same moment finds the work done. Fails and changes
// nothing when a newer version of the program wrote the database, or another program
// (tables, but no version of ours). SQLite's own failures throw SQLite::Exception.
Expected<Done> migrate(SQLite::Database& db);

}  // namespace quarnel::history
