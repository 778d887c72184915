#pragma once

#include "window/history/history_access.h"

#include <QWidget>

#include <filesystem>
#include <string>

class QLabel;
class QSortFilterProxyModel;
class QTableView;

namespace quarnel {

class SiteTableModel;

// 站点一览: every site in one table, the watched ones first, with the figures of
// `quarnel-cli status` and a line of each count's last runs. It reads the history and
// the watch list when it is opened; its size and sort order are kept in quarnel.conf.
class OverviewWindow final : public QWidget {
    Q_OBJECT
public:
    OverviewWindow(const HistoryAccess& access, std::filesystem::path watchList, QWidget* parent);
    ~OverviewWindow() override;

    // Reads the history and the watch list afresh.
    void reload();
    SiteTableModel& sites() { return *model_; }

signals:
    // A row was double-clicked.
    void domainChosen(const std::string& domain);

protected:
    void hideEvent(QHideEvent* event) override;

private:
    void createControls();
    void placeControls();
    void showNotice(const QString& notice);
    void rememberLayout() const;

    const history::HistoryReader* reader_;
    std::string unavailable_;
    std::filesystem::path watchList_;

    QLabel* notice_ = nullptr;
    SiteTableModel* model_ = nullptr;
    QSortFilterProxyModel* sorted_ = nullptr;
    QTableView* table_ = nullptr;
};

}  // namespace quarnel
