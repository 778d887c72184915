#include "query/rule_reading.h"

#include "query/marker_extraction.h"
#include "rules/html_page.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <vector>

namespace quarnel {
namespace {

constexpr std::size_t kContextCharacters = 30;

bool isContinuation(char ch) { return (static_cast<unsigned char>(ch) & 0xC0) == 0x80; }

// About `kContextCharacters` characters of `text` on each side of [from, to), on one line.
std::string around(std::string_view text, std::size_t from, std::size_t to) {
    std::size_t begin = from;
    for (std::size_t n = 0; begin > 0 && n < kContextCharacters; ++n) {
        do {
            --begin;
        } while (begin > 0 && isContinuation(text[begin]));
    }
    std::size_t end = std::min(to, text.size());
    for (std::size_t n = 0; end < text.size() && n < kContextCharacters; ++n) {
        do {
            ++end;
        } while (end < text.size() && isContinuation(text[end]));
    }
    std::string snippet(text.substr(begin, end - begin));
    for (char& ch : snippet) {
        if (ch == '\n' || ch == '\r' || ch == '\t') {
            ch = ' ';
        }
    }
    return "«" + snippet + "»";
}

// A service that refuses says so in a status of its own, for the whole request or for
// the one item asked about: Open PageRank answers a domain it does not know with 200 at
// the top and 404 "Domain not found" on the item, whose page_rank_decimal is a bare 0.
std::optional<std::string> refusal(const nlohmann::json& answer, const nlohmann::json::json_pointer& where) {
    std::vector<nlohmann::json::json_pointer> path{where};
    while (!path.back().empty()) {
        path.push_back(path.back().parent_pointer());
    }
    for (auto at = path.rbegin(); at != path.rend() && answer.contains(*at); ++at) {
        const nlohmann::json& object = answer.at(*at);
        if (!object.is_object() || !object.contains("status_code") || object.at("status_code") == 200) {
            continue;
        }
        std::string reason = "the service answered status_code " + object.at("status_code").dump();
        if (!at->empty()) {
            reason += " for " + at->to_string();
        }
        if (object.contains("error")) {
            const nlohmann::json& error = object.at("error");
            reason += ": " + (error.is_string() ? error.get<std::string>() : error.dump());
        }
        return reason;
    }
    return std::nullopt;
}

}  // namespace

RuleReading readBetweenMarkers(std::string_view text, std::string_view first, std::string_view second) {
    RuleReading reading;
    MarkerCut cut = cutBetweenMarkers(text, first, second);
    if (cut.firstAt == std::string::npos) {
        reading.found = "first marker not found";
        reading.reason = "the first marker is not on the page";
        return reading;
    }
    reading.found = "first marker at byte " + std::to_string(cut.firstAt) + " " +
                    around(text, cut.firstAt, cut.firstAt + first.size());
    reading.found += cut.secondAt == std::string::npos
                         ? "; no second marker behind it"
                         : "; second marker at byte " + std::to_string(cut.secondAt) + " " +
                               around(text, cut.secondAt, cut.secondAt + second.size());
    if (!cut.value) {
        reading.reason = "nothing between the markers";
    }
    reading.value = std::move(cut.value);
    return reading;
}

RuleReading readByXPath(const rules::HtmlPage& page, const rules::XPathRule& rule) {
    RuleReading reading;
    Expected<rules::XPathMatch> match = page.select(rule);
    if (!match) {
        reading.reason = match.reason();
        return reading;
    }
    reading.found = std::to_string(match->count) + (match->count == 1 ? " node matched" : " nodes matched");
    if (!match->value) {
        reading.reason = rule.finish == rules::Finish::Number ? "no count on the page"
                         : match->count == 0                  ? "nothing matched"
                                                              : "nothing usable in what matched";
        return reading;
    }
    reading.value = std::move(match->value);
    reading.markup = std::move(match->outerHtml);
    return reading;
}

RuleReading readJson(const std::string& text, const std::string& pointer) {
    RuleReading reading;
    const nlohmann::json answer = nlohmann::json::parse(text, nullptr, false);
    if (answer.is_discarded()) {
        reading.reason = "the answer is not JSON";
        return reading;
    }
    const nlohmann::json::json_pointer where(pointer);
    if (std::optional<std::string> refused = refusal(answer, where)) {
        reading.reason = std::move(*refused);
        return reading;
    }
    if (!answer.contains(where)) {
        reading.reason = "no " + pointer + " in the answer";
        return reading;
    }
    const nlohmann::json& value = answer.at(where);
    if (!value.is_number()) {
        reading.reason = pointer + " is not a number: " + value.dump();
        return reading;
    }
    reading.value = value.dump();
    return reading;
}

std::string describe(const rules::CutRule& rule) {
    if (const auto* markers = std::get_if<rules::MarkerRule>(&rule)) {
        return "markers «" + markers->first + "» «" + markers->second + "»";
    }
    if (const auto* xpath = std::get_if<rules::XPathRule>(&rule)) {
        static constexpr const char* kFinish[] = {"text", "host", "number", "date"};
        return "xpath " + xpath->expression + " (" + kFinish[static_cast<int>(xpath->finish)] + ")";
    }
    return "json " + std::get<rules::JsonRule>(rule).pointer;
}

std::string describe(const rules::Alternative& way) {
    if (!way.rule) {
        return "show «" + way.show.value_or(std::string()) + "»";
    }
    return describe(*way.rule) + (way.show ? ", show «" + *way.show + "» when it finds anything" : "");
}

}  // namespace quarnel
