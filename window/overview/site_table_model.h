#pragma once

#include "watch/site_status.h"

#include <QAbstractTableModel>

#include <array>
#include <filesystem>
#include <vector>

namespace quarnel {

// The user's sites as table rows, with the figures `quarnel-cli status` prints. The
// check box of a row adds its domain to the watch list or takes it off, through the same
// locked edit as `quarnel-cli watch add` and `remove`. Under kSortRole each column gives
// what sorts it (numbers where the text stands for one); under kRecentRole a count gives
// the numbers of its last runs, oldest first, for its line.
class SiteTableModel final : public QAbstractTableModel {
    Q_OBJECT
public:
    static constexpr int kSortRole = Qt::UserRole;
    static constexpr int kRecentRole = Qt::UserRole + 1;
    enum Column {
        Watched,
        Domain,
        Latest,
        DayCount,
        WeekCount,
        MonthCount,
        AllTimeCount,
        PageRank,
        Profile,
        Shortfall
    };
    static constexpr int kColumns = Shortfall + 1;

    explicit SiteTableModel(std::filesystem::path watchList, QObject* parent = nullptr);

    void setSites(std::vector<watch::SiteStatus> sites);
    // The domain's row shows these runs now; a domain with no row gets one at the end.
    void updateRuns(history::DomainRuns runs);
    std::string domainAt(int row) const;

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

signals:
    // The watch list could not be edited, and why; the check box stays as it was.
    void editFailed(const QString& reason);

private:
    // A site and the numbers its counts' lines are drawn from, worked out once.
    struct Row {
        watch::SiteStatus site;
        std::array<QVariantList, 4> recent;
    };
    static Row rowOf(watch::SiteStatus site);
    QVariant display(const Row& row, int column) const;
    QVariant sortKey(const Row& row, int column) const;
    bool setWatched(Row& row, bool watched);

    std::filesystem::path watchList_;
    std::vector<Row> rows_;
};

}  // namespace quarnel
