#pragma once

#include "base/run_record.h"
#include "window/history/history_access.h"

#include <QWidget>

#include <string>
#include <vector>

class QCheckBox;
class QComboBox;
class QLabel;
class QPushButton;
class QSortFilterProxyModel;
class QTableView;

namespace quarnel {

class RunChartView;
class RunTableModel;

// What the history windows say when the database cannot be read, and why.
QString historyUnavailable(const std::string& reason);

// The recorded runs of one domain at a time: a chart of the counts and the PageRank
// over time, and the runs newest first in a table. It reads the history only when it
// is opened or another domain is picked.
class HistoryWindow final : public QWidget {
public:
    HistoryWindow(const HistoryAccess& access, QWidget* parent);
    ~HistoryWindow() override;

    // Reads the recorded domains afresh and shows the runs of `domain`, or of the first
    // domain when `domain` has none.
    void showDomain(const std::string& domain);
    // A line over the chart; empty says nothing.
    void setRecordingProblem(const QString& problem);
    // While a query runs, the export waits: its file dialog would hold the run up.
    void setQueryRunning(bool running);

protected:
    void hideEvent(QHideEvent* event) override;

private:
    void createControls();
    void placeControls();
    void showRuns();
    void showNotice(const QString& notice);
    void exportShownRuns();
    void rememberSize() const;

    const history::HistoryReader* reader_;
    std::string unavailable_;
    std::vector<RunRecord> runs_;  // of the picked domain, oldest first
    bool anyDomain_ = false;
    bool queryRunning_ = false;

    QComboBox* domains_ = nullptr;
    QCheckBox* logarithmic_ = nullptr;
    QPushButton* export_ = nullptr;
    QLabel* notice_ = nullptr;
    QLabel* recordingProblem_ = nullptr;
    RunChartView* chart_ = nullptr;
    RunTableModel* table_ = nullptr;
    QSortFilterProxyModel* sorted_ = nullptr;
    QTableView* tableView_ = nullptr;
};

}  // namespace quarnel
