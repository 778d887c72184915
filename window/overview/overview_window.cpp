#include "window/overview/overview_window.h"

#include "watch/watch_file.h"
#include "window/history/history_window.h"
#include "window/overview/site_table_model.h"
#include "window/overview/sparkline_delegate.h"

#include <QHeaderView>
#include <QLabel>
#include <QSettings>
#include <QSortFilterProxyModel>
#include <QTableView>
#include <QVBoxLayout>

namespace quarnel {
namespace {

const QSize kFirstSize(1100, 640);
const QString kSizeKey = QStringLiteral("overviewWindow/size");
const QString kSortColumnKey = QStringLiteral("overviewWindow/sortColumn");
const QString kSortOrderKey = QStringLiteral("overviewWindow/sortOrder");
// As many runs as `quarnel-cli trend` draws its sparklines from.
constexpr std::size_t kLineRuns = 30;
constexpr int kRowsMeasuredForWidth = 100;

QSettings windowSettings() {
    return QSettings(QStringLiteral("Quarnel"), QStringLiteral("quarnel"));
}

}  // namespace

OverviewWindow::OverviewWindow(const HistoryAccess& access, std::filesystem::path watchList,
                               std::optional<WindowPassSetup> pass, QWidget* parent)
    : QWidget(parent, Qt::Window),
      reader_(access.reader),
      unavailable_(access.unavailable),
      watchList_(std::move(watchList)) {
    setObjectName(QStringLiteral("OverviewWindow"));
    setWindowTitle(QStringLiteral("站点一览"));
    if (pass) {
        checkNow_ = new CheckNowBar(std::move(*pass), access, watchList_, this);
        connect(checkNow_, &CheckNowBar::runRecorded, this, &OverviewWindow::showRecorded);
    }
    createControls();
    placeControls();
    resize(windowSettings().value(kSizeKey, kFirstSize).toSize());
}

// Closing the main window takes this one along without hiding it first.
OverviewWindow::~OverviewWindow() {
    if (isVisible()) {
        rememberLayout();
    }
}

void OverviewWindow::createControls() {
    notice_ = new QLabel(this);
    notice_->setObjectName(QStringLiteral("notice"));
    notice_->setWordWrap(true);
    notice_->setTextFormat(Qt::PlainText);
    notice_->hide();

    model_ = new SiteTableModel(watchList_, this);
    sorted_ = new QSortFilterProxyModel(this);
    sorted_->setSourceModel(model_);
    sorted_->setSortRole(SiteTableModel::kSortRole);
    table_ = new QTableView(this);
    table_->setObjectName(QStringLiteral("sites"));
    table_->setModel(sorted_);
    table_->setSortingEnabled(true);
    // Unsorted until the user sorts: the watched sites first, in the list's order.
    table_->sortByColumn(-1, Qt::AscendingOrder);
    const int column = windowSettings().value(kSortColumnKey, -1).toInt();
    if (column >= 0 && column < SiteTableModel::kColumns) {
        table_->sortByColumn(column, static_cast<Qt::SortOrder>(windowSettings().value(kSortOrderKey).toInt()));
    }
    auto* lines = new SparklineDelegate(SiteTableModel::kRecentRole, this);
    for (int count = SiteTableModel::DayCount; count <= SiteTableModel::AllTimeCount; ++count) {
        table_->setItemDelegateForColumn(count, lines);
    }
    table_->setSelectionBehavior(QAbstractItemView::SelectRows);
    table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table_->verticalHeader()->hide();
    table_->horizontalHeader()->setResizeContentsPrecision(kRowsMeasuredForWidth);
    table_->horizontalHeader()->setStretchLastSection(true);

    connect(model_, &SiteTableModel::editFailed, this,
            [this](const QString& reason) { showNotice(QStringLiteral("监视列表未能修改：") + reason); });
    connect(table_, &QTableView::doubleClicked, this, [this](const QModelIndex& index) {
        emit domainChosen(model_->domainAt(sorted_->mapToSource(index).row()));
    });
}

void OverviewWindow::placeControls() {
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(notice_);
    layout->addWidget(table_, 1);
    if (checkNow_ != nullptr) {
        layout->addWidget(checkNow_);
    }
}

void OverviewWindow::reload() {
    const auto watched = watch::readWatchList(watchList_);
    std::vector<history::DomainRuns> recorded;
    QString notice;
    if (reader_ == nullptr) {
        notice = historyUnavailable(unavailable_);
    } else if (auto read = reader_->latestRuns(kLineRuns, std::nullopt)) {
        recorded = std::move(*read);
    } else {
        notice = historyUnavailable(read.reason());
    }
    if (!watched) {
        notice += (notice.isEmpty() ? "" : "\n") + QStringLiteral("监视列表无法读取：") +
                  QString::fromStdString(watched.reason());
    }
    std::vector<watch::SiteStatus> sites =
        watch::siteStatuses(std::move(recorded), watched ? watched->domains : std::vector<std::string>{});
    if (sites.empty() && notice.isEmpty()) {
        notice = QStringLiteral("还没有查询记录，也没有监视的网址。在主窗口查询一个网址后，它会列在这里。");
    }
    showNotice(notice);
    model_->setSites(std::move(sites));
    table_->resizeColumnsToContents();
    if (checkNow_ != nullptr) {
        checkNow_->lookForOtherPass();
    }
}

void OverviewWindow::showRecorded(const std::string& domain) {
    if (reader_ == nullptr) {
        return;
    }
    if (auto read = reader_->latestRuns(kLineRuns, domain); read && !read->empty()) {
        model_->updateRuns(std::move(read->front()));
    }
}

void OverviewWindow::showNotice(const QString& notice) {
    notice_->setText(notice);
    notice_->setVisible(!notice.isEmpty());
}

void OverviewWindow::hideEvent(QHideEvent* event) {
    rememberLayout();
    QWidget::hideEvent(event);
}

void OverviewWindow::rememberLayout() const {
    QSettings settings = windowSettings();
    settings.setValue(kSizeKey, size());
    settings.setValue(kSortColumnKey, table_->horizontalHeader()->sortIndicatorSection());
    settings.setValue(kSortOrderKey, static_cast<int>(table_->horizontalHeader()->sortIndicatorOrder()));
}

}  // namespace quarnel
