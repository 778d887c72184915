#pragma once

#include "base/run_record.h"

#include <QChartView>

#include <vector>

class QAbstractAxis;
class QLineSeries;

namespace quarnel {

// The four counts of a domain's runs over time, on a linear or logarithmic axis, and
// its PageRank as a step line on an axis of its own at the right.
class RunChartView final : public QChartView {
public:
    explicit RunChartView(QWidget* parent = nullptr);

    // `runs` oldest first.
    void setRuns(const std::vector<RunRecord>& runs);
    void setLogarithmic(bool logarithmic);

private:
    void plot();
    void attach(QLineSeries* series, QAbstractAxis* valueAxis);
    QAbstractAxis* createCountAxis(double highest);

    std::vector<RunRecord> runs_;
    bool logarithmic_ = false;
};

}  // namespace quarnel
