#include "history/sqlite_history.h"

#include "history/history_schema.h"
#include "history/run_rows.h"

#include <SQLiteCpp/Database.h>
#include <SQLiteCpp/Statement.h>
#include <SQLiteCpp/Transaction.h>
#include <sqlite3.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <limits>
#include <system_error>
#include <thread>

namespace quarnel::history {
namespace {

constexpr std::chrono::milliseconds kBusyRetryPause{10};

constexpr const char* kInsert =
    "INSERT INTO runs(domain, started, seq, duration_ms, origin, fetch_failures,"
    " day, week, month, \"all\", snapshot, homepage, pagerank, hijack,"
    " day_count, week_count, month_count, all_count, pagerank_value, profile, blocked, reasons, not_queried, served_by)"
    " VALUES(?1, ?2, (SELECT count(*) FROM runs WHERE domain = ?1 AND started = ?2), ?3, ?4, ?5,"
    " ?6, ?7, ?8, ?9, ?10, ?11, ?12, ?13, ?14, ?15, ?16, ?17, ?18, ?19, ?20, ?21, ?22, ?23)";

// Every domain, in order: one index seek each instead of a walk over every run.
const std::string kEachDomain =
    "WITH RECURSIVE next(name) AS (SELECT min(domain) FROM runs"
    " UNION ALL SELECT (SELECT min(domain) FROM runs WHERE domain > next.name) FROM next"
    " WHERE next.name IS NOT NULL)";

std::string selectRuns(int version) {
    return "SELECT " + runColumnsFor(version) +
           " FROM runs WHERE started >= ? AND started <= ?";
}

// Of each domain (every one, or only ?3), its last ?1 + 1 runs (a few more when several
// started in the second of the first of them), each with whether it reached every
// service and whether it is one of those; then, when older than all of them, the runs of
// the second in which the last run before the latest that reached every service started
// (?2 stands for no second). Each domain is done with before the next: its lookups are
// walks down one stretch of the primary key, over the few pages they share. LIMIT -1 has
// SQLite work out each domain's edges once, not once for every place they are used;
// CROSS JOIN keeps the domains the outer loop, so that SQLite never scans every run for
// the few it needs, and a domain's runs come together, in the order of the key.
std::string selectLatestRuns(int version, bool oneDomain) {
    const std::string complete = reachedEveryServiceFor(version);
    const std::string columns = runColumnsFor(version);
    return (oneDomain ? std::string("WITH next(name) AS (SELECT ?3)") : kEachDomain) +
           ", edges AS (SELECT name,"
           " ifnull((SELECT started FROM runs WHERE domain = next.name ORDER BY started DESC, seq DESC"
           " LIMIT 1 OFFSET ?1), ?2) AS first_recent,"
           " (SELECT started FROM runs WHERE domain = next.name AND " + complete +
           " AND (started, seq) < (SELECT started, seq FROM runs WHERE domain = next.name"
           " ORDER BY started DESC, seq DESC LIMIT 1)"
           " ORDER BY started DESC, seq DESC LIMIT 1) AS compared"
           " FROM next WHERE name IS NOT NULL LIMIT -1)"
           " SELECT " + columns + ", " + complete + ", started >= first_recent FROM edges CROSS JOIN runs"
           " ON domain = edges.name AND started >= min(first_recent, ifnull(compared, first_recent))"
           " WHERE started >= first_recent OR (started = compared AND " + complete + ")";
}

// Makes one domain's DomainRuns of its rows of selectLatestRuns, taken in order, one at a
// time: only the latest run and the one compared with are kept whole.
class DomainRunsBuilder {
public:
    explicit DomainRunsBuilder(std::string domain) { built_.domain = std::move(domain); }

    const std::string& domain() const { return built_.domain; }

    void add(RunRecord run, bool complete, bool recent) {
        if (built_.latest && latestComplete_) {
            built_.compared = std::move(built_.latest);
        }
        if (recent) {
            built_.recent.push_back(numbersOf(run.results));
        }
        built_.latest = std::move(run);
        latestComplete_ = complete;
    }

    DomainRuns finish(std::size_t recent) && {
        // Runs that started in the same second as the first of the last ones come along.
        if (built_.recent.size() > recent) {
            built_.recent.erase(built_.recent.begin(), built_.recent.end() - static_cast<std::ptrdiff_t>(recent));
        }
        return std::move(built_);
    }

private:
    DomainRuns built_;
    bool latestComplete_ = false;
};

int schemaVersionOf(SQLite::Database& db) {
    return db.execAndGet("PRAGMA user_version").getInt();
}

// `systemError` is the errno behind a failed read or write, 0 when there was none.
std::string reasonOf(const SQLite::Exception& error, std::chrono::milliseconds busyTimeout, int systemError) {
    switch (error.getErrorCode()) {
    case SQLITE_NOTADB:
        return "not a history database; it is left as it is";
    case SQLITE_BUSY:
    case SQLITE_LOCKED:
        return "in use by another program for more than " + std::to_string(busyTimeout.count()) + " ms";
    case SQLITE_FULL:
        return "the disk is full";
    case SQLITE_READONLY:
    case SQLITE_PERM:
        return "not writable";
    case SQLITE_CANTOPEN:
        return "cannot be opened";
    case SQLITE_IOERR:
        // A full disk or the file size limit often shows as a failed write here.
        return systemError != 0 ? std::string("cannot write: ") + std::strerror(systemError) : error.what();
    default:
        return error.what();
    }
}

bool isBusy(const SQLite::Exception& error) {
    return error.getErrorCode() == SQLITE_BUSY || error.getErrorCode() == SQLITE_LOCKED;
}

// Brings a freshly opened database to where runs can be inserted.
Expected<Done> prepareForWriting(SQLite::Database& db) {
    // The schema first: it refuses a newer or foreign file before anything writes to
    // it, and switching the journal rewrites the file header.
    if (Expected<Done> migrated = migrate(db); !migrated) {
        return migrated;
    }
    db.exec("PRAGMA journal_mode = WAL");
    // A commit survives the program ending at any moment; after a power cut the last
    // runs may be missing, never the database.
    db.exec("PRAGMA synchronous = NORMAL");
    // Room for the pages that a day's runs of many domains write to.
    db.exec("PRAGMA cache_size = -16384");
    return Done{};
}

}  // namespace

struct SqliteHistory::Writer {
    std::unique_ptr<SQLite::Database> db;
    SQLite::Statement insert;

    explicit Writer(std::unique_ptr<SQLite::Database> opened) : db(std::move(opened)), insert(*db, kInsert) {}
};

SqliteHistory::SqliteHistory(std::filesystem::path path, std::chrono::milliseconds busyTimeout)
    : path_(std::move(path)), busyTimeout_(busyTimeout) {}

SqliteHistory::~SqliteHistory() = default;

Failure SqliteHistory::failure(const std::string& reason) const {
    return Failure{path_.string() + ": " + reason};
}

// SQLite answers "busy" at once, without waiting, where its own wait could deadlock two
// connections: switching the journal mode while another process creates the schema of
// the same new file is one such place. So the whole step is tried again until the
// timeout has passed, and "in use for more than N ms" is always true when told.
template <typename Work>
auto SqliteHistory::guarded(const std::unique_ptr<SQLite::Database>& db, Work work) const -> decltype(work()) {
    const auto deadline = std::chrono::steady_clock::now() + busyTimeout_;
    for (;;) {
        try {
            return work();
        } catch (const SQLite::Exception& e) {
            if (!isBusy(e) || std::chrono::steady_clock::now() >= deadline) {
                return failure(reasonOf(e, busyTimeout_, db ? ::sqlite3_system_errno(db->getHandle()) : 0));
            }
        }
        std::this_thread::sleep_for(kBusyRetryPause);
    }
}

Expected<Done> SqliteHistory::openWriter() {
    if (path_.empty()) {
        return Failure{"no place for the history: neither XDG_DATA_HOME nor HOME is an absolute folder"};
    }
    std::error_code statusError;
    const auto status = std::filesystem::status(path_, statusError);
    int flags = SQLITE_OPEN_READWRITE;
    if (std::filesystem::is_directory(status)) {
        return failure("a folder is in the way of the database");
    }
    if (!std::filesystem::exists(status)) {
        // A bare file name lies in the current folder, which is there already.
        std::error_code folderError;
        if (path_.has_parent_path()) {
            std::filesystem::create_directories(path_.parent_path(), folderError);
        }
        if (folderError) {
            return failure("cannot create its folder: " + folderError.message());
        }
        flags |= SQLITE_OPEN_CREATE;
    }
    std::unique_ptr<SQLite::Database> db;
    return guarded(db, [&]() -> Expected<Done> {
        db = std::make_unique<SQLite::Database>(path_, flags, static_cast<int>(busyTimeout_.count()));
        if (Expected<Done> prepared = prepareForWriting(*db); !prepared) {
            return failure(prepared.reason());
        }
        writer_ = std::make_unique<Writer>(std::move(db));
        return Done{};
    });
}

Expected<Done> SqliteHistory::record(const RunRecord& run) {
    return recordAll({run});
}

Expected<Done> SqliteHistory::recordAll(const std::vector<RunRecord>& runs) {
    if (!writer_) {
        if (Expected<Done> opened = openWriter(); !opened) {
            return opened;
        }
    }
    return guarded(writer_->db, [&]() -> Expected<Done> {
        // The write lock up front: a deferred one could fail at once instead of waiting.
        SQLite::Transaction transaction(*writer_->db, SQLite::TransactionBehavior::IMMEDIATE);
        for (const RunRecord& run : runs) {
            insert(run);
        }
        transaction.commit();
        return Done{};
    });
}
void SqliteHistory::insert(const RunRecord& run) {
    SQLite::Statement& insert = writer_->insert;
    insert.tryReset();  // an earlier failure is told already
    bindRun(insert, run);
    insert.exec();
}

SQLite::Database* SqliteHistory::reader() const {
    if (!reader_) {
        std::error_code error;
        if (!std::filesystem::exists(path_, error)) {
            return nullptr;
        }
        reader_ = std::make_unique<SQLite::Database>(path_, SQLITE_OPEN_READONLY, static_cast<int>(busyTimeout_.count()));
    }
    return reader_->tableExists("runs") ? reader_.get() : nullptr;
}

Expected<std::vector<std::string>> SqliteHistory::domains() const {
    return guarded(reader_, [&]() -> Expected<std::vector<std::string>> {
        std::vector<std::string> found;
        if (SQLite::Database* db = reader()) {
            SQLite::Statement query(*db, kEachDomain + " SELECT name FROM next WHERE name IS NOT NULL");
            while (query.executeStep()) {
                found.push_back(query.getColumn(0).getString());
            }
        }
        return found;
    });
}

Expected<std::vector<RunRecord>> SqliteHistory::runs(const RunFilter& filter) const {
    return guarded(reader_, [&]() -> Expected<std::vector<RunRecord>> {
        std::vector<RunRecord> found;
        SQLite::Database* db = reader();
        if (db == nullptr) {
            return found;
        }
        std::string sql = selectRuns(schemaVersionOf(*db));
        if (!filter.domains.empty()) {
            sql += " AND domain IN (?";
            for (std::size_t i = 1; i < filter.domains.size(); ++i) {
                sql += ",?";
            }
            sql += ")";
        }
        sql += " ORDER BY started, seq";
        SQLite::Statement query(*db, sql);
        const auto seconds = [](const std::optional<std::chrono::sys_seconds>& time, std::int64_t otherwise) {
            return time ? static_cast<std::int64_t>(time->time_since_epoch().count()) : otherwise;
        };
        query.bind(1, seconds(filter.since, std::numeric_limits<std::int64_t>::min()));
        query.bind(2, seconds(filter.until, std::numeric_limits<std::int64_t>::max()));
        for (std::size_t i = 0; i < filter.domains.size(); ++i) {
            query.bind(3 + static_cast<int>(i), filter.domains[i]);
        }
        while (query.executeStep()) {
            found.push_back(runOfRow(query));
        }
        return found;
    });
}

Expected<std::vector<DomainRuns>> SqliteHistory::latestRuns(std::size_t recent,
                                                            const std::optional<std::string>& domain) const {
    recent = std::max<std::size_t>(recent, 1);
    return guarded(reader_, [&]() -> Expected<std::vector<DomainRuns>> {
        std::vector<DomainRuns> found;
        SQLite::Database* db = reader();
        if (db == nullptr) {
            return found;
        }
        SQLite::Statement query(*db, selectLatestRuns(schemaVersionOf(*db), domain.has_value()));
        query.bind(1, static_cast<std::int64_t>(recent - 1));
        query.bind(2, std::numeric_limits<std::int64_t>::min());
        if (domain) {
            query.bind(3, *domain);
        }
        // No ORDER BY: SQLite's sorter would hold every domain's runs at once, and spill
        // them to a temporary file.
        std::optional<DomainRunsBuilder> building;
        while (query.executeStep()) {
            RunRecord run = runOfRow(query);
            if (!building || building->domain() != run.domain) {
                if (building) {
                    found.push_back(std::move(*building).finish(recent));
                }
                building.emplace(run.domain);
            }
            building->add(std::move(run), query.getColumn(kRunColumnCount).getInt() != 0,
                          query.getColumn(kRunColumnCount + 1).getInt() != 0);
        }
        if (building) {
            found.push_back(std::move(*building).finish(recent));
        }
        return found;
    });
}

ResultNumbers numbersOf(const RunResults& results) {
    ResultNumbers numbers;
    for (std::size_t i = 0; i < kResults.size(); ++i) {
        const std::optional<std::string>& text = results[kResults[i].result];
        numbers[i] = text ? countValue(*text) : std::nullopt;
    }
    return numbers;
}

}  // namespace quarnel::history
