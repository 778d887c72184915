#include "window/overview/window_overview.h"

#include "watch/watch_file.h"
#include "window/history/window_history.h"
#include "window/overview/overview_window.h"

#include <QAction>
#include <QWidget>

#include <cstdlib>

namespace quarnel {

WindowOverview::WindowOverview(QWidget& window, ControlModel& controls, WindowHistory& history, HistoryAccess access,
                               WindowPassSetup pass, QAction* before)
    : QObject(&window),
      window_(window),
      controls_(controls),
      history_(history),
      access_(std::move(access)),
      pass_(std::move(pass)),
      // The list `quarnel-cli watch` and its timer go through.
      watchList_(watch::watchListPath(std::getenv("XDG_CONFIG_HOME"), std::getenv("HOME"))) {
    auto* action = new QAction(QStringLiteral("站点一览…"), &window_);
    action->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_L));
    connect(action, &QAction::triggered, this, &WindowOverview::showOverview);
    window_.insertAction(before, action);
}

void WindowOverview::showOverview() {
    if (overview_ == nullptr) {
        overview_ = new OverviewWindow(access_, watchList_, pass_, &window_);
        overview_->checkNow()->setQueryRunning(queryRunning_);
        connect(overview_, &OverviewWindow::domainChosen, this, &WindowOverview::showSite);
    }
    overview_->reload();
    overview_->show();
    overview_->raise();
    overview_->activateWindow();
}

void WindowOverview::setQueryRunning(bool running) {
    queryRunning_ = running;
    if (overview_ != nullptr) {
        overview_->checkNow()->setQueryRunning(running);
    }
}

bool WindowOverview::passRunning() const {
    return overview_ != nullptr && overview_->checkNow()->running();
}

void WindowOverview::showSite(const std::string& domain) {
    if (queryRunning_) {
        return;
    }
    controls_.setText(TextBox::Text3, domain);
    history_.showHistory();
}

}  // namespace quarnel
