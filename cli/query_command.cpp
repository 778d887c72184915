#include "cli/commands.h"

#include "base/run_record.h"
#include "history/sqlite_history.h"
#include "cli/run_json.h"
#include "cli/site_run.h"

#include <CLI/CLI.hpp>

#include <ostream>
#include <memory>

namespace quarnel::cli {
namespace {

struct QueryOptions {
    bool json = false;
    bool noHistory = false;
    bool explain = false;
    std::vector<std::string> domains;
};

// Runs every domain of a batch, prints and records each run as it ends. After the
// first failure to record, the rest of the batch is only printed: the one line on
// standard error then says where the record's hole begins. Once the batch has stopped
// at a blocked answer, each domain after it is only named on standard error.
class QueryBatch {
public:
    QueryBatch(const QueryOptions& options, Invocation& invocation, const rules::Profile& profile)
        : options_(options), invocation_(invocation), runner_(invocation, profile) {
        if (!options.noHistory) {
            history_ = std::make_unique<history::SqliteHistory>(invocation.historyFile);
        }
    }

    // `where` names the domain's place for the message when it is empty.
    void query(const watch::BatchPlace& place, const std::string& where) {
        const std::string& domain = place.domain;
        if (domain.empty()) {
            // Most often an unset variable in a script: querying "" would record a run of nothing.
            invocation_.err << "quarnel-cli: " << where << " is an empty domain, not queried\n";
            emptyDomain_ = true;
            return;
        }
        const RunRecord run = runner_.query(place);
        if (!run.notQueried.empty()) {
            invocation_.err << "not queried: " << domain << " (" << run.notQueried << ')' << std::endl;
            allCompleted_ = false;
            return;
        }
        const RunTrace* explain = options_.explain ? &runner_.lastTrace() : nullptr;
        if (options_.json) {
            invocation_.out << formatJsonLine(run, false, explain);
        } else {
            invocation_.out << formatTextBlock(run) << (explain ? formatTrace(*explain) + '\n' : "");
        }
        invocation_.out << std::flush;
        // A verification page answered instead of results is as good as no answer.
        allCompleted_ = allCompleted_ && reachedEveryService(run);
        record(run);
    }

    int exitStatus() const {
        if (recordFailed_) {
            return kExitHistoryFailed;
        }
        if (emptyDomain_) {
            return kExitUsage;
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
    bool emptyDomain_ = false;
};

int runQueries(const QueryOptions& options, Invocation& invocation) {
    const std::optional<rules::LoadedProfile> profile = loadChosenProfile(invocation);
    if (!profile) {
        return kExitUsage;
    }
    QueryBatch batch(options, invocation, profile->profile);
    if (options.domains == std::vector<std::string>{"-"}) {
        std::size_t number = 0;
        for (std::string line; std::getline(invocation.in, line);) {
            if (!line.empty() && line.back() == '\r') {
                line.pop_back();
            }
            ++number;
            batch.query({.domain = line, .number = number, .total = 0}, "line " + std::to_string(number) + " of standard input");
        }
    } else {
        const std::size_t total = options.domains.size();
        for (std::size_t i = 0; i < total; ++i) {
            batch.query({.domain = options.domains[i], .number = i + 1, .total = total},
                        "domain argument " + std::to_string(i + 1));
        }
    }
    return batch.exitStatus();
}

}  // namespace

void addQueryCommand(CLI::App& app, Invocation& invocation) {
    auto options = std::make_shared<QueryOptions>();
    app.add_flag("--json", options->json);
    app.add_flag("--no-history", options->noHistory);
    app.add_flag("--explain", options->explain);
    CLI::Option* domains = app.add_option("domains", options->domains);
    app.callback([&invocation, options, domains] {
        if (invocation.command) {
            // A command was named; its own words left over land here.
            if (!domains->results().empty()) {
                throw CLI::ValidationError("domains", "not expected after the command: " + domains->results().front());
            }
            return;
        }
        // Read raw: CLI11 would drop an empty domain, which the batch tells as a usage error.
        options->domains = domains->results();
        const auto fromStdin = std::count(options->domains.begin(), options->domains.end(), "-");
        if (options->domains.empty() || (fromStdin > 0 && options->domains.size() > 1)) {
            throw CLI::ValidationError("domains", "give domains, or - alone to read them from standard input");
        }
        invocation.command = [&invocation, options] { return runQueries(*options, invocation); };
    });
}

}  // namespace quarnel::cli
