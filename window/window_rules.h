#pragma once

#include "base/expected.h"
#include "controls/control_model.h"
#include "query/profile_cuts.h"
#include "query/run_trace.h"
#include "rules/profile_reader.h"

#include <QObject>

#include <optional>
#include <string>
#include <vector>

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
    // `sessionProfile`, a profile's name or file, is used instead of the remembered one
    // and not remembered; empty: the remembered one.
    WindowRules(QWidget& window, ControlModel& controls, const std::string& sessionProfile);

    // What a query run needs to cut values by the chosen rules, tracing into this.
    QueryContext contextFor(PageFetcher& fetcher, const Clock& clock);
    const rules::Profile& profile() const { return loaded_.profile; }
    // How the chosen rules space their requests out.
    const rules::Pace& pace() const { return loaded_.profile.pace; }
    const RunTrace& lastTrace() const { return trace_; }
    // The Open PageRank key as it stands.
    const std::string& key() const { return key_; }
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

// The profile that `--profile NAME` (or `--profile=NAME`) names among the window's
// arguments, for this session only; empty when none does. Fails when the option has no
// name after it. Any other argument is Qt's.
Expected<std::string> sessionProfileArgument(const std::vector<std::string>& arguments);

}  // namespace quarnel
