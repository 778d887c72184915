#include "rules/cut_reader.h"

#include "rules/html_page.h"
#include "rules/profile_text_checks.h"

#include <algorithm>

namespace quarnel::rules {
namespace {

std::optional<Finish> finishNamed(std::string_view name) {
    if (name == "text") return Finish::Text;
    if (name == "host") return Finish::Host;
    if (name == "number") return Finish::Number;
    if (name == "date") return Finish::Date;
    return std::nullopt;
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
    fields.check("xpath", checkXPath(rule.expression));
    if (const auto finish = fields.string("finish")) {
        const auto named = finishNamed(*finish);
        if (!named) {
            fields.failAt("finish", "must be text, host, number or date");
        }
        rule.finish = named.value_or(Finish::Text);
    }
    return rule;
}

// At most one of the three kinds of rule, and a text to show in its place; a text
// without a rule is shown as it is.
Alternative readAlternative(TableFields& fields) {
    const bool markers = fields.node("markers") != nullptr;
    const bool xpath = fields.node("xpath") != nullptr;
    const bool json = fields.node("json") != nullptr;
    Alternative alternative{std::nullopt, fields.string("show")};
    if (markers + xpath + json > 1) {
        fields.failAtTable("needs exactly one rule: markers, xpath or json");
    } else if (markers + xpath + json == 0 && fields.node("show") == nullptr) {
        fields.failAtTable("needs one rule (markers, xpath or json) or a text to show");
    }
    if (!xpath && fields.node("finish") != nullptr) {
        fields.failAt("finish", "goes only with an xpath rule");
    }
    if (xpath) {
        alternative.rule = readXPath(fields);
    } else if (json) {
        JsonRule rule{fields.string("json").value_or(std::string())};
        fields.check("json", checkJsonPointer(rule.pointer));
        alternative.rule = rule;
    } else if (markers) {
        alternative.rule = readMarkers(fields);
    }
    return alternative;
}

}  // namespace

CutReader::CutReader(TableFields& top, FirstFailure& failures, const std::map<std::string, PageSource>& pages)
    : top_(top), failures_(failures), pages_(pages) {}

// One table, or an array of tables; none when the key is absent.
std::vector<const toml::table*> CutReader::tables(std::string_view key) {
    const toml::node* node = top_.node(key);
    if (node == nullptr) {
        return {};
    }
    if (const toml::table* table = node->as_table()) {
        return {table};
    }
    std::vector<const toml::table*> tables;
    if (const toml::array* array = node->as_array()) {
        for (const toml::node& entry : *array) {
            tables.push_back(entry.as_table());
        }
    }
    if (tables.empty() || std::ranges::find(tables, nullptr) != tables.end()) {
        top_.failAt(key, "must be a table, or tables each written [[" + std::string(key) + "]]");
        return {};
    }
    return tables;
}

std::vector<Alternative> CutReader::alternatives(std::string_view key, const std::vector<const toml::table*>& tables,
                                                 const std::function<void(TableFields&, bool first)>& ownKeys) {
    std::vector<Alternative> read;
    for (const toml::table* table : tables) {
        TableFields fields(*table, std::string(key), failures_);
        if (!read.empty() && !read.back().rule) {
            fields.failAtTable("is never tried: the way before it, a text to show alone, always gives the value");
        }
        ownKeys(fields, read.empty());
        read.push_back(readAlternative(fields));
        fields.rejectUnknownKeys();
    }
    return read;
}

std::optional<Cut> CutReader::cut(std::string_view key, std::string* maybe) {
    const std::vector<const toml::table*> found = tables(key);
    if (found.empty()) {
        return std::nullopt;
    }
    Cut cut;
    cut.alternatives = alternatives(key, found, [&](TableFields& fields, bool first) {
        if (!first) {
            for (const std::string_view own : {"page", "again", "maybe"}) {
                if ((own != "maybe" || maybe != nullptr) && fields.node(own) != nullptr) {
                    fields.failAt(own, "goes in the first of the alternatives only");
                }
            }
            return;
        }
        cut.page = fields.requiredString("page");
        if (!pages_.contains(cut.page)) {
            fields.failAt("page", "names no table in [pages]");
        }
        cut.again = fields.flag("again");
        if (cut.again && !fetched_.contains(cut.page)) {
            fields.failAt("again", "asks for a page that no value before it has fetched");
        }
        fetched_.insert(cut.page);
        if (maybe != nullptr) {
            *maybe = fields.string("maybe").value_or(std::string());
        }
    });
    return cut;
}

std::optional<BlockCut> CutReader::blockCut(std::string_view key, bool firstResult) {
    const std::vector<const toml::table*> found = tables(key);
    if (found.empty()) {
        return std::nullopt;
    }
    // `otherwise`, the text for a block where the rule finds nothing, is the older way
    // of writing a last alternative with only `show`.
    std::optional<std::string> otherwise;
    BlockCut cut{alternatives(key, found, [&](TableFields& fields, bool first) {
        if (first && !firstResult) {
            fields.failAtTable("cuts inside the first result, but the profile has no first_result");
        }
        if (found.size() == 1) {
            otherwise = fields.string("otherwise");
        } else if (fields.node("otherwise") != nullptr) {
            fields.failAt("otherwise", "is for a single table; among alternatives, end with one holding only show");
        }
    })};
    if (otherwise) {
        cut.alternatives.push_back({std::nullopt, otherwise});
    }
    return cut;
}

}  // namespace quarnel::rules
