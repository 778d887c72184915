#pragma once

#include <SQLiteCpp/Database.h>

namespace quarnel::history {

// The schema this program writes, kept in PRAGMA user_version.
int currentSchemaVersion();

// Brings a database opened for writing up to the current schema, one step per version
// it lacks, in one transaction that other writers wait for. Throws NewerSchema and
// changes nothing when the database was written by a newer version of the program.
void migrate(SQLite::Database& db);

// Throws NewerSchema when the database was written by a newer version; reads only.
void refuseNewerSchema(SQLite::Database& db);

struct NewerSchema {
    int found;
};

}  // namespace quarnel::history
