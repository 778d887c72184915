#include "query/profile_cuts.h"

#include "fetch/service_urls.h"
#include "query/blocked_pages.h"
#include "query/rule_reading.h"
#include "rules/html_page.h"

#include <algorithm>
#include <charconv>

namespace quarnel {
namespace {

// {now} and {now-SECONDS}: Unix seconds from the run's clock.
std::string expandTime(std::string_view name, std::int64_t now) {
    if (name == "now") {
        return std::to_string(now);
    }
    std::int64_t seconds = 0;
    const std::string_view digits = name.substr(4);
    std::from_chars(digits.data(), digits.data() + digits.size(), seconds);
    return std::to_string(now - seconds);
}

// Fills the placeholders the reader allowed: {domain} as `domain` gives it, {key}, and the times.
std::string expand(std::string_view text, std::string_view domain, std::string_view key, std::int64_t now) {
    std::string out;
    std::size_t at = 0;
    while (at < text.size()) {
        const std::size_t open = text.find('{', at);
        const std::size_t close = open == std::string_view::npos ? open : text.find('}', open);
        if (close == std::string_view::npos) {
            out.append(text.substr(at));
            break;
        }
        out.append(text.substr(at, open - at));
        const std::string_view name = text.substr(open + 1, close - open - 1);
        if (name == "domain") {
            out.append(domain);
        } else if (name == "key") {
            out.append(key);
        } else if (name.starts_with("now")) {
            out.append(expandTime(name, now));
        } else {
            out.append(text.substr(open, close - open + 1));
        }
        at = close + 1;
    }
    return out;
}

bool wantsKey(const rules::PageSource& source) {
    for (const std::string& header : source.headers) {
        if (header.find("{key}") != std::string::npos) {
            return true;
        }
    }
    return source.url.find("{key}") != std::string::npos;
}

// The rule of one way to a value as the trace shows it, saying which of several it is.
std::string ruleLine(const std::string& where, const std::vector<rules::Alternative>& ways, std::size_t i) {
    const std::string which =
        ways.size() > 1 ? "alternative " + std::to_string(i + 1) + " of " + std::to_string(ways.size()) + ", " : "";
    return where + ": " + which + (i < ways.size() ? describe(ways[i]) : std::string());
}

}  // namespace

struct ProfileCuts::Page {
    FetchedPage fetched;
    std::string unavailable;  // why there is no text to cut (failed, blocked, no key)
    std::string requestedUrl;
    bool blocked = false;
    const std::string* within = nullptr;  // a block of another page, cut without a copy
    bool keepText = true;                 // false: no cut reads the text, only the parsed page
    std::unique_ptr<rules::HtmlPage> html;

    const std::string& text() const { return within != nullptr ? *within : fetched.text; }
    const rules::HtmlPage& parsed() {
        if (!html && within == nullptr && !keepText) {
            html = rules::HtmlPage::consuming(std::move(fetched.text));
            fetched.text.clear();
        } else if (!html) {
            html = std::make_unique<rules::HtmlPage>(text());
        }
        return *html;
    }
};

ProfileCuts::ProfileCuts(const QueryContext& context, const ControlModel& controls)
    : context_(context), controls_(controls) {
    const rules::Profile& profile = context.profile;
    for (const std::optional<rules::Cut>* cut : {&profile.dayCount, &profile.weekCount, &profile.monthCount,
                                                 &profile.allTimeCount, &profile.firstResult, &profile.pageRank,
                                                 &profile.remark, &profile.hijack}) {
        if (*cut) {
            ++readsLeft_[(*cut)->page];
            const auto readsText = [](const rules::Alternative& way) {
                return way.rule && !std::holds_alternative<rules::XPathRule>(*way.rule);
            };
            if (std::ranges::any_of((*cut)->alternatives, readsText)) {
                textReaders_.insert((*cut)->page);
            }
        }
    }
}

ProfileCuts::~ProfileCuts() = default;

ProfileCuts::Page ProfileCuts::fetch(const std::string& name, const rules::PageSource& source) {
    Page page;
    const std::string domain = controls_.text(TextBox::Text3);
    const std::int64_t now = context_.clock.now().time_since_epoch().count();
    PageRequest request(expand(source.url, encodeDomainForUrl(domain), "", now));
    if (wantsKey(source) && context_.key.empty()) {
        page.unavailable = "no key for " + name + " (QUARNEL_OPR_KEY), so no request";
        return page;
    }
    for (const std::string& header : source.headers) {
        request.headers.push_back(expand(header, domain, context_.key, now));
    }
    request.charset = source.encoding.fixed;
    request.fallback = source.encoding.fallback;
    request.keepCookies = source.cookies;
    request.transport = source.transport == rules::PageTransport::Browser ? TransportKind::Browser : TransportKind::Curl;
    page.requestedUrl = request.url;
    page.fetched = context_.fetcher.getHTTPPage(request);

    RequestTrace trace{.page = name,
                       .url = request.url,
                       .completed = page.fetched.completed,
                       .status = page.fetched.status,
                       .bytes = page.fetched.bytes,
                       .charset = page.fetched.charset,
                       .why = page.fetched.why,
                       .failure = page.fetched.failure,
                       .servedBy = page.fetched.servedBy,
                       .elapsed = page.fetched.elapsed,
                       .blocked = false,
                       .title = {},
                       .askedAgain = false};
    if (!page.fetched.completed) {
        page.unavailable = "the fetch failed: " + page.fetched.failure;
    }
    if (matchesBlockedRules(context_.profile.blocked, page.fetched.text,
                            [&]() -> const rules::HtmlPage& { return page.parsed(); })) {
        trace.blocked = true;
        page.blocked = true;
        trace.title = page.parsed().title();
        page.unavailable = "the page is blocked (" + trace.title + ")";
    }
    // The blocked rules have read the text; past them it is kept only for a cut that reads it.
    page.keepText = textReaders_.contains(name);
    if (!page.keepText && page.html) {
        page.fetched.text = std::string();
    }
    if (context_.trace != nullptr) {
        context_.trace->requests.push_back(std::move(trace));
    }
    return page;
}

ProfileCuts::Page* ProfileCuts::page(const std::string& name, bool again) {
    const auto source = context_.profile.pages.find(name);
    if (source == context_.profile.pages.end()) {
        return nullptr;
    }
    auto& kept = pages_[name];
    if (!kept || again) {
        BlockedAnswers* const onBlocked = context_.onBlocked;
        if (onBlocked != nullptr && onBlocked->stopped()) {
            kept = std::make_unique<Page>();
            kept->unavailable = "not asked: the batch stopped after a blocked answer";
            return kept.get();
        }
        // The last copy goes before the next comes: a page is never held twice.
        kept.reset();
        kept = std::make_unique<Page>(fetch(name, source->second));
        // Once only: a second blocked answer to the same request stands.
        if (kept->blocked && onBlocked != nullptr && onBlocked->askAgain(name, kept->requestedUrl)) {
            if (context_.trace != nullptr) {
                context_.trace->requests.back().askedAgain = true;
            }
            kept.reset();
            kept = std::make_unique<Page>(fetch(name, source->second));
            if (kept->blocked) {
                onBlocked->blockedAgain(name, kept->requestedUrl);
            }
        }
    }
    return kept.get();
}

void ProfileCuts::record(ValueTrace trace) {
    if (context_.trace != nullptr) {
        context_.trace->values.push_back(std::move(trace));
    }
}

RuleReading ProfileCuts::read(const rules::CutRule& rule, Page& page) {
    if (const auto* markers = std::get_if<rules::MarkerRule>(&rule)) {
        const std::string domain = controls_.text(TextBox::Text3);
        return readBetweenMarkers(page.text(), expand(markers->first, domain, "", 0),
                                  expand(markers->second, domain, "", 0));
    }
    if (const auto* xpath = std::get_if<rules::XPathRule>(&rule)) {
        return readByXPath(page.parsed(), *xpath);
    }
    return readJson(page.text(), std::get<rules::JsonRule>(rule).pointer);
}

std::optional<CutValue> ProfileCuts::applyOne(const rules::Alternative& way, Page& page, ValueTrace& trace) {
    if (!way.rule) {
        // A text shown for want of anything better, never for a page that was not had.
        if (!page.unavailable.empty()) {
            trace.reason = page.unavailable;
            return std::nullopt;
        }
        return CutValue{way.show.value_or(std::string()), {}};
    }
    RuleReading reading = read(*way.rule, page);
    trace.found = std::move(reading.found);
    trace.reason = std::move(reading.reason);
    if (!reading.value) {
        return std::nullopt;
    }
    if (way.show) {
        // What was cut stays the block that later cuts look inside.
        return CutValue{*way.show, reading.markup.empty() ? std::move(*reading.value) : std::move(reading.markup)};
    }
    return CutValue{std::move(*reading.value), std::move(reading.markup)};
}

std::optional<CutValue> ProfileCuts::applyInTurn(const std::vector<rules::Alternative>& ways, const std::string& where,
                                                 Page& page, ValueTrace& trace) {
    for (std::size_t i = 0; i < ways.size(); ++i) {
        trace.rule = ruleLine(where, ways, i);
        trace.found.clear();
        trace.reason.clear();
        if (std::optional<CutValue> value = applyOne(ways[i], page, trace)) {
            return value;
        }
        if (i + 1 < ways.size()) {
            trace.passedOver.push_back(trace.rule + ": " + (trace.found.empty() ? "" : trace.found + "; ") + trace.reason);
        }
    }
    return std::nullopt;
}

std::optional<CutValue> ProfileCuts::cut(const std::optional<rules::Cut>& cut, std::string_view name,
                                         std::optional<Result> result) {
    ValueTrace trace{.name = std::string(name), .result = result, .rule = {}, .found = {}, .passedOver = {}, .value = {}, .reason = {}};
    if (!cut) {
        trace.reason = "no such request in this profile";
        record(std::move(trace));
        return std::nullopt;
    }
    trace.rule = ruleLine(cut->page, cut->alternatives, 0);
    Page* source = page(cut->page, cut->again);
    std::optional<CutValue> value;
    if (source == nullptr) {
        trace.reason = "no page " + cut->page + " in this profile";
    } else if (!source->fetched.completed) {
        trace.reason = source->unavailable;
    } else {
        value = applyInTurn(cut->alternatives, cut->page, *source, trace);
        // Nothing found on a blocked page is nothing found because it was blocked.
        if (!value && !source->unavailable.empty()) {
            trace.reason = source->unavailable;
        }
    }
    if (value) {
        trace.value = value->value;
    }
    if (--readsLeft_[cut->page] <= 0) {
        pages_.erase(cut->page);
    }
    record(std::move(trace));
    return value;
}

std::optional<std::string> ProfileCuts::cutInBlock(const std::optional<rules::BlockCut>& cut,
                                                   const std::optional<CutValue>& block, std::string_view name,
                                                   std::optional<Result> result) {
    ValueTrace trace{.name = std::string(name), .result = result, .rule = {}, .found = {}, .passedOver = {}, .value = {}, .reason = {}};
    if (!cut) {
        trace.reason = "no such cut in this profile";
        record(std::move(trace));
        return std::nullopt;
    }
    trace.rule = ruleLine("first result", cut->alternatives, 0);
    if (!block) {
        trace.reason = "no first result on the page";
        record(std::move(trace));
        return std::nullopt;
    }
    Page inside;
    inside.within = &block->block();
    inside.fetched.completed = true;
    std::optional<CutValue> value = applyInTurn(cut->alternatives, "first result", inside, trace);
    if (value) {
        trace.value = value->value;
    }
    record(std::move(trace));
    return value ? std::optional(std::move(value->value)) : std::nullopt;
}

}  // namespace quarnel
