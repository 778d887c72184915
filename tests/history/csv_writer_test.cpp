#include "history/csv_writer.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <sstream>

namespace quarnel::history {
namespace {

using namespace std::chrono_literals;

// RFC 4180 read back: fields of each row, quotes undone.
std::vector<std::vector<std::string>> parseCsv(const std::string& text) {
    std::vector<std::vector<std::string>> rows(1, std::vector<std::string>(1));
    bool quoted = false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char ch = text[i];
        if (quoted) {
            if (ch != '"') {
                rows.back().back() += ch;
            } else if (i + 1 < text.size() && text[i + 1] == '"') {
                rows.back().back() += '"';
                ++i;
            } else {
                quoted = false;
            }
        } else if (ch == '"') {
            quoted = true;
        } else if (ch == ',') {
            rows.back().emplace_back();
        } else if (ch == '\r' && text[i + 1] == '\n') {
            rows.emplace_back(1);
            ++i;
        } else {
            rows.back().back() += ch;
        }
    }
    rows.pop_back();
    return rows;
}

TEST(CsvWriterTest, EveryDomainSurvivesAndUnwrittenResultsStayEmpty) {
    const std::vector<std::string> domains = {"example.com", "quote\"comma,", "new\nline\r\n",
                                              std::string("nul\0byte", 8), std::string(1 << 20, 'x')};
    std::vector<RunRecord> runs;
    for (const std::string& domain : domains) {
        RunRecord run;
        run.domain = domain;
        run.startedAt = std::chrono::sys_days(std::chrono::year(2026) / 12 / 6) + 23h + 14min + 2s;
        run.duration = 812ms;
        run.results[Result::DayCount] = "约1,234";
        run.results[Result::WeekCount] = "";
        runs.push_back(run);
    }
    std::ostringstream out;
    writeCsv(out, runs, {});

    const auto rows = parseCsv(out.str());
    ASSERT_EQ(rows.size(), domains.size() + 1);
    EXPECT_EQ(rows[0][0], "started");
    for (std::size_t i = 0; i < domains.size(); ++i) {
        EXPECT_EQ(rows[i + 1][2], domains[i]);
    }
    const std::string firstRow = out.str().substr(out.str().find("\r\n") + 2);
    EXPECT_EQ(firstRow.substr(0, firstRow.find("\r\n") + 2),
              "2026-12-06T23:14:02Z,812,example.com,cli,0,\"约1,234\",\"\",,,,,,,1234,,,,\r\n");
    EXPECT_EQ(rows[1].size(), rows[0].size());

    std::ostringstream withMark;
    writeCsv(withMark, {}, {.byteOrderMark = true, .times = CsvOptions::Times::Local});
    EXPECT_EQ(withMark.str().rfind("\xEF\xBB\xBFstarted,", 0), 0u);
}

TEST(CsvWriterTest, LocalTimesAreTheMachinesClockWithItsOffset) {
    RunRecord run;
    run.startedAt = std::chrono::sys_days(std::chrono::year(2026) / 12 / 6) + 23h + 14min + 2s;
    const std::vector<std::pair<const char*, const char*>> zones = {
        {"CST-8", "2026-12-07T07:14:02+08:00"},
        {"<-0330>3:30", "2026-12-06T19:44:02-03:30"},
        {"UTC0", "2026-12-06T23:14:02+00:00"},
    };
    for (const auto& [zone, started] : zones) {
        ::setenv("TZ", zone, 1);
        ::tzset();
        std::ostringstream out;
        writeCsv(out, {run}, {.times = CsvOptions::Times::Local});
        EXPECT_EQ(parseCsv(out.str()).at(1).at(0), started) << zone;
    }
    ::unsetenv("TZ");
    ::tzset();
}

}  // namespace
}  // namespace quarnel::history
