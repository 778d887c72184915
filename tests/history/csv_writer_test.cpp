#include "history/csv_writer.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <sstream>

namespace quarnel::history {
namespace {

using namespace std::chrono_literals;

const auto kStarted = std::chrono::sys_days(std::chrono::year(2026) / 12 / 6) + 23h + 14min + 2s;
const std::string kHeader =
    "started,duration_ms,domain,origin,fetch_failures,day,week,month,all,snapshot,homepage,pagerank,hijack,"
    "day_number,week_number,month_number,all_number,pagerank_number\r\n";

// Each domain quoted as RFC 4180 wants it; the 1 MiB one crosses the writer's flush.
TEST(CsvWriterTest, EveryDomainSurvivesAndUnwrittenResultsStayEmpty) {
    const std::vector<std::pair<std::string, std::string>> domains = {
        {"example.com", "example.com"},
        {"quote\"comma,", "\"quote\"\"comma,\""},
        {"new\nline\r\n", "\"new\nline\r\n\""},
        {std::string("nul\0byte", 8), std::string("nul\0byte", 8)},
        {std::string(1 << 20, 'x'), std::string(1 << 20, 'x')},
    };
    std::vector<RunRecord> runs;
    std::string expected = kHeader;
    for (const auto& [domain, written] : domains) {
        RunRecord run{.startedAt = kStarted, .duration = 812ms, .domain = domain, .results = {}};
        run.results[Result::DayCount] = "约1,234";
        run.results[Result::WeekCount] = "";
        runs.push_back(run);
        expected += "2026-12-06T23:14:02Z,812," + written + ",cli,0,\"约1,234\",\"\",,,,,,,1234,,,,\r\n";
    }
    std::ostringstream out;
    writeCsv(out, runs, {});
    EXPECT_TRUE(out.str() == expected);

    std::ostringstream withMark;
    writeCsv(withMark, {}, {.byteOrderMark = true, .times = CsvOptions::Times::Local});
    EXPECT_EQ(withMark.str(), "\xEF\xBB\xBF" + kHeader);
}

TEST(CsvWriterTest, LocalTimesAreTheMachinesClockWithItsOffset) {
    const std::vector<std::pair<const char*, const char*>> zones = {
        {"CST-8", "2026-12-07T07:14:02+08:00"},
        {"<-0330>3:30", "2026-12-06T19:44:02-03:30"},
        {"UTC0", "2026-12-06T23:14:02+00:00"},
    };
    for (const auto& [zone, started] : zones) {
        ::setenv("TZ", zone, 1);
        ::tzset();
        std::ostringstream out;
        const RunRecord run{.startedAt = kStarted, .domain = "", .results = {}};
        writeCsv(out, {run}, {.times = CsvOptions::Times::Local});
        EXPECT_EQ(out.str().substr(kHeader.size(), 26), started + std::string(",")) << zone;
    }
    ::unsetenv("TZ");
    ::tzset();
}

}  // namespace
}  // namespace quarnel::history
