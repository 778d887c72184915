#pragma once

#include <chrono>
#include <map>
#include <optional>
#include <string>
#include <variant>
#include <vector>

namespace quarnel::rules {

// How a page's bytes become text.
struct Encoding {
    // A fixed character set ("gb2312", "gbk", "gb18030", "utf-8"), or empty for "as the
    // page declares": the Content-Type charset, then a <meta> charset in the first 4 KiB,
    // then `fallback`. With no fallback an undeclared page is tried as UTF-8 and read as
    // GB18030 when it is not.
    std::string fixed;
    std::string fallback;
};

// Which client loads a page: libcurl, or a browser engine that runs the page's scripts
// and hands back the document they left.
enum class PageTransport { Curl, Browser };

// One address the run may ask for. Placeholders in `url`: {domain} (percent-encoded as
// the site search always was), {now} and {now-SECONDS} (Unix seconds, from the run's clock).
struct PageSource {
    std::string url;
    std::vector<std::string> headers;  // "Name: value"
    Encoding encoding;
    // Kept between the requests of a run and across runs (the user's cookie file).
    bool cookies = false;
    PageTransport transport = PageTransport::Curl;
};

// The first marker, then the second: the text between them as the marker rule cuts it.
// {domain} in a marker stands for the domain exactly as typed.
struct MarkerRule {
    std::string first;
    std::string second;
};

// What is made of the nodes an XPath selects (the first of them).
enum class Finish {
    Text,    // the text content, tags stripped, entities decoded, white space at the ends trimmed
    Host,    // the host of the URL or "host/path" text it starts with, which ends at white space
    Number,  // the first number in the text, as printed ("72,900,000")
    Date,    // the first date in the text ("2020年8月17日", "2019-10-2")
};

struct XPathRule {
    std::string expression;
    Finish finish = Finish::Text;
};

// A value out of a JSON answer: a JSON pointer ("/response/0/page_rank_decimal").
struct JsonRule {
    std::string pointer;
};

using CutRule = std::variant<MarkerRule, XPathRule, JsonRule>;

// One way to a value. A value may have several, tried in order until one gives it. A rule
// gives what it cuts, or `show` in its place whenever it cuts anything ("有快照" for a
// snapshot link); `show` alone, the last way, gives its text when none before it gave
// anything on a page that was had (or in a block that was found).
struct Alternative {
    std::optional<CutRule> rule;
    std::optional<std::string> show;
};

// One cut of the run: from which page (by name in `pages`), fetched anew or taken from
// the run's earlier fetch of the same page.
struct Cut {
    std::string page;
    bool again = false;  // a request of its own, as the classic rules make
    std::vector<Alternative> alternatives;
};

// A cut made inside the first result's block rather than a whole page.
struct BlockCut {
    std::vector<Alternative> alternatives;
};

// What recognises a page that is not a result page at all (a verification page, a
// redirect stub): a text it contains, or an XPath that selects anything.
struct BlockedRule {
    std::string contains;
    std::string xpath;
};

// How requests are spaced out so that a search engine does not take them for a burst.
struct Pace {
    // A pause before each request to a host that the run or batch has asked already,
    // drawn evenly between these; both zero: no pause.
    std::chrono::milliseconds shortest{0};
    std::chrono::milliseconds longest{0};
    // A batch's rest after a blocked answer before it asks the same once more; none: the
    // answer stands and the batch goes on.
    std::optional<std::chrono::milliseconds> afterBlock;
};

// A rule set: where each value of a run comes from. The steps, their order and the
// verdicts are the program's; the profile says which pages and which cuts.
struct Profile {
    std::string name;
    std::string description;
    std::map<std::string, PageSource> pages;

    std::optional<Cut> dayCount, weekCount, monthCount, allTimeCount;
    std::optional<Cut> firstResult;  // the first result's block
    std::optional<BlockCut> snapshot;
    std::optional<BlockCut> linkHost;
    std::optional<Cut> pageRank;
    // The lookup service's remark, and the hijack text it calls for when it contains `maybe`.
    std::optional<Cut> remark;
    std::string maybe;
    std::optional<Cut> hijack;

    std::vector<BlockedRule> blocked;
    Pace pace;
};

}  // namespace quarnel::rules
