#pragma once

#include "base/run_record.h"
#include "controls/control_model.h"
#include "query/run_trace.h"
#include "window/history/counting_message_box.h"
#include "window/history/history_access.h"

#include <QObject>
#include <QPointer>

#include <functional>

class QAction;
class QWidget;

namespace quarnel {

class HistoryWindow;

// The main window's history: records each query run when it ends, and offers the
// history window, the CSV export and a copy of the results on the right button and
// on their shortcuts. Nothing of it shows until it is asked for.
class WindowHistory final : public QObject {
public:
    WindowHistory(QWidget& window, const ControlModel& controls, const Clock& clock, HistoryAccess access);

    // Runs `query` and records it with the failed fetches `failures` counted meanwhile
    // and what `trace` says of it once it has run. A run that cannot be recorded is told
    // on stderr and in the history window.
    void recordRun(const CountingMessageBox& failures, const std::function<void()>& query, const RunTrace& trace);

    void showHistory();
    void exportAllRuns();
    void copyResults();
    // 查询历史… on the right button, for commands to go beside it.
    QAction* showHistoryAction() const { return showHistoryAction_; }

protected:
    bool eventFilter(QObject* target, QEvent* event) override;

private:
    QAction* addCommand(const char* text, QKeySequence shortcut, void (WindowHistory::*command)());
    void setQueryRunning(bool running);
    void store(const RunRecord& run);
    QString recordingProblem() const;

    QWidget& window_;
    const ControlModel& controls_;
    const Clock& clock_;
    HistoryAccess access_;
    QPointer<HistoryWindow> historyWindow_;
    QAction* showHistoryAction_ = nullptr;
    int unrecordedRuns_ = 0;
    QString lastRecordingError_;
};

}  // namespace quarnel
