#include "query/blocked_pages.h"

#include <algorithm>
#include <cstring>
#include <memory>

namespace quarnel {
namespace {

// A verification page or a stub says what it is in its first kilobytes; looking no
// further keeps a large result page from costing a full search per blocked rule.
constexpr std::size_t kBlockedPageHead = 64 * 1024;

bool headContains(const std::string& text, const std::string& part) {
    const std::size_t searched = std::min(text.size(), kBlockedPageHead + part.size());
    return ::memmem(text.data(), searched, part.data(), part.size()) != nullptr;
}

}  // namespace

bool matchesBlockedRules(const std::vector<rules::BlockedRule>& blocked, const std::string& text,
                         const std::function<const rules::HtmlPage&()>& parsed) {
    return std::ranges::any_of(blocked, [&](const rules::BlockedRule& rule) {
        if (!rule.contains.empty()) {
            return headContains(text, rule.contains);
        }
        const Expected<rules::XPathMatch> match = parsed().select({rule.xpath, rules::Finish::Text});
        return match && match->count > 0;
    });
}

bool matchesBlockedRules(const std::vector<rules::BlockedRule>& blocked, const std::string& text) {
    std::unique_ptr<rules::HtmlPage> page;
    return matchesBlockedRules(blocked, text, [&]() -> const rules::HtmlPage& {
        if (!page) {
            page = std::make_unique<rules::HtmlPage>(text);
        }
        return *page;
    });
}

}  // namespace quarnel
