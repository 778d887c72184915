#include "window/history/run_table_model.h"

#include <QDateTime>
#include <QLocale>

#include <array>
#include <optional>
#include <string>

namespace quarnel {
namespace {

// The run's own columns, then one per result.
enum class RunColumn { Time, Seconds, Origin, Failures };
constexpr std::array<const char*, 4> kRunHeadings = {"时间", "用时（秒）", "来源", "失败次数"};

std::optional<ResultInfo> resultAt(std::size_t column) {
    if (column < kRunHeadings.size()) {
        return std::nullopt;
    }
    return kResults[column - kRunHeadings.size()];
}

QVariant runCell(const RunRecord& run, RunColumn column) {
    switch (column) {
        case RunColumn::Time:
            return QDateTime::fromSecsSinceEpoch(run.startedAt.time_since_epoch().count())
                .toLocalTime()
                .toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
        case RunColumn::Seconds:
            return QLocale::c().toString(static_cast<double>(run.duration.count()) / 1000.0, 'f', 1);
        case RunColumn::Origin:
            return run.origin == RunOrigin::Window ? QStringLiteral("窗口") : QStringLiteral("命令行");
        case RunColumn::Failures:
            return run.fetchFailures;
    }
    return {};
}

QVariant cellText(const RunRecord& run, std::size_t column) {
    const std::optional<ResultInfo> result = resultAt(column);
    if (!result) {
        return runCell(run, static_cast<RunColumn>(column));
    }
    return QString::fromUtf8(run.results[result->result].value_or(kQuerying));
}

QVariant sortKey(const RunRecord& run, std::size_t column) {
    const std::optional<ResultInfo> result = resultAt(column);
    if (!result) {
        switch (static_cast<RunColumn>(column)) {
            case RunColumn::Time:
                return static_cast<qlonglong>(run.startedAt.time_since_epoch().count());
            case RunColumn::Seconds:
                return static_cast<qlonglong>(run.duration.count());
            default:
                return runCell(run, static_cast<RunColumn>(column));
        }
    }
    if (!result->hasNumber()) {
        return cellText(run, column);
    }
    // Runs without a number sort before every number.
    const std::optional<std::string>& text = run.results[result->result];
    const std::optional<long long> value = text ? countValue(*text) : std::nullopt;
    return value ? QVariant(static_cast<qlonglong>(*value)) : QVariant(qlonglong{-1});
}

}  // namespace

void RunTableModel::setRuns(std::vector<RunRecord> runs) {
    beginResetModel();
    runs_ = std::move(runs);
    endResetModel();
}

int RunTableModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(runs_.size());
}

int RunTableModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(kRunHeadings.size() + kResults.size());
}

QVariant RunTableModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid()) {
        return {};
    }
    const RunRecord& run = runs_[static_cast<std::size_t>(index.row())];
    const auto column = static_cast<std::size_t>(index.column());
    switch (role) {
        case Qt::DisplayRole:
            return cellText(run, column);
        case kSortRole:
            return sortKey(run, column);
        case Qt::TextAlignmentRole: {
            const std::optional<ResultInfo> result = resultAt(column);
            const bool text = result && !result->hasNumber();
            return text ? QVariant() : QVariant(Qt::AlignRight | Qt::AlignVCenter);
        }
        default:
            return {};
    }
}

QVariant RunTableModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole) {
        return QAbstractTableModel::headerData(section, orientation, role);
    }
    const auto column = static_cast<std::size_t>(section);
    const std::optional<ResultInfo> result = resultAt(column);
    if (!result) {
        return QString::fromUtf8(kRunHeadings[column]);
    }
    return QString::fromUtf8(result->caption.data(), static_cast<qsizetype>(result->caption.size()));
}

}  // namespace quarnel
