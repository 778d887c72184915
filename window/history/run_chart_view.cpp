#include "window/history/run_chart_view.h"

#include <QChart>
#include <QDateTime>
#include <QDateTimeAxis>
#include <QLineSeries>
#include <QLogValueAxis>
#include <QValueAxis>

#include <algorithm>
#include <array>
#include <cmath>
#include <optional>
#include <string>

namespace quarnel {
namespace {

// Up to this many runs, each one gets a dot on its lines.
constexpr std::size_t kMarkedRuns = 60;
constexpr qint64 kHourMs = 60 * 60 * 1000;
constexpr qint64 kDayMs = 24 * kHourMs;
constexpr double kHighestPageRank = 10;

std::optional<double> valueOf(const std::optional<std::string>& text) {
    if (!text) {
        return std::nullopt;
    }
    const std::optional<long long> value = countValue(*text);
    return value ? std::optional(static_cast<double>(*value)) : std::nullopt;
}

qreal msecsOf(const RunRecord& run) {
    return static_cast<qreal>(std::chrono::duration_cast<std::chrono::milliseconds>(run.startedAt.time_since_epoch()).count());
}

}  // namespace

RunChartView::RunChartView(QWidget* parent) : QChartView(parent) {
    setRenderHint(QPainter::Antialiasing);
    chart()->legend()->setAlignment(Qt::AlignBottom);
}

void RunChartView::setRuns(const std::vector<RunRecord>& runs) {
    runs_ = runs;
    plot();
}

void RunChartView::setLogarithmic(bool logarithmic) {
    logarithmic_ = logarithmic;
    plot();
}

void RunChartView::plot() {
    QChart* chart = this->chart();
    chart->removeAllSeries();
    for (QAbstractAxis* axis : chart->axes()) {
        chart->removeAxis(axis);
        delete axis;
    }

    auto* timeAxis = new QDateTimeAxis;
    timeAxis->setFormat(QStringLiteral("yyyy-MM-dd"));
    timeAxis->setTitleText(QStringLiteral("日期"));
    if (!runs_.empty()) {
        // One run, or runs of one moment, still get a day on either side to stand in.
        const qint64 first = static_cast<qint64>(msecsOf(runs_.front()));
        const qint64 last = static_cast<qint64>(msecsOf(runs_.back()));
        const qint64 margin = first == last ? kDayMs : 0;
        timeAxis->setRange(QDateTime::fromMSecsSinceEpoch(first - margin), QDateTime::fromMSecsSinceEpoch(last + margin));
        // Runs close together would all read as the same date, or the same minute.
        const qint64 span = last - first + 2 * margin;
        if (span < 2 * kDayMs) {
            timeAxis->setFormat(span < kHourMs ? QStringLiteral("HH:mm:ss") : QStringLiteral("MM-dd HH:mm"));
            timeAxis->setTitleText(QStringLiteral("时间"));
        }
    }
    chart->addAxis(timeAxis, Qt::AlignBottom);

    std::vector<QLineSeries*> counts;
    double highest = 1;
    for (const ResultInfo& count : kResults) {
        if (count.kind != ResultKind::Count) {
            continue;
        }
        QList<QPointF> points;
        points.reserve(static_cast<qsizetype>(runs_.size()));
        for (const RunRecord& run : runs_) {
            const std::optional<double> value = valueOf(run.results[count.result]);
            // A logarithmic axis has no place for nothing.
            if (value && (!logarithmic_ || *value > 0)) {
                points.append({msecsOf(run), *value});
                highest = std::max(highest, *value);
            }
        }
        auto* series = new QLineSeries;
        series->setName(QString::fromUtf8(count.caption.data(), static_cast<qsizetype>(count.caption.size())));
        series->replace(points);
        counts.push_back(series);
    }
    QAbstractAxis* countAxis = createCountAxis(highest);
    chart->addAxis(countAxis, Qt::AlignLeft);
    for (QLineSeries* series : counts) {
        attach(series, countAxis);
    }

    // The PageRank holds from one run until the next that read it.
    QList<QPointF> steps;
    for (const RunRecord& run : runs_) {
        if (const std::optional<double> value = valueOf(run.results[Result::PageRank])) {
            if (!steps.isEmpty()) {
                steps.append({msecsOf(run), steps.constLast().y()});
            }
            steps.append({msecsOf(run), *value});
        }
    }
    auto* pageRankAxis = new QValueAxis;
    double highestPageRank = kHighestPageRank;
    for (const QPointF& step : steps) {
        highestPageRank = std::max(highestPageRank, step.y());
    }
    // Whole steps of two, so each tick names a PageRank.
    const double topTick = 2 * std::ceil(highestPageRank / 2);
    pageRankAxis->setRange(0, topTick);
    pageRankAxis->setTickCount(static_cast<int>(topTick) / 2 + 1);
    pageRankAxis->setLabelFormat(QStringLiteral("%d"));
    pageRankAxis->setTitleText(QStringLiteral("网站PR"));
    chart->addAxis(pageRankAxis, Qt::AlignRight);
    auto* pageRank = new QLineSeries;
    pageRank->setName(QStringLiteral("网站PR"));
    pageRank->replace(steps);
    attach(pageRank, pageRankAxis);
}

QAbstractAxis* RunChartView::createCountAxis(double highest) {
    if (logarithmic_) {
        auto* axis = new QLogValueAxis;
        axis->setBase(10);
        axis->setRange(1, highest * 2);
        axis->setLabelFormat(QStringLiteral("%.0f"));
        axis->setTitleText(QStringLiteral("收录（对数）"));
        return axis;
    }
    auto* axis = new QValueAxis;
    axis->setRange(0, highest * 1.1);
    axis->applyNiceNumbers();
    axis->setLabelFormat(QStringLiteral("%.0f"));
    axis->setTitleText(QStringLiteral("收录"));
    return axis;
}

void RunChartView::attach(QLineSeries* series, QAbstractAxis* valueAxis) {
    QChart* chart = this->chart();
    chart->addSeries(series);
    // A handful of runs would otherwise be flat lines with nothing to show where each run is.
    series->setPointsVisible(runs_.size() <= kMarkedRuns);
    series->attachAxis(chart->axes(Qt::Horizontal).constFirst());
    series->attachAxis(valueAxis);
}

}  // namespace quarnel
