#include "history/history_schema.h"

#include <SQLiteCpp/Transaction.h>

#include <array>
#include <string>

namespace quarnel::history {
namespace {

// Step i takes a database from version i to i + 1. A schema change is one more step
// here; a step is never edited once released.
// The runs are kept in (domain, time) order, which is also their index: one domain's
// runs lie side by side however many other domains were queried in between. `seq`
// tells apart runs of one domain started in the same second. Times are seconds since
// 1970 (UTC), a third of the bytes of the ISO text the views show.
// Version 2 adds what a run's rules were: the profile, how many answers were a
// verification page or a stub, and why each empty result is empty (a JSON object by key).
// Version 3 adds why a watched domain was not queried at all (NULL for a run that was made).
// Version 4 adds which way each request came (a JSON array of {"page", "served_by"}).
constexpr std::array<const char*, 4> kMigrations = {
    R"(CREATE TABLE runs(
         domain TEXT NOT NULL,
         started INTEGER NOT NULL,
         seq INTEGER NOT NULL,
         duration_ms INTEGER NOT NULL,
         origin TEXT NOT NULL,
         fetch_failures INTEGER NOT NULL,
         day TEXT, week TEXT, month TEXT, "all" TEXT,
         snapshot TEXT, homepage TEXT, pagerank TEXT, hijack TEXT,
         day_count INTEGER, week_count INTEGER, month_count INTEGER, all_count INTEGER,
         pagerank_value INTEGER,
         PRIMARY KEY (domain, started, seq)) WITHOUT ROWID)",
    R"(ALTER TABLE runs ADD COLUMN profile TEXT NOT NULL DEFAULT 'classic';
       ALTER TABLE runs ADD COLUMN blocked INTEGER NOT NULL DEFAULT 0;
       ALTER TABLE runs ADD COLUMN reasons TEXT)",
    R"(ALTER TABLE runs ADD COLUMN not_queried TEXT)",
    R"(ALTER TABLE runs ADD COLUMN served_by TEXT)",
};

int userVersion(SQLite::Database& db) {
    return db.execAndGet("PRAGMA user_version").getInt();
}

}  // namespace

int currentSchemaVersion() {
    return static_cast<int>(kMigrations.size());
}

Expected<Done> migrate(SQLite::Database& db) {
    // The write lock first, then look: another process may be preparing the file too.
    SQLite::Transaction transaction(db, SQLite::TransactionBehavior::IMMEDIATE);
    const int found = userVersion(db);
    if (found > currentSchemaVersion()) {
        return Failure{"written by a newer version of quarnel (schema " + std::to_string(found) +
                       ", this one knows " + std::to_string(currentSchemaVersion()) + "); it is only read, never changed"};
    }
    if (found == 0 && db.execAndGet("SELECT count(*) FROM sqlite_master").getInt() > 0) {
        return Failure{"not a history database; it is left as it is"};
    }
    if (found < currentSchemaVersion()) {
        for (int step = found; step < currentSchemaVersion(); ++step) {
            db.exec(kMigrations[static_cast<std::size_t>(step)]);
        }
        db.exec("PRAGMA user_version = " + std::to_string(currentSchemaVersion()));
    }
    transaction.commit();
    return Done{};
}

}  // namespace quarnel::history
