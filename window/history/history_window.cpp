#include "window/history/history_window.h"

#include "window/history/csv_export.h"
#include "window/history/run_chart_view.h"
#include "window/history/run_table_model.h"

#include <QCheckBox>
#include <QComboBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QSettings>
#include <QSortFilterProxyModel>
#include <QSplitter>
#include <QTableView>
#include <QVBoxLayout>

#include <algorithm>

namespace quarnel {
namespace {

const QSize kFirstSize(960, 640);
const QString kSizeKey = QStringLiteral("historyWindow/size");
constexpr int kTimeColumn = 0;
constexpr int kRowsMeasuredForWidth = 100;
constexpr int kSplitterUnit = 1000;
constexpr int kLowestChart = 240;

QSettings windowSettings() {
    return QSettings(QStringLiteral("Quarnel"), QStringLiteral("quarnel"));
}

// Domains are kept byte for byte: the picker shows them as text and filters by the bytes.
QByteArray bytesOf(const std::string& text) {
    return QByteArray(text.data(), static_cast<qsizetype>(text.size()));
}

QString shown(const std::string& domain) {
    QString text = QString::fromStdString(domain);
    text.replace(QChar('\n'), QChar(0x21B5)).replace(QChar('\0'), QChar(0x2400));
    return text;
}

}  // namespace

QString historyUnavailable(const std::string& reason) {
    return QStringLiteral("查询历史不可用：") + QString::fromStdString(reason);
}

HistoryWindow::HistoryWindow(const HistoryAccess& access, QWidget* parent)
    : QWidget(parent, Qt::Window), reader_(access.reader), unavailable_(access.unavailable) {
    setObjectName(QStringLiteral("HistoryWindow"));
    setWindowTitle(QStringLiteral("查询历史"));
    createControls();
    placeControls();
    resize(windowSettings().value(kSizeKey, kFirstSize).toSize());
}

// Closing the main window takes this one along without hiding it first.
HistoryWindow::~HistoryWindow() {
    if (isVisible()) {
        rememberSize();
    }
}

void HistoryWindow::createControls() {
    domains_ = new QComboBox(this);
    domains_->setObjectName(QStringLiteral("domains"));
    domains_->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    domains_->setMinimumContentsLength(24);
    logarithmic_ = new QCheckBox(QStringLiteral("对数坐标"), this);
    export_ = new QPushButton(QStringLiteral("导出 CSV…"), this);
    notice_ = new QLabel(this);
    notice_->setObjectName(QStringLiteral("notice"));
    notice_->setWordWrap(true);
    notice_->setTextFormat(Qt::PlainText);
    recordingProblem_ = new QLabel(this);
    recordingProblem_->setObjectName(QStringLiteral("recordingProblem"));
    recordingProblem_->setWordWrap(true);
    recordingProblem_->setTextFormat(Qt::PlainText);
    recordingProblem_->setStyleSheet(QStringLiteral("color: #b00000"));
    recordingProblem_->hide();

    chart_ = new RunChartView(this);
    chart_->setObjectName(QStringLiteral("chart"));
    chart_->setMinimumHeight(kLowestChart);
    table_ = new RunTableModel(this);
    sorted_ = new QSortFilterProxyModel(this);
    sorted_->setSourceModel(table_);
    sorted_->setSortRole(RunTableModel::kSortRole);
    tableView_ = new QTableView(this);
    tableView_->setObjectName(QStringLiteral("runs"));
    tableView_->setModel(sorted_);
    tableView_->setSortingEnabled(true);
    tableView_->sortByColumn(kTimeColumn, Qt::DescendingOrder);
    tableView_->setSelectionBehavior(QAbstractItemView::SelectRows);
    tableView_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    tableView_->verticalHeader()->hide();
    tableView_->horizontalHeader()->setResizeContentsPrecision(kRowsMeasuredForWidth);

    connect(domains_, &QComboBox::currentIndexChanged, this, &HistoryWindow::showRuns);
    connect(logarithmic_, &QCheckBox::toggled, chart_, &RunChartView::setLogarithmic);
    connect(export_, &QPushButton::clicked, this, &HistoryWindow::exportShownRuns);
}

void HistoryWindow::placeControls() {
    auto* bar = new QHBoxLayout;
    bar->addWidget(new QLabel(QStringLiteral("网址："), this));
    bar->addWidget(domains_);
    bar->addWidget(logarithmic_);
    bar->addStretch();
    bar->addWidget(export_);

    auto* splitter = new QSplitter(Qt::Vertical, this);
    splitter->addWidget(chart_);
    splitter->addWidget(tableView_);
    // The table asks for more than it needs; the chart gets three fifths to start with.
    splitter->setSizes({3 * kSplitterUnit, 2 * kSplitterUnit});
    splitter->setStretchFactor(0, 3);
    splitter->setStretchFactor(1, 2);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(bar);
    layout->addWidget(notice_);
    layout->addWidget(recordingProblem_);
    layout->addWidget(splitter, 1);
}

void HistoryWindow::showDomain(const std::string& domain) {
    std::vector<std::string> domains;
    if (reader_ == nullptr) {
        showNotice(historyUnavailable(unavailable_));
    } else {
        auto read = reader_->domains();
        if (read) {
            domains = std::move(*read);
            showNotice(domains.empty() ? QStringLiteral("还没有查询记录。在主窗口查询一个网址后，结果会记在这里。")
                                       : QString());
        } else {
            showNotice(historyUnavailable(read.reason()));
        }
    }
    const QSignalBlocker quiet(domains_);
    domains_->clear();
    for (const std::string& each : domains) {
        domains_->addItem(shown(each), bytesOf(each));
    }
    const auto picked = std::find(domains.begin(), domains.end(), domain);
    domains_->setCurrentIndex(picked != domains.end() ? static_cast<int>(picked - domains.begin()) : 0);
    anyDomain_ = !domains.empty();
    domains_->setEnabled(anyDomain_);
    logarithmic_->setEnabled(anyDomain_);
    export_->setEnabled(anyDomain_ && !queryRunning_);
    showRuns();
}

void HistoryWindow::showRuns() {
    runs_.clear();
    if (reader_ != nullptr && domains_->currentIndex() >= 0) {
        history::RunFilter filter;
        filter.domains = {domains_->currentData().toByteArray().toStdString()};
        auto read = reader_->runs(filter);
        if (read) {
            runs_ = std::move(*read);
        } else {
            showNotice(historyUnavailable(read.reason()));
        }
    }
    chart_->setRuns(runs_);
    table_->setRuns(runs_);
    tableView_->resizeColumnsToContents();
}

void HistoryWindow::showNotice(const QString& notice) {
    notice_->setText(notice);
    notice_->setVisible(!notice.isEmpty());
}

void HistoryWindow::setRecordingProblem(const QString& problem) {
    recordingProblem_->setText(problem);
    recordingProblem_->setVisible(!problem.isEmpty());
}

void HistoryWindow::setQueryRunning(bool running) {
    queryRunning_ = running;
    export_->setEnabled(anyDomain_ && !queryRunning_);
}

void HistoryWindow::exportShownRuns() {
    exportCsv(this, runs_, domains_->currentText());
}

void HistoryWindow::hideEvent(QHideEvent* event) {
    rememberSize();
    QWidget::hideEvent(event);
}

void HistoryWindow::rememberSize() const {
    windowSettings().setValue(kSizeKey, size());
}

}  // namespace quarnel
