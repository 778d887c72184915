// How many pages a run holds at once. Every large block this program allocates is
// counted while it lives, so a fetcher can tell, as each request is made, whether an
// earlier page is still held.
#include "controls/memory_control_model.h"
#include "query/query_run.h"
#include "rules/profile_reader.h"
#include "tests/support/classic_profile.h"
#include "tests/support/sample_pages.h"

#include <gtest/gtest.h>

#include <malloc.h>

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <new>

namespace {

constexpr std::size_t kLargeBlock = 1024 * 1024;
std::atomic<int> largeBlocksAlive{0};

void* allocate(std::size_t size) noexcept {
    void* memory = std::malloc(size == 0 ? 1 : size);
    if (memory != nullptr && ::malloc_usable_size(memory) >= kLargeBlock) {
        ++largeBlocksAlive;
    }
    return memory;
}

void release(void* memory) noexcept {
    if (memory != nullptr && ::malloc_usable_size(memory) >= kLargeBlock) {
        --largeBlocksAlive;
    }
    std::free(memory);
}

}  // namespace

void* operator new(std::size_t size) {
    if (void* memory = allocate(size)) {
        return memory;
    }
    throw std::bad_alloc();
}
void* operator new(std::size_t size, const std::nothrow_t&) noexcept { return allocate(size); }
void operator delete(void* memory) noexcept { release(memory); }
void operator delete(void* memory, std::size_t) noexcept { release(memory); }
void operator delete(void* memory, const std::nothrow_t&) noexcept { release(memory); }

namespace quarnel {
namespace {

// Serves every page as two mebibytes of filler around the sample page for its address,
// and notes how many large blocks were alive as each request came.
class CountingFetcher final : public PageFetcher {
public:
    FetchedPage getHTTPPage(const PageRequest& request) override {
        aliveAtEachRequest.push_back(largeBlocksAlive);
        const bool search = request.url.find("baidu") != std::string::npos;
        const std::string page = search ? testing::searchPage("10,000", "example.com", "2026-12-5")
                                        : testing::pageRankPage("5", "该网站PR值可能被劫持",
                                                                testing::hijackLink("example.com", "thief.cn"));
        FetchedPage fetched;
        fetched.text = page + std::string(2 * kLargeBlock, ' ');
        fetched.completed = true;
        fetched.status = 200;
        return fetched;
    }

    std::vector<int> aliveAtEachRequest;
};

struct CountedRun {
    explicit CountedRun(const rules::Profile& profile) : profile(profile) {
        controls.setText(TextBox::Text3, "example.com");
    }
    void go() {
        QueryRun(controls, {.profile = profile, .fetcher = fetcher, .clock = clock, .key = {}, .trace = &trace},
                 nullptr)
            .run();
    }
    std::optional<std::string> value(std::string_view name) const {
        const auto cut = std::ranges::find(trace.values, name, &ValueTrace::name);
        return cut == trace.values.end() ? std::nullopt : cut->value;
    }

    const rules::Profile& profile;
    MemoryControlModel controls;
    CountingFetcher fetcher;
    testing::FixedClock clock;
    RunTrace trace;
};

TEST(PageMemoryTest, APageAskedForAgainIsLetGoBeforeTheRequest) {
    CountedRun run(testing::classic());
    run.go();

    // The unrestricted search is asked for again, the PageRank page twice more: eight
    // requests, none while a page is held.
    EXPECT_EQ(run.fetcher.aliveAtEachRequest, std::vector<int>(8, 0));
    EXPECT_EQ(run.controls.caption(ResultLabel::Label2), "可能是劫持thief.cn");
}

rules::Profile profileOf(const std::string& toml) { return rules::readProfile(toml, "test").value(); }

TEST(PageMemoryTest, TextIsLetGoOnceParsedUnlessARuleReadsIt) {
    // Page one is only parsed; page two is parsed, then read by markers.
    const rules::Profile profile = profileOf(R"(
name = "mixed"
[pages.one]
url = "http://www.baidu.com/s?wd=site%3A{domain}"
[pages.two]
url = "http://www.baidu.com/s?wd=site%3A{domain}&lm=1"
[day_count]
page = "one"
xpath = "//table[@id = '2']"
[week_count]
page = "two"
xpath = "//table[@id = '2']"
[month_count]
page = "one"
xpath = "//table[@id = '2']"
[all_time_count]
page = "two"
markers = ["百度一下，找到相关网页", "篇"]
)");
    CountedRun run(profile);
    run.go();

    // Page one is still to be read when page two is asked for, but only as parsed.
    EXPECT_EQ(run.fetcher.aliveAtEachRequest, (std::vector<int>{0, 0}));
    EXPECT_EQ(run.value("day_count"), "second");
    EXPECT_EQ(run.value("week_count"), "second");
    EXPECT_EQ(run.value("month_count"), "second");
    EXPECT_EQ(run.value("all_time_count"), "10,000");
}

TEST(PageMemoryTest, BlockedRulesReadTheTextAfterAnXPathRuleParsedThePage) {
    const rules::Profile profile = profileOf(R"(
name = "blocked"
[pages.pagerank]
url = "http://pr.quarnel.example/querypr.asp?url={domain}"
[pagerank]
page = "pagerank"
xpath = "//span"
[[blocked]]
xpath = "//form[@id = 'verify']"
[[blocked]]
contains = "PR值可能被劫持"
)");
    CountedRun run(profile);
    run.go();

    ASSERT_EQ(run.trace.requests.size(), 1u);
    EXPECT_TRUE(run.trace.requests[0].blocked);
}

}  // namespace
}  // namespace quarnel
