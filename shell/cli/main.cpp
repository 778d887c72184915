#include "fetch/curl_transport.h"
#include "fetch/http_page_fetcher.h"
#include "query/query_run.h"
#include "shell/cli/cli_options.h"
#include "shell/cli/domain_report.h"
#include "shell/cli/stderr_message_box.h"
#include "shell/memory_control_model.h"

#include <iostream>
#include <string>
#include <vector>

namespace {

using namespace quarnel;

// Runs the query for one domain on fresh controls, as the window would, and prints it.
// Returns whether every fetch of the run completed.
bool queryAndPrint(const std::string& domain, bool json, PageFetcher& fetcher, cli::StderrMessageBox& messages) {
    MemoryControlModel controls;
    controls.setText(TextBox::Text3, domain);
    messages.resetCount();
    QueryRun(controls, fetcher, nullptr).run();

    const cli::DomainReport report = cli::reportOf(domain, controls, messages.count());
    std::cout << (json ? cli::formatJsonLine(report) : cli::formatTextBlock(report)) << std::flush;
    return report.fetchFailures == 0;
}

}  // namespace

int main(int argc, char** argv) {
    const auto options = cli::parseCommandLine(std::vector<std::string>(argv + 1, argv + argc));
    if (!options) {
        std::cerr << cli::kUsage;
        return 2;
    }
    if (options->help) {
        std::cout << cli::kUsage;
        return 0;
    }

    CurlTransport transport;
    cli::StderrMessageBox messages;
    HttpPageFetcher fetcher(transport, messages);

    bool allCompleted = true;
    const auto query = [&](const std::string& domain) {
        allCompleted = queryAndPrint(domain, options->json, fetcher, messages) && allCompleted;
    };
    if (options->domainsFromStdin) {
        for (std::string line; std::getline(std::cin, line);) {
            if (!line.empty() && line.back() == '\r') {
                line.pop_back();
            }
            query(line);
        }
    } else {
        for (const std::string& domain : options->domains) {
            query(domain);
        }
    }
    return allCompleted ? 0 : 1;
}
