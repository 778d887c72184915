#pragma once

#include "base/expected.h"
#include "rules/profile.h"

#include <cstddef>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace quarnel {
class ReleaseBehind;
}

namespace quarnel::rules {

// What an XPath selected: how many nodes, the first one finished as the rule says, and
// the first node's markup (a block that later cuts look inside).
struct XPathMatch {
    std::size_t count = 0;
    std::optional<std::string> value;
    std::string outerHtml;
};

// A page parsed once with libxml2's forgiving HTML parser, for any number of XPath rules.
class HtmlPage {
public:
    explicit HtmlPage(std::string_view utf8Html);
    // The same page from text nobody reads after: the memory of what the parser has read
    // goes back to the system as it reads, so a large page's text and its tree are never
    // both held in full.
    static std::unique_ptr<HtmlPage> consuming(std::string utf8Html);
    ~HtmlPage();
    HtmlPage(const HtmlPage&) = delete;
    HtmlPage& operator=(const HtmlPage&) = delete;

    // Fails only when the expression does not compile or cannot be evaluated.
    Expected<XPathMatch> select(const XPathRule& rule) const;
    // The text of the page's <title>, for telling which page was blocked.
    std::string title() const;

private:
    HtmlPage(std::string_view utf8Html, ReleaseBehind* behind);

    struct Document;
    std::unique_ptr<Document> document_;
};

// Whether `expression` compiles, for the profile reader; the reason when it does not.
Expected<Done> checkXPath(std::string_view expression);

// The finishing steps on their own: `text` is already plain text (tags stripped,
// entities decoded).
std::optional<std::string> finishText(std::string_view text, Finish finish);

}  // namespace quarnel::rules
