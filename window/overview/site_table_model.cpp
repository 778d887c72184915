#include "window/overview/site_table_model.h"

#include "history/iso_time.h"
#include "watch/watch_list.h"
#include "watch/watch_list_edit.h"

#include <limits>
#include <optional>

namespace quarnel {
namespace {

constexpr std::array<const char*, SiteTableModel::kColumns> kHeadings = {"监视",  "网址",  "最近查询", nullptr, nullptr,
                                                                         nullptr, nullptr, nullptr,    "规则",  "备注"};

// The result a figure column shows; nothing for the other columns.
std::optional<Result> resultAt(int column) {
    switch (column) {
        case SiteTableModel::DayCount:
            return Result::DayCount;
        case SiteTableModel::WeekCount:
            return Result::WeekCount;
        case SiteTableModel::MonthCount:
            return Result::MonthCount;
        case SiteTableModel::AllTimeCount:
            return Result::AllTimeCount;
        case SiteTableModel::PageRank:
            return Result::PageRank;
        default:
            return std::nullopt;
    }
}

QString fromUtf8(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

}  // namespace

SiteTableModel::SiteTableModel(std::filesystem::path watchList, QObject* parent)
    : QAbstractTableModel(parent), watchList_(std::move(watchList)) {}

SiteTableModel::Row SiteTableModel::rowOf(watch::SiteStatus site) {
    Row row{std::move(site), {}};
    for (int column = DayCount; column <= AllTimeCount; ++column) {
        QVariantList& line = row.recent[static_cast<std::size_t>(column - DayCount)];
        for (const history::ResultNumbers& numbers : row.site.runs.recent) {
            const auto& number = numbers[static_cast<std::size_t>(*resultAt(column))];
            line.push_back(number ? QVariant(static_cast<qlonglong>(*number)) : QVariant());
        }
    }
    return row;
}

void SiteTableModel::setSites(std::vector<watch::SiteStatus> sites) {
    beginResetModel();
    rows_.clear();
    rows_.reserve(sites.size());
    for (watch::SiteStatus& site : sites) {
        rows_.push_back(rowOf(std::move(site)));
    }
    endResetModel();
}

void SiteTableModel::updateRuns(history::DomainRuns runs) {
    for (std::size_t i = 0; i < rows_.size(); ++i) {
        if (rows_[i].site.runs.domain == runs.domain) {
            rows_[i] = rowOf({std::move(runs), rows_[i].site.watched});
            emit dataChanged(index(static_cast<int>(i), 0), index(static_cast<int>(i), kColumns - 1));
            return;
        }
    }
    const int row = rowCount();
    beginInsertRows({}, row, row);
    rows_.push_back(rowOf({std::move(runs), false}));
    endInsertRows();
}

std::string SiteTableModel::domainAt(int row) const {
    return rows_.at(static_cast<std::size_t>(row)).site.runs.domain;
}

int SiteTableModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(rows_.size());
}

int SiteTableModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : kColumns;
}

QVariant SiteTableModel::display(const Row& row, int column) const {
    const watch::SiteStatus& site = row.site;
    const RunRecord* latest = site.latest();
    if (const auto result = resultAt(column)) {
        return fromUtf8(watch::valueCell(site, *result));
    }
    switch (column) {
        case Domain:
            return fromUtf8(site.runs.domain);
        case Latest:
            return latest != nullptr ? fromUtf8(history::shortLocal(latest->startedAt)) : QStringLiteral("未查询");
        case Profile:
            return latest != nullptr ? fromUtf8(latest->profile) : QString();
        case Shortfall:
            return latest != nullptr ? fromUtf8(watch::shortfallOf(*latest)) : QString();
        default:
            return {};
    }
}

QVariant SiteTableModel::sortKey(const Row& row, int column) const {
    const RunRecord* latest = row.site.latest();
    if (const auto result = resultAt(column)) {
        // Sites without a number sort before every number.
        const auto number = latest != nullptr ? watch::numberOf(*latest, *result) : std::nullopt;
        return static_cast<qlonglong>(number.value_or(-1));
    }
    switch (column) {
        case Watched:
            return row.site.watched;
        case Latest:
            return latest != nullptr ? static_cast<qlonglong>(latest->startedAt.time_since_epoch().count())
                                     : std::numeric_limits<qlonglong>::min();
        default:
            return display(row, column);
    }
}

QVariant SiteTableModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid()) {
        return {};
    }
    const Row& row = rows_[static_cast<std::size_t>(index.row())];
    const int column = index.column();
    switch (role) {
        case Qt::DisplayRole:
            return display(row, column);
        case kSortRole:
            return sortKey(row, column);
        case kRecentRole:
            return column >= DayCount && column <= AllTimeCount
                       ? row.recent[static_cast<std::size_t>(column - DayCount)]
                       : QVariant();
        case Qt::CheckStateRole:
            return column == Watched ? QVariant(row.site.watched ? Qt::Checked : Qt::Unchecked) : QVariant();
        case Qt::ToolTipRole:
            if (const auto unfit = watch::unfitDomainReason(row.site.runs.domain); column == Watched && unfit) {
                return QStringLiteral("不能加入监视列表：") + fromUtf8(*unfit);
            }
            return {};
        default:
            return {};
    }
}

Qt::ItemFlags SiteTableModel::flags(const QModelIndex& index) const {
    Qt::ItemFlags flags = QAbstractTableModel::flags(index);
    // A domain the list could not hold on a line of its own cannot be watched.
    if (index.isValid() && index.column() == Watched &&
        !watch::unfitDomainReason(rows_[static_cast<std::size_t>(index.row())].site.runs.domain)) {
        flags |= Qt::ItemIsUserCheckable;
    }
    return flags;
}

bool SiteTableModel::setData(const QModelIndex& index, const QVariant& value, int role) {
    if (!index.isValid() || index.column() != Watched || role != Qt::CheckStateRole ||
        !(flags(index) & Qt::ItemIsUserCheckable)) {
        return false;
    }
    Row& row = rows_[static_cast<std::size_t>(index.row())];
    if (!setWatched(row, value.value<Qt::CheckState>() == Qt::Checked)) {
        return false;
    }
    emit dataChanged(index, index, {Qt::CheckStateRole, kSortRole});
    return true;
}

bool SiteTableModel::setWatched(Row& row, bool watched) {
    const std::string& domain = row.site.runs.domain;
    const Expected<watch::ListEdit> edited = watch::editWatchList(watchList_, [&](const std::string& text) {
        return watched ? watch::withDomainAdded(text, domain) : watch::withDomainRemoved(text, domain);
    });
    if (!edited) {
        emit editFailed(fromUtf8(edited.reason()));
        return false;
    }
    // Left as it was: the list said so already, as another program may have made it.
    row.site.watched = watched;
    return true;
}

QVariant SiteTableModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole || section < 0 || section >= kColumns) {
        return QAbstractTableModel::headerData(section, orientation, role);
    }
    if (const auto result = resultAt(section)) {
        return fromUtf8(infoOf(*result).caption);
    }
    return QString::fromUtf8(kHeadings[static_cast<std::size_t>(section)]);
}

}  // namespace quarnel
