#include "shell/window/history/run_table_model.h"

#include <QDateTime>
#include <QLocale>

#include <array>
#include <optional>
#include <string>

namespace quarnel {
namespace {

using history::RunRecord;
using history::RunResults;

enum class Kind { Time, Seconds, Origin, Number, Count, Text };

struct Column {
    const char* heading;
    Kind kind;
    std::optional<std::string> RunResults::* result = nullptr;
};

const std::array kColumns = {
    Column{"时间", Kind::Time},
    Column{"用时（秒）", Kind::Seconds},
    Column{"来源", Kind::Origin},
    Column{"失败次数", Kind::Number},
    Column{"今日收录", Kind::Count, &RunResults::day},
    Column{"一星期收录", Kind::Count, &RunResults::week},
    Column{"一月收录", Kind::Count, &RunResults::month},
    Column{"所有日收录", Kind::Count, &RunResults::all},
    Column{"百度快照", Kind::Text, &RunResults::snapshot},
    Column{"site:首页", Kind::Text, &RunResults::homepage},
    Column{"网站PR", Kind::Count, &RunResults::pagerank},
    Column{"PR是否劫持", Kind::Text, &RunResults::hijack},
};

// Where a check of the run wrote nothing, its label still read this.
const QString kNotWritten = QStringLiteral("查询中.");

QVariant cellText(const RunRecord& run, const Column& column) {
    switch (column.kind) {
        case Kind::Time:
            return QDateTime::fromSecsSinceEpoch(run.startedAt.time_since_epoch().count())
                .toLocalTime()
                .toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
        case Kind::Seconds:
            return QLocale::c().toString(static_cast<double>(run.duration.count()) / 1000.0, 'f', 1);
        case Kind::Origin:
            return run.origin == history::RunOrigin::Window ? QStringLiteral("窗口") : QStringLiteral("命令行");
        case Kind::Number:
            return run.fetchFailures;
        case Kind::Count:
        case Kind::Text:
            break;
    }
    const std::optional<std::string>& text = run.results.*column.result;
    return text ? QString::fromStdString(*text) : kNotWritten;
}

QVariant sortKey(const RunRecord& run, const Column& column) {
    switch (column.kind) {
        case Kind::Time:
            return static_cast<qlonglong>(run.startedAt.time_since_epoch().count());
        case Kind::Seconds:
            return static_cast<qlonglong>(run.duration.count());
        case Kind::Count: {
            // Runs without a number sort before every number.
            const std::optional<std::string>& text = run.results.*column.result;
            const std::optional<long long> value = text ? history::countValue(*text) : std::nullopt;
            return value ? QVariant(static_cast<qlonglong>(*value)) : QVariant(qlonglong{-1});
        }
        default:
            return cellText(run, column);
    }
}

}  // namespace

void RunTableModel::setRuns(std::vector<history::RunRecord> runs) {
    beginResetModel();
    runs_ = std::move(runs);
    endResetModel();
}

int RunTableModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(runs_.size());
}

int RunTableModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(kColumns.size());
}

QVariant RunTableModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid()) {
        return {};
    }
    const RunRecord& run = runs_[static_cast<std::size_t>(index.row())];
    const Column& column = kColumns[static_cast<std::size_t>(index.column())];
    switch (role) {
        case Qt::DisplayRole:
            return cellText(run, column);
        case kSortRole:
            return sortKey(run, column);
        case Qt::TextAlignmentRole:
            return column.kind == Kind::Text ? QVariant() : QVariant(Qt::AlignRight | Qt::AlignVCenter);
        default:
            return {};
    }
}

QVariant RunTableModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole) {
        return QAbstractTableModel::headerData(section, orientation, role);
    }
    return QString::fromUtf8(kColumns[static_cast<std::size_t>(section)].heading);
}

}  // namespace quarnel
