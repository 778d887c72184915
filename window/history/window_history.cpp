#include "window/history/window_history.h"

#include "base/run_record.h"
#include "controls/control_model.h"
#include "window/history/csv_export.h"
#include "window/history/history_window.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QKeyEvent>
#include <QMessageBox>
#include <QWidget>

#include <chrono>
#include <iostream>

namespace quarnel {

WindowHistory::WindowHistory(QWidget& window, const ControlModel& controls, const Clock& clock,
                             HistoryAccess access)
    : QObject(&window), window_(window), controls_(controls), clock_(clock), access_(std::move(access)) {
    // The right button anywhere outside the web panels and the domain box, which keep
    // menus of their own, opens these; their shortcuts work without it.
    window_.setContextMenuPolicy(Qt::ActionsContextMenu);
    showHistoryAction_ = addCommand("查询历史…", QKeySequence(Qt::CTRL | Qt::Key_H), &WindowHistory::showHistory);
    addCommand("导出 CSV…", QKeySequence(Qt::CTRL | Qt::Key_E), &WindowHistory::exportAllRuns);
    addCommand("复制结果", QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_C), &WindowHistory::copyResults);
    qApp->installEventFilter(this);
}

bool WindowHistory::eventFilter(QObject* target, QEvent* event) {
    // A text box claims some of these keys for itself (Ctrl+E ends the line on X11
    // desktops); here the commands come first. During a query run the window's input
    // blocker, asked before this, drops them all the same.
    if (event->type() != QEvent::ShortcutOverride) {
        return false;
    }
    const auto* widget = qobject_cast<const QWidget*>(target);
    if (widget == nullptr || widget->window() != &window_) {
        return false;
    }
    const QKeySequence pressed(static_cast<const QKeyEvent*>(event)->keyCombination());
    for (const QAction* action : window_.actions()) {
        if (action->shortcut() == pressed) {
            event->ignore();
            return true;
        }
    }
    return false;
}

QAction* WindowHistory::addCommand(const char* text, QKeySequence shortcut, void (WindowHistory::*command)()) {
    auto* action = new QAction(QString::fromUtf8(text), &window_);
    action->setShortcut(shortcut);
    connect(action, &QAction::triggered, this, command);
    window_.addAction(action);
    return action;
}

void WindowHistory::recordRun(const CountingMessageBox& failures, const std::function<void()>& query,
                              const RunTrace& trace) {
    RunRecord run;
    run.origin = RunOrigin::Window;
    run.startedAt = clock_.now();
    run.domain = controls_.text(TextBox::Text3);
    const int failedBefore = failures.shown();
    const auto started = std::chrono::steady_clock::now();

    setQueryRunning(true);
    query();
    setQueryRunning(false);

    run.duration = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - started);
    run.fetchFailures = failures.shown() - failedBefore;
    run.results = resultsOf(controls_);
    addTraceTo(run, trace);
    store(run);
}

void WindowHistory::setQueryRunning(bool running) {
    if (historyWindow_ != nullptr) {
        historyWindow_->setQueryRunning(running);
    }
}

void WindowHistory::store(const RunRecord& run) {
    if (access_.recorder == nullptr) {
        return;  // told once, when the database would not open
    }
    if (const Expected<Done> recorded = access_.recorder->record(run); !recorded) {
        // No box here: the run has shown its results, and the window stays as it left it.
        ++unrecordedRuns_;
        lastRecordingError_ = QString::fromStdString(recorded.reason());
        std::cerr << "history: " << recorded.reason() << '\n';
    }
    if (historyWindow_ != nullptr && historyWindow_->isVisible()) {
        historyWindow_->setRecordingProblem(recordingProblem());
        historyWindow_->showDomain(run.domain);
    }
}

QString WindowHistory::recordingProblem() const {
    if (unrecordedRuns_ == 0) {
        return {};
    }
    return QStringLiteral("本次启动后有 %1 次查询未能记入历史，最近一次的原因：%2")
        .arg(unrecordedRuns_)
        .arg(lastRecordingError_);
}

void WindowHistory::showHistory() {
    if (historyWindow_ == nullptr) {
        historyWindow_ = new HistoryWindow(access_, &window_);
    }
    historyWindow_->setRecordingProblem(recordingProblem());
    historyWindow_->showDomain(controls_.text(TextBox::Text3));
    historyWindow_->show();
    historyWindow_->raise();
    historyWindow_->activateWindow();
}

void WindowHistory::exportAllRuns() {
    const QString title = QStringLiteral("导出 CSV");
    if (access_.reader == nullptr) {
        QMessageBox::warning(&window_, title, historyUnavailable(access_.unavailable));
        return;
    }
    const auto runs = access_.reader->runs({});
    if (!runs) {
        QMessageBox::warning(&window_, title, historyUnavailable(runs.reason()));
        return;
    }
    exportCsv(&window_, *runs, QStringLiteral("查询历史"));
}

void WindowHistory::copyResults() {
    RunRecord shown;
    shown.domain = controls_.text(TextBox::Text3);
    shown.results = resultsOf(controls_);
    QApplication::clipboard()->setText(QString::fromStdString(formatTextBlock(shown)));
}

}  // namespace quarnel
