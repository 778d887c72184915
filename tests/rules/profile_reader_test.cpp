#include "rules/profile_reader.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <fstream>
#include <unistd.h>

namespace quarnel::rules {
namespace {

using ::testing::HasSubstr;
using ::testing::StartsWith;

const MarkerRule& markers(const std::optional<Cut>& cut) { return std::get<MarkerRule>(cut.value().alternatives.at(0).rule.value()); }

TEST(ProfileReader, EveryBuiltInProfileReadsUnderItsOwnName) {
    ASSERT_FALSE(builtInProfiles().empty());
    for (const BuiltInProfile& builtIn : builtInProfiles()) {
        const Expected<LoadedProfile> loaded = loadProfile(builtIn.name, {});
        ASSERT_TRUE(loaded) << loaded.reason();
        EXPECT_EQ(loaded->profile.name, builtIn.name);
        EXPECT_EQ(loaded->toml, builtIn.toml);
    }
}

TEST(ProfileReader, CurrentLoadsItsSearchesInTheBrowserAndAsksOpenPageRankWithLibcurl) {
    const Expected<LoadedProfile> current = loadProfile("current", {});
    ASSERT_TRUE(current) << current.reason();
    for (const auto& [name, page] : current->profile.pages) {
        EXPECT_EQ(page.transport, name == "opr" ? PageTransport::Curl : PageTransport::Browser) << name;
    }
    const Expected<Profile> said = readProfile("name = \"t\"\n[pages.p]\nurl = \"http://x/\"\ntransport = \"curl\"\n", "t");
    ASSERT_TRUE(said) << said.reason();
    EXPECT_EQ(said->pages.at("p").transport, PageTransport::Curl);
}

// A profile is untrusted: whatever is wrong with it is told with where it is.
TEST(ProfileReader, ABadProfileIsRefusedWithWhereAndWhy) {
    const std::string named = "name = \"t\"\n";
    const std::string head = named + "[pages.p]\nurl = \"http://x/?q={domain}\"\n";  // lines 1-3
    const auto url = [&](const std::string& url) { return named + "[pages.p]\nurl = \"" + url + "\"\n"; };
    const auto dayCount = [&](const std::string& rest) { return head + "[day_count]\npage = \"p\"\n" + rest; };
    const auto pace = [&](const std::string& rest) { return named + "[pace]\n" + rest; };
    const std::string kNotHttp = "bad.toml:3:7: \"pages.p.url\" must start with http:// or https://";
    const std::string kBetweenRange =
        "bad.toml:3:11: \"pace.between\" must be two numbers of seconds from 0 to 3600, the shortest pause and the longest";
    const struct {
        std::string toml;
        std::string reason;
    } rows[] = {
        {named + "colour = = 1\n", "bad.toml:2:10: Error while parsing value: could not determine value type"},
        {std::string(kLargestProfileBytes + 1, '#'), "bad.toml: larger than 1 MiB, so not read as a profile"},
        {head + "colour = 1\n", "bad.toml:4:1: unknown key \"pages.p.colour\""},
        {dayCount("markers = [\"a\", \"b\"]\nagain = false\nsince = 3\n"), "bad.toml:8:1: unknown key \"day_count.since\""},
        {head + "[snapshot]\npage = \"p\"\nmarkers = [\"a\", \"b\"]\n",
         "bad.toml:4:1: \"snapshot\" cuts inside the first result, but the profile has no first_result"},
        {"description = \"d\"\n", "bad.toml:1:1: \"name\" is missing"},
        {"name = \"\"\n", "bad.toml:1:8: \"name\" is empty"},
        {named + "[pages.p]\nencoding = \"gbk\"\n", "bad.toml:2:1: \"pages.p.url\" is missing"},
        {head + "[day_count]\nmarkers = [\"a\", \"b\"]\n", "bad.toml:4:1: \"day_count.page\" is missing"},
        {"name = 3\n", "bad.toml:1:8: \"name\" must be a string"},
        {head + "cookies = \"yes\"\n", "bad.toml:4:11: \"pages.p.cookies\" must be true or false"},
        {head + "headers = [\"Referer: http://x/\", 7]\n", "bad.toml:4:34: \"pages.p.headers\" must be strings"},
        {head + "[day_count]\npage = \"q\"\nmarkers = [\"a\", \"b\"]\n", "bad.toml:5:8: \"day_count.page\" names no table in [pages]"},
        {dayCount("markers = [\"a\", \"\"]\n"), "bad.toml:6:11: \"day_count.markers\" holds an empty marker"},
        {dayCount("markers = [\"a\"]\n"), "bad.toml:6:11: \"day_count.markers\" must be two strings, the first marker and the second"},
        {dayCount(""), "bad.toml:4:1: \"day_count\" needs one rule (markers, xpath or json) or a text to show"},
        {dayCount("markers = [\"a\", \"b\"]\njson = \"/a\"\n"), "bad.toml:4:1: \"day_count\" needs exactly one rule: markers, xpath or json"},
        {dayCount("xpath = \"//div[@id='1'\"\n"), "bad.toml:6:9: \"day_count.xpath\" does not compile: Invalid predicate at character 14"},
        {dayCount("xpath = \"//b\"\nfinish = \"bold\"\n"), "bad.toml:7:10: \"day_count.finish\" must be text, host, number or date"},
        {dayCount("markers = [\"a\", \"b\"]\nfinish = \"text\"\n"), "bad.toml:7:10: \"day_count.finish\" goes only with an xpath rule"},
        {url("file:///etc/passwd"), kNotHttp},
        {url("javascript:http://x"), kNotHttp},
        {url("httpx://x/"), kNotHttp},
        {url("http:/x/"), kNotHttp},
        {url("https:x/"), kNotHttp},
        {url("http://x/?k={key}"), "bad.toml:3:7: \"pages.p.url\" has an unknown placeholder {key}"},
        {url("http://x/?t={now-1h}"), "bad.toml:3:7: \"pages.p.url\" has an unknown placeholder {now-1h}"},
        {url("http://x/?t={domain"), "bad.toml:3:7: \"pages.p.url\" has a { that no } closes"},
        {head + "headers = [\"X-A: b\\r\\nHost: evil\"]\n", "bad.toml:4:12: \"pages.p.headers\" must be one line"},
        {head + "headers = [\"Referer http://x/\"]\n", "bad.toml:4:12: \"pages.p.headers\" must read \"Name: value\""},
        {head + "transport = \"chrome\"\n", "bad.toml:4:13: \"pages.p.transport\" must be curl or browser"},
        {head + "encoding = \"latin1\"\n", "bad.toml:4:12: \"pages.p.encoding\" must be gb2312, gbk, gb18030, utf-8 or declared"},
        {head + "[pagerank]\npage = \"p\"\njson = \"response/0\"\n", "bad.toml:6:8: \"pagerank.json\" must be empty or start with /"},
        {head + "[pagerank]\npage = \"p\"\njson = \"/a~2\"\n", "bad.toml:6:8: \"pagerank.json\" may hold ~ only as ~0 or ~1"},
        {head + "[pagerank]\npage = \"p\"\nagain = true\nmarkers = [\"a\", \"b\"]\n",
         "bad.toml:6:9: \"pagerank.again\" asks for a page that no value before it has fetched"},
        // A value's alternatives: tables each written [[KEY]], the page named in the first.
        {named + "day_count = []\n", "bad.toml:2:13: \"day_count\" must be a table, or tables each written [[day_count]]"},
        {named + "day_count = [{}, 3]\n", "bad.toml:2:13: \"day_count\" must be a table, or tables each written [[day_count]]"},
        {head + "[[day_count]]\npage = \"p\"\nxpath = \"//b\"\n[[day_count]]\npage = \"p\"\nxpath = \"//i\"\n",
         "bad.toml:8:8: \"day_count.page\" goes in the first of the alternatives only"},
        {head + "[[remark]]\npage = \"p\"\nxpath = \"//b\"\n[[remark]]\nxpath = \"//i\"\nmaybe = \"x\"\n",
         "bad.toml:9:9: \"remark.maybe\" goes in the first of the alternatives only"},
        {head + "[[day_count]]\npage = \"p\"\nshow = \"0\"\n[[day_count]]\nxpath = \"//i\"\n",
         "bad.toml:7:1: \"day_count\" is never tried: the way before it, a text to show alone, always gives the value"},
        {head + "[first_result]\npage = \"p\"\nxpath = \"//b\"\n[[snapshot]]\nxpath = \"//i\"\notherwise = \"无\"\n[[snapshot]]\nshow = \"有\"\n",
         "bad.toml:9:13: \"snapshot.otherwise\" is for a single table; among alternatives, end with one holding only show"},
        {head + "[first_result]\npage = \"p\"\nxpath = \"//b\"\n[[snapshot]]\nxpath = \"//i\"\n[[snapshot]]\njson = \"/a\"\nxpath = \"//b\"\n",
         "bad.toml:9:1: \"snapshot\" needs exactly one rule: markers, xpath or json"},
        {named + "[[blocked]]\ncontains = \"a\"\nxpath = \"//b\"\n", "bad.toml:2:1: \"blocked\" needs exactly one of contains and xpath"},
        {named + "[[blocked]]\ncontains = \"\"\n", "bad.toml:3:12: \"blocked.contains\" is empty"},
        {named + "[[blocked]]\nxpath = \"//*[\"\n", "bad.toml:3:9: \"blocked.xpath\" does not compile: Invalid expression at character 5"},
        {named + "[[blocked]]\nxpath = \"" + std::string(100000, '(') + "1" + std::string(100000, ')') + "\"\n",
         "bad.toml:3:9: \"blocked.xpath\" is longer than 4096 characters"},
        {pace("rest = 3\n"), "bad.toml:3:1: unknown key \"pace.rest\""},
        {pace("between = [5]\n"), kBetweenRange},
        {pace("between = [-1, 2]\n"), kBetweenRange},
        {pace("between = [1, inf]\n"), kBetweenRange},
        {pace("between = [5, 2]\n"), "bad.toml:3:11: \"pace.between\" has its shortest pause longer than its longest"},
        {pace("after_block = 3600.5\n"), "bad.toml:3:15: \"pace.after_block\" must be a number of seconds from 0 to 3600"},
    };
    for (const auto& row : rows) {
        const Expected<Profile> profile = readProfile(row.toml, "bad.toml");
        EXPECT_FALSE(profile) << row.toml;
        if (!profile) {
            EXPECT_EQ(profile.reason(), row.reason) << row.toml;
        }
    }
}

// The limit on an XPath rule is told in characters and counted in characters: a rule
// in Chinese takes three bytes a character.
TEST(ProfileReader, AnXPathRuleIsMeasuredInCharacters) {
    const auto profileWith = [](std::size_t characters) {
        std::string xpath = "//p[contains(., '";
        for (std::size_t i = xpath.size() + 3; i < characters; ++i) {  // 3: the closing "')]"
            xpath += "快";
        }
        return "name = \"t\"\n[[blocked]]\nxpath = \"" + xpath + "')]\"\n";
    };
    const Expected<Profile> longest = readProfile(profileWith(4096), "long.toml");
    EXPECT_TRUE(longest) << longest.reason();
    EXPECT_EQ(readProfile(profileWith(4097), "long.toml").reason(),
              "long.toml:3:9: \"blocked.xpath\" is longer than 4096 characters");
}

// Seconds may be fractions; classic keeps its requests as close together as it always did.
TEST(ProfileReader, APaceIsReadInMillisecondsAndClassicHasNone) {
    using ms = std::chrono::milliseconds;
    const Expected<Profile> paced = readProfile("name = \"t\"\n[pace]\nbetween = [0.5, 2]\nafter_block = 300\n", "t.toml");
    EXPECT_EQ(std::tuple(paced->pace.shortest, paced->pace.longest, paced->pace.afterBlock), std::tuple(ms(500), ms(2000), ms(300000)));
    const Pace classic = loadProfile("classic", {})->profile.pace;
    EXPECT_TRUE(classic.longest == ms(0) && !classic.afterBlock);
}

class UserProfiles : public ::testing::Test {
protected:
    void SetUp() override { std::filesystem::create_directories(folder_); }
    void TearDown() override { std::filesystem::remove_all(folder_); }

    void write(const std::string& fileName, const std::string& text) {
        std::ofstream(folder_ / fileName, std::ios::binary) << text;
    }

    const std::filesystem::path folder_ =
        std::filesystem::temp_directory_path() / ("quarnel-profiles-" + std::to_string(::getpid()));
};

TEST_F(UserProfiles, AClassicCopyWithOneMarkerChangedReadsWithThatMarker) {
    std::string toml = loadProfile("classic", {}).value().toml;
    const std::string dayCount = "page = \"search-day\"\nmarkers = [\"百度一下，找到相关网页\", \"篇\"]";
    ASSERT_NE(toml.find(dayCount), std::string::npos);
    toml.replace(toml.find(dayCount), dayCount.size(), "page = \"search-day\"\nmarkers = [\"找到相关结果约\", \"个\"]");
    write("mine.toml", toml);

    const Expected<LoadedProfile> mine = loadProfile("mine", folder_);
    ASSERT_TRUE(mine) << mine.reason();
    EXPECT_EQ(markers(mine->profile.dayCount).first, "找到相关结果约");
    EXPECT_EQ(markers(mine->profile.dayCount).second, "个");
    EXPECT_EQ(markers(mine->profile.weekCount).first, "百度一下，找到相关网页");
    EXPECT_EQ(mine->toml, toml);
}

TEST_F(UserProfiles, AProfileOfOneMebibyteIsReadAndOneByteMoreIsNot) {
    const std::string head = "name = \"big\"\n#";
    write("big.toml", head + std::string(kLargestProfileBytes - head.size(), '#'));
    const Expected<LoadedProfile> big = loadProfile("big", folder_);
    ASSERT_TRUE(big) << big.reason();
    EXPECT_EQ(big->toml.size(), kLargestProfileBytes);

    write("big.toml", head + std::string(kLargestProfileBytes - head.size() + 1, '#'));
    EXPECT_EQ(loadProfile("big", folder_).reason(),
              (folder_ / "big.toml").string() + ": larger than 1 MiB, so not read as a profile");
}

TEST_F(UserProfiles, AProfileIsFoundByNameOrPathAndAMissingOneNamesThoseThereAre) {
    write("zeta.toml", "name = \"zeta\"\n");
    write("alpha.toml", "name = \"alpha\"\n");
    write("notes.txt", "name = \"notes\"\n");

    EXPECT_EQ(loadProfile("alpha", folder_)->profile.name, "alpha");
    EXPECT_EQ(loadProfile((folder_ / "zeta.toml").string(), {})->profile.name, "zeta");
    EXPECT_EQ(loadProfile("classic", folder_)->profile.name, "classic");

    const Expected<LoadedProfile> missing = loadProfile("notes", folder_);
    ASSERT_FALSE(missing);
    EXPECT_THAT(missing.reason(), StartsWith("no profile named \"notes\" (built in: classic"));
    EXPECT_THAT(missing.reason(), HasSubstr("; yours in " + folder_.string() + ": alpha, zeta)"));
    EXPECT_EQ(loadProfile("./nowhere.toml", folder_).reason(), "no profile file at ./nowhere.toml");
}

}  // namespace
}  // namespace quarnel::rules
