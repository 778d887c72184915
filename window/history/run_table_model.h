#pragma once

#include "base/run_record.h"

#include <QAbstractTableModel>

#include <vector>

namespace quarnel {

// The recorded runs of one domain as table rows: the texts the run left, and under
// kSortRole what sorts them (numbers where the text stands for one).
class RunTableModel final : public QAbstractTableModel {
public:
    static constexpr int kSortRole = Qt::UserRole;

    using QAbstractTableModel::QAbstractTableModel;

    void setRuns(std::vector<RunRecord> runs);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

private:
    std::vector<RunRecord> runs_;
};

}  // namespace quarnel
