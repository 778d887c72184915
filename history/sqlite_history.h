#pragma once

#include "history/history_store.h"

#include <chrono>
#include <filesystem>
#include <memory>

namespace SQLite {
class Database;
class Statement;
}  // namespace SQLite

namespace quarnel::history {

inline constexpr std::chrono::milliseconds kDefaultBusyTimeout{5000};

// The history in one SQLite file, opened on first use: a record creates the file and
// its folder when missing; a read of a missing file finds no runs and creates nothing.
// An existing file is opened as it is, never created anew, truncated or deleted, and
// one written by a newer version of the program is only read. Write-ahead logging lets
// reads and writes of other processes go on side by side; a writer waits up to
// `busyTimeout` for another, and so does a second process creating the same file at
// the same moment. Use one object from one thread at a time.
class SqliteHistory final : public RunRecorder, public HistoryReader {
public:
    explicit SqliteHistory(std::filesystem::path path, std::chrono::milliseconds busyTimeout = kDefaultBusyTimeout);
    ~SqliteHistory() override;

    Expected<Done> record(const RunRecord& run) override;
    // Every run or, when one fails, none of them: one transaction.
    Expected<Done> recordAll(const std::vector<RunRecord>& runs);
    Expected<std::vector<std::string>> domains() const override;
    Expected<std::vector<RunRecord>> runs(const RunFilter& filter) const override;
    // One statement for every domain, however many there are.
    Expected<std::vector<DomainRuns>> latestRuns(std::size_t recent,
                                                const std::optional<std::string>& domain) const override;

    const std::filesystem::path& path() const { return path_; }

private:
    struct Writer;

    Expected<Done> openWriter();
    void insert(const RunRecord& run);
    // Nothing when there is no file yet, or no runs in it.
    SQLite::Database* reader() const;
    // Runs `work`, which may throw SQLite::Exception, and gives back its result or why it
    // failed; `db` is the connection whose failed system call the reason may name.
    template <typename Work>
    auto guarded(const std::unique_ptr<SQLite::Database>& db, Work work) const -> decltype(work());
    Failure failure(const std::string& reason) const;

    std::filesystem::path path_;
    std::chrono::milliseconds busyTimeout_;
    std::unique_ptr<Writer> writer_;
    mutable std::unique_ptr<SQLite::Database> reader_;
};

}  // namespace quarnel::history
