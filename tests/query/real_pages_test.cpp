// An extra beside the fixture pages: the same rules on real Baidu result pages that
// people saved between 2008 and 2022. They are not in the repository; the tests run where
// a checkout has them beside it.
#include "tests/query/current_over_https.h"
#include "tests/support/classic_profile.h"

#include <unistd.h>

#include <fstream>
#include <iterator>

namespace quarnel {
namespace {

namespace fs = std::filesystem;
using testing::CurrentReading;

const fs::path kPages = QUARNEL_REALPAGES_DIR;

std::string pageBytes(const std::string& name) {
    std::ifstream in(kPages / name, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

const CurrentReading kRealPages[] = {
    {"baidu_2008-06-19_ordinary_gb2312_wayback.html", "21", false, "seinse.net.cn", "2008-4-21"},
    {"baidu_2013-06-25_tn-baidufir_search-within-results_wayback.html", "", false, "", ""},
    {"baidu_2015-10-14_site-huawei.com_tn-baidulocal.html", "760", false, "xinsheng.huawei.com", "2015-10-9"},
    {"baidu_2018-03-27_https-to-http-redirect-stub_wayback.html", "", true, "", ""},
    {"baidu_2018-09-18_ordinary_wayback.html", "16", false, "www.yuezi668.com", "有快照"},
    {"baidu_2019-10-02_ordinary_wayback.html", "32", false, "", "2014年8月28日"},
    {"baidu_2020-06-13_captcha-security-check.html", "", true, "", ""},
    {"baidu_2020-08-18_ordinary_count-72900000.html", "72,900,000", false, "www.python.org", "有快照"},
    {"baidu_2020-08-20_ordinary_count-2.html", "2", false, "ggzy.jiangxi.gov.cn", "有快照"},
    {"baidu_2020-08-27_ordinary_count-0_no-results.html", "0", false, "", ""},
    {"baidu_2020-10-08_ordinary_count-1.html", "1", false, "", ""},
    {"baidu_2021-05-10_ordinary_hello.html", "100,000,000", false, "www.iciba.com", "有快照"},
    {"baidu_2022-12-10_ordinary_no-snapshot-link.html", "100,000,000", false, "news.china.com", "没有快照"},
};

class RealPagesTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (!fs::exists(kPages)) {
            GTEST_SKIP() << "no saved pages at " << kPages
                         << ": real Baidu result pages kept beside a checkout, not in the repository (SOURCES.md "
                            "there says where each comes from; configure with -DQUARNEL_REALPAGES_DIR=FOLDER to "
                            "name another folder). The fixture pages of current_rules_test test the same rules.";
        }
    }

    const fs::path folder_ = fs::temp_directory_path() / ("quarnel-real-pages-" + std::to_string(::getpid()));
};

TEST_F(RealPagesTest, CurrentRulesReadEveryPageAsItPrintsIt) {
    testing::CurrentOverHttps https(folder_);
    for (const CurrentReading& page : kRealPages) {
        SCOPED_TRACE(page.file);
        testing::expectReads(https.run(pageBytes(page.file), *page.host ? page.host : "example.com"), page);
    }
}

// The rules the program always had find a count on the 2008 page alone, and tell the
// verification page and the stub apart from pages that merely lack their markers.
TEST_F(RealPagesTest, ClassicRulesFindTheirMarkersOnlyOnThe2008PageAndTellBlockedPages) {
    for (const CurrentReading& page : kRealPages) {
        SCOPED_TRACE(page.file);
        testing::Answering transport{pageBytes(page.file)};
        const auto [controls, trace, messages] = testing::queryOnce(testing::classic(), transport, "example.com");
        EXPECT_EQ(testing::shown(controls, ResultLabel::Label4), std::string(page.file).starts_with("baidu_2008") ? "21" : "");
        EXPECT_EQ(trace.blockedCount() > 0, page.blocked);
    }
}

}  // namespace
}  // namespace quarnel
