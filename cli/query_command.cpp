#include "cli/query_command.h"

#include "base/run_record.h"
#include "history/sqlite_history.h"
#include "cli/run_json.h"
#include "cli/site_run.h"

#include <CLI/CLI.hpp>

#include <iostream>
#include <memory>

namespace quarnel::cli {
namespace {

struct QueryOptions {
    bool json = false;
    bool noHistory = false;
    std::vector<std::string> domains;
};

// Runs every domain of a batch, prints and records each run as it ends. After the
// first failure to record, the rest of the batch is only printed: the one line on
// standard error then says where the record's hole begins.
class QueryBatch {
public:
    QueryBatch(const QueryOptions& options, Invocation& invocation)
        : options_(options), invocation_(invocation), runner_(invocation.clock) {
        if (!options.noHistory) {
            history_ = std::make_unique<history::SqliteHistory>(invocation.historyFile);
        }
    }

    void query(const std::string& domain) {
        const RunRecord run = runner_.query(domain);
        invocation_.out << (options_.json ? formatJsonLine(run) : formatTextBlock(run)) << std::flush;
        allCompleted_ = allCompleted_ && run.fetchFailures == 0;
        record(run);
    }

    int exitStatus() const {
        if (recordFailed_) {
            return kExitHistoryFailed;
        }
        return allCompleted_ ? kExitFine : kExitFetchFailed;
    }

private:
    void record(const RunRecord& run) {
        if (!history_ || recordFailed_) {
            return;
        }
        if (const Expected<Done> recorded = history_->record(run); !recorded) {
            recordFailed_ = true;
            tellHistoryError(invocation_, recorded.reason());
        }
    }

    const QueryOptions& options_;
    Invocation& invocation_;
    SiteRunner runner_;
    std::unique_ptr<history::SqliteHistory> history_;
    bool allCompleted_ = true;
    bool recordFailed_ = false;
};

int runQueries(const QueryOptions& options, Invocation& invocation) {
    QueryBatch batch(options, invocation);
    if (options.domains == std::vector<std::string>{"-"}) {
        for (std::string line; std::getline(invocation.in, line);) {
            if (!line.empty() && line.back() == '\r') {
                line.pop_back();
            }
            batch.query(line);
        }
    } else {
        for (const std::string& domain : options.domains) {
            batch.query(domain);
        }
    }
    return batch.exitStatus();
}

}  // namespace

void addQueryCommand(CLI::App& app, Invocation& invocation) {
    auto options = std::make_shared<QueryOptions>();
    app.add_flag("--json", options->json);
    app.add_flag("--no-history", options->noHistory);
    CLI::Option* domains = app.add_option("domains", options->domains);
    app.callback([&invocation, options, domains] {
        if (invocation.command) {
            // A command was named; its own words left over land here.
            if (!domains->results().empty()) {
                throw CLI::ValidationError("domains", "not expected after the command: " + domains->results().front());
            }
            return;
        }
        // Read raw: CLI11 would drop an empty domain, which is a domain like any other.
        options->domains = domains->results();
        const auto fromStdin = std::count(options->domains.begin(), options->domains.end(), "-");
        if (options->domains.empty() || (fromStdin > 0 && options->domains.size() > 1)) {
            throw CLI::ValidationError("domains", "give domains, or - alone to read them from standard input");
        }
        invocation.command = [&invocation, options] { return runQueries(*options, invocation); };
    });
}

}  // namespace quarnel::cli
