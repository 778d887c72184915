#pragma once

#include "window/history/history_access.h"
#include "window/overview/check_now_bar.h"

#include <QWidget>

#include <filesystem>
#include <optional>
#include <string>

class QLabel;
class QSortFilterProxyModel;
class QTableView;

namespace quarnel {

class SiteTableModel;

// 站点一览: every site in one table, the watched ones first, with the figures of
// `quarnel-cli status` and a line of each count's last runs. It reads the history and
// the watch list when it is opened; its size and sort order are kept in quarnel.conf.
// With a pass set up, 立即检查 under the table runs one watch pass, and each run it
// records shows in its row at once.
class OverviewWindow final : public QWidget {
    Q_OBJECT
public:
    OverviewWindow(const HistoryAccess& access, std::filesystem::path watchList, std::optional<WindowPassSetup> pass,
                   QWidget* parent);
    ~OverviewWindow() override;

    // Reads the history and the watch list afresh.
    void reload();
    SiteTableModel& sites() { return *model_; }
    // Null without a pass set up.
    CheckNowBar* checkNow() { return checkNow_; }

signals:
    // A row was double-clicked.
    void domainChosen(const std::string& domain);

protected:
    void hideEvent(QHideEvent* event) override;

private:
    void createControls();
    void placeControls();
    void showNotice(const QString& notice);
    void showRecorded(const std::string& domain);
    void rememberLayout() const;

    const history::HistoryReader* reader_;
    std::string unavailable_;
    std::filesystem::path watchList_;

    QLabel* notice_ = nullptr;
    SiteTableModel* model_ = nullptr;
    QSortFilterProxyModel* sorted_ = nullptr;
    QTableView* table_ = nullptr;
    CheckNowBar* checkNow_ = nullptr;
};

}  // namespace quarnel
