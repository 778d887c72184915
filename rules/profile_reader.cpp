#include "rules/profile_reader.h"

#include "rules/cut_reader.h"
#include "rules/html_page.h"
#include "rules/profile_text_checks.h"
#include "rules/toml_fields.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace quarnel::rules {
namespace {

constexpr std::array<std::string_view, 4> kFixedCharsets = {"gb2312", "gbk", "gb18030", "utf-8"};

bool isFixedCharset(std::string_view name) {
    return std::ranges::find(kFixedCharsets, name) != kFixedCharsets.end();
}

// A profile may space its requests out, but never so far that a run seems to hang.
constexpr int kLongestWaitSeconds = 3600;
const std::string kSecondsRange = "from 0 to " + std::to_string(kLongestWaitSeconds);

// Seconds as a profile writes them (2, 0.5), within what a run may wait; nothing otherwise.
std::optional<std::chrono::milliseconds> secondsOf(const toml::node* node) {
    const std::optional<double> seconds = node != nullptr && node->is_number() ? node->value<double>() : std::nullopt;
    if (!seconds || !std::isfinite(*seconds) || *seconds < 0 || *seconds > kLongestWaitSeconds) {
        return std::nullopt;
    }
    return std::chrono::milliseconds(std::llround(*seconds * 1000));
}

class ProfileReader {
public:
    ProfileReader(const toml::table& document, std::string_view source)
        : failures_(source), top_(document, std::string(), failures_), cuts_(top_, failures_, profile_.pages) {}

    Expected<Profile> read() && {
        profile_.name = top_.requiredString("name");
        if (profile_.name.empty()) {
            top_.failAt("name", "is empty");
        }
        profile_.description = top_.string("description").value_or(std::string());
        readPages();
        // In the order a run makes them, so that `again` is checked against what came before.
        profile_.dayCount = cuts_.cut("day_count");
        profile_.weekCount = cuts_.cut("week_count");
        profile_.monthCount = cuts_.cut("month_count");
        profile_.allTimeCount = cuts_.cut("all_time_count");
        profile_.firstResult = cuts_.cut("first_result");
        profile_.snapshot = cuts_.blockCut("snapshot", profile_.firstResult.has_value());
        profile_.linkHost = cuts_.blockCut("link_host", profile_.firstResult.has_value());
        profile_.pageRank = cuts_.cut("pagerank");
        profile_.remark = cuts_.cut("remark", &profile_.maybe);
        profile_.hijack = cuts_.cut("hijack");
        readBlocked();
        readPace();
        top_.rejectUnknownKeys();
        if (failures_.failed()) {
            return failures_.failure();
        }
        return std::move(profile_);
    }

private:
    void readPages() {
        const toml::table* pages = top_.table("pages");
        if (pages == nullptr) {
            return;
        }
        TableFields pageTables(*pages, "pages", failures_);
        for (const auto& [name, node] : *pages) {
            if (const toml::table* page = pageTables.table(name.str())) {
                TableFields fields(*page, "pages." + std::string(name.str()), failures_);
                profile_.pages[std::string(name.str())] = readPage(fields);
            }
        }
    }

    PageSource readPage(TableFields& fields) {
        PageSource page;
        page.url = fields.requiredString("url");
        fields.check("url", checkUrlTemplate(page.url));
        if (const toml::array* headers = fields.array("headers")) {
            for (const toml::node& header : *headers) {
                const auto* line = header.as_string();
                const Expected<Done> checked = line != nullptr ? checkHeader(line->get())
                                                               : Expected<Done>(Failure{"must be strings"});
                if (!checked) {
                    failures_.at(header.source(), fields.keyPath("headers") + ' ' + checked.reason());
                }
                page.headers.push_back(line != nullptr ? line->get() : std::string());
            }
        }
        if (const auto encoding = fields.string("encoding"); encoding && *encoding != "declared") {
            if (!isFixedCharset(*encoding)) {
                fields.failAt("encoding", "must be gb2312, gbk, gb18030, utf-8 or declared");
            }
            page.encoding.fixed = *encoding;
        }
        if (const auto fallback = fields.string("fallback")) {
            if (!isFixedCharset(*fallback)) {
                fields.failAt("fallback", "must be gb2312, gbk, gb18030 or utf-8");
            }
            page.encoding.fallback = *fallback;
        }
        page.cookies = fields.flag("cookies");
        if (const auto transport = fields.string("transport"); transport && *transport != "curl") {
            if (*transport != "browser") {
                fields.failAt("transport", "must be curl or browser");
            }
            page.transport = PageTransport::Browser;
        }
        fields.rejectUnknownKeys();
        return page;
    }

    void readBlocked() {
        const toml::array* entries = top_.array("blocked");
        if (entries == nullptr) {
            return;
        }
        for (const toml::node& entry : *entries) {
            const toml::table* table = entry.as_table();
            if (table == nullptr) {
                failures_.at(entry.source(), "\"blocked\" must hold tables, each written [[blocked]]");
                continue;
            }
            TableFields fields(*table, "blocked", failures_);
            const auto contains = fields.string("contains");
            const auto xpath = fields.string("xpath");
            if ((fields.node("contains") != nullptr) == (fields.node("xpath") != nullptr)) {
                fields.failAtTable("needs exactly one of contains and xpath");
            } else if (xpath) {
                fields.check("xpath", checkXPath(*xpath));
            } else if (contains && contains->empty()) {
                fields.failAt("contains", "is empty");
            }
            fields.rejectUnknownKeys();
            profile_.blocked.push_back({contains.value_or(std::string()), xpath.value_or(std::string())});
        }
    }

    void readPace() {
        const toml::table* table = top_.table("pace");
        if (table == nullptr) {
            return;
        }
        TableFields fields(*table, "pace", failures_);
        if (const toml::array* between = fields.array("between")) {
            const auto shortest = between->size() == 2 ? secondsOf(between->get(0)) : std::nullopt;
            const auto longest = between->size() == 2 ? secondsOf(between->get(1)) : std::nullopt;
            if (!shortest || !longest) {
                fields.failAt("between", "must be two numbers of seconds " + kSecondsRange +
                                             ", the shortest pause and the longest");
            } else if (*shortest > *longest) {
                fields.failAt("between", "has its shortest pause longer than its longest");
            } else {
                profile_.pace.shortest = *shortest;
                profile_.pace.longest = *longest;
            }
        }
        if (const toml::node* afterBlock = fields.node("after_block")) {
            profile_.pace.afterBlock = secondsOf(afterBlock);
            if (!profile_.pace.afterBlock) {
                fields.failAt("after_block", "must be a number of seconds " + kSecondsRange);
            }
        }
        fields.rejectUnknownKeys();
    }

    FirstFailure failures_;
    TableFields top_;
    Profile profile_;
    CutReader cuts_;
};

}  // namespace

Expected<Profile> readProfile(std::string_view toml, std::string_view source) {
    if (toml.size() > kLargestProfileBytes) {
        return Failure{std::string(source) + ": larger than 1 MiB, so not read as a profile"};
    }
    toml::table document;
    try {
        document = toml::parse(toml, source);
    } catch (const toml::parse_error& error) {
        return Failure{FirstFailure::located(source, error.source(), error.description())};
    }
    return ProfileReader(document, source).read();
}

}  // namespace quarnel::rules
