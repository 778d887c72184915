#include "history/sqlite_history.h"

#include "history/history_schema.h"
#include "base/results.h"

#include <SQLiteCpp/Database.h>
#include <SQLiteCpp/Statement.h>
#include <SQLiteCpp/Transaction.h>
#include <nlohmann/json.hpp>
#include <sqlite3.h>

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

// One index seek per domain instead of a walk over every run.
constexpr const char* kDomains =
    "WITH RECURSIVE next(domain) AS (SELECT min(domain) FROM runs"
    " UNION ALL SELECT (SELECT min(domain) FROM runs WHERE domain > next.domain) FROM next"
    " WHERE next.domain IS NOT NULL)"
    " SELECT domain FROM next WHERE domain IS NOT NULL";

// A database of an earlier schema is read without being changed: the columns it lacks
// read as what its runs were (the classic rules, nothing blocked, every domain queried, no transport known).
constexpr int kFirstVersionWithRules = 2;
constexpr int kFirstVersionWithNotQueried = 3;
constexpr int kFirstVersionWithTransports = 4;

std::string selectFor(int version) {
    return std::string("SELECT started, duration_ms, domain, origin, fetch_failures,"
                       " day, week, month, \"all\", snapshot, homepage, pagerank, hijack, ") +
           (version >= kFirstVersionWithRules ? "profile, blocked, reasons, " : "'classic', 0, NULL, ") +
           (version >= kFirstVersionWithNotQueried ? "not_queried, " : "NULL, ") +
           (version >= kFirstVersionWithTransports ? "served_by" : "NULL") +
           " FROM runs WHERE started >= ? AND started <= ?";
}

// Why each empty result is empty, by key, as one JSON object; nothing when none is.
std::optional<std::string> reasonsJson(const RunRecord& run) {
    nlohmann::json reasons = nlohmann::json::object();
    for (const ResultInfo& info : kResults) {
        if (const std::string& reason = run.reasons[static_cast<std::size_t>(info.result)]; !reason.empty()) {
            reasons[std::string(info.key)] = reason;
        }
    }
    if (reasons.empty()) {
        return std::nullopt;
    }
    return reasons.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
}

std::optional<std::string> requestsJson(const RunRecord& run) {
    if (run.requests.empty()) {
        return std::nullopt;
    }
    nlohmann::json requests = nlohmann::json::array();
    for (const ServedRequest& request : run.requests) {
        requests.push_back({{"page", request.page}, {"served_by", request.servedBy}});
    }
    return requests.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
}

void readRequests(const std::optional<std::string>& stored, RunRecord& run) {
    const nlohmann::json requests = nlohmann::json::parse(stored.value_or("[]"), nullptr, false);
    if (!requests.is_array()) {
        return;  // a damaged cell costs the requests, never the run
    }
    for (const nlohmann::json& request : requests) {
        const auto page = request.find("page");
        const auto servedBy = request.find("served_by");
        if (request.is_object() && page != request.end() && page->is_string() && servedBy != request.end() &&
            servedBy->is_string()) {
            run.requests.push_back({page->get<std::string>(), servedBy->get<std::string>()});
        }
    }
}

void readReasons(const std::optional<std::string>& stored, RunRecord& run) {
    const nlohmann::json reasons = nlohmann::json::parse(stored.value_or("{}"), nullptr, false);
    if (!reasons.is_object()) {
        return;  // a damaged cell costs the reasons, never the run
    }
    for (const ResultInfo& info : kResults) {
        if (const auto found = reasons.find(std::string(info.key)); found != reasons.end() && found->is_string()) {
            run.reasons[static_cast<std::size_t>(info.result)] = found->get<std::string>();
        }
    }
}

const char* originName(RunOrigin origin) {
    return origin == RunOrigin::Window ? "window" : "cli";
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

void bindText(SQLite::Statement& statement, int index, const std::optional<std::string>& text) {
    if (text) {
        statement.bind(index, *text);
    } else {
        statement.bind(index);
    }
}

std::optional<std::string> textColumn(SQLite::Statement& statement, int index) {
    const SQLite::Column column = statement.getColumn(index);
    if (column.isNull()) {
        return std::nullopt;
    }
    return column.getString();
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

RunRecord runOfRow(SQLite::Statement& query) {
    RunRecord run;
    run.startedAt = std::chrono::sys_seconds(std::chrono::seconds(query.getColumn(0).getInt64()));
    run.duration = std::chrono::milliseconds(query.getColumn(1).getInt64());
    run.domain = query.getColumn(2).getString();
    run.origin = query.getColumn(3).getString() == "window" ? RunOrigin::Window : RunOrigin::Cli;
    run.fetchFailures = query.getColumn(4).getInt();
    for (std::size_t i = 0; i < kResults.size(); ++i) {
        run.results[kResults[i].result] = textColumn(query, 5 + static_cast<int>(i));
    }
    run.profile = query.getColumn(13).getString();
    run.blockedPages = query.getColumn(14).getInt();
    readReasons(textColumn(query, 15), run);
    run.notQueried = textColumn(query, 16).value_or(std::string());
    readRequests(textColumn(query, 17), run);
    return run;
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
    insert.bind(1, run.domain);
    insert.bind(2, static_cast<std::int64_t>(run.startedAt.time_since_epoch().count()));
    insert.bind(3, static_cast<std::int64_t>(run.duration.count()));
    insert.bind(4, originName(run.origin));
    insert.bind(5, run.fetchFailures);
    int numberIndex = 14;
    for (std::size_t i = 0; i < kResults.size(); ++i) {
        const auto& text = run.results[kResults[i].result];
        bindText(insert, 6 + static_cast<int>(i), text);
        if (kResults[i].hasNumber()) {
            const auto number = text ? countValue(*text) : std::nullopt;
            if (number) {
                insert.bind(numberIndex, static_cast<std::int64_t>(*number));
            } else {
                insert.bind(numberIndex);
            }
            ++numberIndex;
        }
    }
    insert.bind(19, run.profile);
    insert.bind(20, run.blockedPages);
    bindText(insert, 21, reasonsJson(run));
    bindText(insert, 22, run.notQueried.empty() ? std::nullopt : std::optional(run.notQueried));
    bindText(insert, 23, requestsJson(run));
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
            SQLite::Statement query(*db, kDomains);
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
        std::string sql = selectFor(db->execAndGet("PRAGMA user_version").getInt());
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

}  // namespace quarnel::history
