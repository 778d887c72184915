#pragma once

#include "controls/control_model.h"
#include "query/profile_cuts.h"
#include "query/run_trace.h"
#include "rules/profile_reader.h"

#include <QObject>

#include <optional>
#include <string>

class QMenu;
class QWidget;

namespace quarnel {

// The rules the window's queries use, and what a run can tell about itself: 规则 on the
// right button chooses among the profiles (remembered in quarnel.conf), 诊断… shows the
// last run's trace, 设置密钥… keeps the Open PageRank key. With the classic rules the
// window shows exactly what it always did; with others a value the rules cannot give
// says why in words, and a verification page is told once per run.
class WindowRules final : public QObject {
public:
    WindowRules(QWidget& window, ControlModel& controls);

    // What a query run needs to cut values by the chosen rules, tracing into this.
    QueryContext contextFor(PageFetcher& fetcher, const Clock& clock);
    const RunTrace& lastTrace() const { return trace_; }
    // Once the run has been recorded: words for values these rules cannot give.
    void runEnded();

private:
    void load(const QString& name);
    void fillProfileMenu();
    void showDiagnosis();
    void askForKey();

    QWidget& window_;
    ControlModel& controls_;
    QMenu* profileMenu_ = nullptr;
    rules::LoadedProfile loaded_;
    RunTrace trace_;
    std::string key_;
};

}  // namespace quarnel
