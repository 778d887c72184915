#pragma once

#include "rules/profile.h"

#include <optional>
#include <string>
#include <string_view>

namespace quarnel {

namespace rules {
class HtmlPage;
}

// What one rule cut out of a text: the value, the markup of the element an XPath selected
// (the block later cuts look inside), and for the trace where the rule looked and why
// nothing came of it.
struct RuleReading {
    std::optional<std::string> value;
    std::string markup;
    std::string found;
    std::string reason;
};

// The text between two markers, their placeholders already filled in.
RuleReading readBetweenMarkers(std::string_view text, std::string_view first, std::string_view second);
RuleReading readByXPath(const rules::HtmlPage& page, const rules::XPathRule& rule);
// The number at `pointer` in a service's JSON answer, unless the service says it refused:
// a status_code other than 200 on the answer or on any object on the way to the number.
RuleReading readJson(const std::string& text, const std::string& pointer);

// A rule, or one way to a value, as the trace shows it.
std::string describe(const rules::CutRule& rule);
std::string describe(const rules::Alternative& way);

}  // namespace quarnel
