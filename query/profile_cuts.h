#pragma once

#include "base/run_record.h"
#include "controls/control_model.h"
#include "fetch/page_fetcher.h"
#include "query/blocked_answers.h"
#include "query/rule_reading.h"
#include "query/run_trace.h"
#include "rules/profile.h"

#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

namespace quarnel {

namespace rules {
class HtmlPage;
}

// What a run needs besides the controls: the rules, the fetcher, the clock behind the
// rules' time placeholders, the user's key for a service that wants one (empty: none),
// the trace to fill (may be null), and who decides about a blocked answer (null: it stays
// blocked).
struct QueryContext {
    const rules::Profile& profile;
    PageFetcher& fetcher;
    const Clock& clock;
    std::string key;
    RunTrace* trace = nullptr;
    BlockedAnswers* onBlocked = nullptr;
};

// A value a cut gave, and the block later cuts look inside: the selected element's
// markup for an XPath, the value itself otherwise (then `markup` stays empty).
struct CutValue {
    std::string value;
    std::string markup;

    const std::string& block() const { return markup.empty() ? value : markup; }
};

// The pages of one run and the cuts made on them, as the profile says: a page is fetched
// when a cut first needs it, or anew for a cut marked `again`; every request and cut goes
// into the trace. The domain is read from Text3 at each use.
class ProfileCuts {
public:
    ProfileCuts(const QueryContext& context, const ControlModel& controls);
    ~ProfileCuts();
    ProfileCuts(const ProfileCuts&) = delete;
    ProfileCuts& operator=(const ProfileCuts&) = delete;

    // Nothing when the profile has no such cut, its page could not be had, or the rule
    // found nothing; the trace says which.
    std::optional<CutValue> cut(const std::optional<rules::Cut>& cut, std::string_view name,
                                std::optional<Result> result);
    // A cut inside the first result's block; nothing without a block.
    std::optional<std::string> cutInBlock(const std::optional<rules::BlockCut>& cut, const std::optional<CutValue>& block,
                                          std::string_view name, std::optional<Result> result);

    struct Page;

private:

    Page* page(const std::string& name, bool again);
    Page fetch(const std::string& name, const rules::PageSource& source);
    RuleReading read(const rules::CutRule& rule, Page& page);
    // One way to a value on `page`, what it found going into `trace`.
    std::optional<CutValue> applyOne(const rules::Alternative& way, Page& page, ValueTrace& trace);
    // Each way in turn until one gives a value; the trace tells which did, and what each
    // before it found. `where` names the page, or the first result's block.
    std::optional<CutValue> applyInTurn(const std::vector<rules::Alternative>& ways, const std::string& where,
                                        Page& page, ValueTrace& trace);
    void record(ValueTrace trace);

    const QueryContext& context_;
    const ControlModel& controls_;
    std::map<std::string, std::unique_ptr<Page>> pages_;
    // How many cuts of the profile have yet to read each page: a page nobody will read
    // again is let go at once, as a run of several large pages would otherwise keep all.
    std::map<std::string, int> readsLeft_;
    // The pages a cut reads as text (markers, JSON); the others are only ever parsed, and
    // their text is let go as the parser reads it.
    std::set<std::string> textReaders_;
};

}  // namespace quarnel
