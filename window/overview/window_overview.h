#pragma once

#include "controls/control_model.h"
#include "window/history/history_access.h"
#include "window/overview/check_now_bar.h"

#include <QObject>
#include <QPointer>

#include <filesystem>

class QAction;
class QWidget;

namespace quarnel {

class OverviewWindow;
class WindowHistory;

// The main window's 站点一览… (Ctrl+L) on the right button, just above `before`: the
// overview of every site, whose 立即检查 runs a watch pass as `pass` sets it up. A double
// click on a site puts its domain into the domain box and opens the site's history,
// unless a query is running, which needs the box as it is.
class WindowOverview final : public QObject {
public:
    WindowOverview(QWidget& window, ControlModel& controls, WindowHistory& history, HistoryAccess access,
                   WindowPassSetup pass, QAction* before);

    void showOverview();
    void setQueryRunning(bool running);
    bool passRunning() const;

private:
    void showSite(const std::string& domain);

    QWidget& window_;
    ControlModel& controls_;
    WindowHistory& history_;
    HistoryAccess access_;
    WindowPassSetup pass_;
    std::filesystem::path watchList_;
    QPointer<OverviewWindow> overview_;
    bool queryRunning_ = false;
};

}  // namespace quarnel
