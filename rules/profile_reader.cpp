#include "rules/profile_reader.h"

#include "rules/html_page.h"
#include "rules/profile_text_checks.h"
#include "rules/toml_fields.h"

#include <algorithm>
#include <array>
#include <set>

namespace quarnel::rules {
namespace {

constexpr std::array<std::string_view, 4> kFixedCharsets = {"gb2312", "gbk", "gb18030", "utf-8"};

bool isFixedCharset(std::string_view name) {
    return std::ranges::find(kFixedCharsets, name) != kFixedCharsets.end();
}

std::optional<Finish> finishNamed(std::string_view name) {
    if (name == "text") return Finish::Text;
    if (name == "host") return Finish::Host;
    if (name == "number") return Finish::Number;
    if (name == "date") return Finish::Date;
    return std::nullopt;
}

// A text check's failure, told at the key it is about.
void check(TableFields& fields, std::string_view key, const Expected<Done>& result) {
    if (!result) {
        fields.failAt(key, result.reason());
    }
}

MarkerRule readMarkers(TableFields& fields) {
    const toml::array* markers = fields.array("markers");
    if (markers == nullptr) {
        return {};
    }
    if (markers->size() != 2 || !markers->is_homogeneous<std::string>()) {
        fields.failAt("markers", "must be two strings, the first marker and the second");
        return {};
    }
    MarkerRule rule{markers->get_as<std::string>(0)->get(), markers->get_as<std::string>(1)->get()};
    if (rule.first.empty() || rule.second.empty()) {
        fields.failAt("markers", "holds an empty marker");
    }
    return rule;
}

XPathRule readXPath(TableFields& fields) {
    XPathRule rule{fields.string("xpath").value_or(std::string())};
    check(fields, "xpath", checkXPath(rule.expression));
    if (const auto finish = fields.string("finish")) {
        const auto named = finishNamed(*finish);
        if (!named) {
            fields.failAt("finish", "must be text, host, number or date");
        }
        rule.finish = named.value_or(Finish::Text);
    }
    return rule;
}

// Exactly one of the three kinds of rule.
CutRule readRule(TableFields& fields) {
    const bool markers = fields.node("markers") != nullptr;
    const bool xpath = fields.node("xpath") != nullptr;
    const bool json = fields.node("json") != nullptr;
    if (markers + xpath + json != 1) {
        fields.failAtTable("needs exactly one rule: markers, xpath or json");
    }
    if (!xpath && fields.node("finish") != nullptr) {
        fields.failAt("finish", "goes only with an xpath rule");
    }
    if (xpath) {
        return readXPath(fields);
    }
    if (json) {
        JsonRule rule{fields.string("json").value_or(std::string())};
        check(fields, "json", checkJsonPointer(rule.pointer));
        return rule;
    }
    return readMarkers(fields);
}

class ProfileReader {
public:
    ProfileReader(const toml::table& document, std::string_view source)
        : failures_(source), top_(document, std::string(), failures_) {}

    Expected<Profile> read() && {
        profile_.name = top_.requiredString("name");
        if (profile_.name.empty()) {
            top_.failAt("name", "is empty");
        }
        profile_.description = top_.string("description").value_or(std::string());
        readPages();
        // In the order a run makes them, so that `again` is checked against what came before.
        profile_.dayCount = readCut("day_count");
        profile_.weekCount = readCut("week_count");
        profile_.monthCount = readCut("month_count");
        profile_.allTimeCount = readCut("all_time_count");
        profile_.firstResult = readCut("first_result");
        profile_.snapshot = readBlockCut("snapshot");
        profile_.linkHost = readBlockCut("link_host");
        profile_.pageRank = readCut("pagerank");
        profile_.remark = readCut("remark", &profile_.maybe);
        profile_.hijack = readCut("hijack");
        readBlocked();
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
        check(fields, "url", checkUrlTemplate(page.url));
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
        fields.rejectUnknownKeys();
        return page;
    }

    // A value cut from a page; `maybe`, when given, also takes that key (the remark's).
    std::optional<Cut> readCut(std::string_view key, std::string* maybe = nullptr) {
        const toml::table* table = top_.table(key);
        if (table == nullptr) {
            return std::nullopt;
        }
        TableFields fields(*table, std::string(key), failures_);
        Cut cut;
        cut.page = fields.requiredString("page");
        if (!profile_.pages.contains(cut.page)) {
            fields.failAt("page", "names no table in [pages]");
        }
        cut.again = fields.flag("again");
        if (cut.again && !fetched_.contains(cut.page)) {
            fields.failAt("again", "asks for a page that no value before it has fetched");
        }
        fetched_.insert(cut.page);
        cut.rule = readRule(fields);
        if (maybe != nullptr) {
            *maybe = fields.string("maybe").value_or(std::string());
        }
        fields.rejectUnknownKeys();
        return cut;
    }

    // A value cut inside the first result's block.
    std::optional<BlockCut> readBlockCut(std::string_view key) {
        const toml::table* table = top_.table(key);
        if (table == nullptr) {
            return std::nullopt;
        }
        TableFields fields(*table, std::string(key), failures_);
        if (!profile_.firstResult) {
            fields.failAtTable("cuts inside the first result, but the profile has no first_result");
        }
        BlockCut cut{readRule(fields), fields.string("otherwise")};
        fields.rejectUnknownKeys();
        return cut;
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
                check(fields, "xpath", checkXPath(*xpath));
            } else if (contains && contains->empty()) {
                fields.failAt("contains", "is empty");
            }
            fields.rejectUnknownKeys();
            profile_.blocked.push_back({contains.value_or(std::string()), xpath.value_or(std::string())});
        }
    }

    FirstFailure failures_;
    TableFields top_;
    Profile profile_;
    std::set<std::string> fetched_;  // the pages the values read so far fetch, in run order
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
