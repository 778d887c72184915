#pragma once

#include "rules/html_page.h"
#include "rules/profile.h"

#include <functional>
#include <string>
#include <vector>

namespace quarnel {

// Whether `text` is a page one of `blocked` matches: a verification page, or a stub that
// only sends the browser elsewhere. A rule with words looks for them in the page's first
// kilobytes; one with an XPath selects in `parsed()`, asked for only then.
bool matchesBlockedRules(const std::vector<rules::BlockedRule>& blocked, const std::string& text,
                         const std::function<const rules::HtmlPage&()>& parsed);

// The same for a page nobody has parsed yet.
bool matchesBlockedRules(const std::vector<rules::BlockedRule>& blocked, const std::string& text);

}  // namespace quarnel
