#pragma once

#include "Core/UsageBuckets.hpp"
#include "CorvaneApp/Monitor.hpp"
#include "CorvaneApp/UsageModel.hpp"

#include <QChartView>
#include <QWidget>

#include <array>
#include <optional>
#include <utility>
#include <vector>

class QAreaSeries;
class QBarSet;
class QCategoryAxis;
class QDateTimeAxis;
class QLineSeries;

namespace corvane {

// The ten-minute CPU history: a filled area under a line, on a fixed 0-100 % scale.
// Its series are replaced in place on every tick; the chart itself is built once.
class CPUChart : public QChartView {
    Q_OBJECT
public:
    explicit CPUChart(QWidget* parent = nullptr);
    void setHistory(const std::vector<CPUPoint>& history);
    // The plotted points and what the time labels read, for tests.
    int pointCount() const;
    QStringList timeLabels() const;

private:
    // As many time labels as the plot's width has room for, three at most.
    void labelTimes();

    QLineSeries* upper_;
    QLineSeries* lower_;
    QLineSeries* line_;
    QDateTimeAxis* time_;
    std::optional<std::pair<Date, Date>> span_;  // first and last point
    UsageModel::TimeAxis shown_{-1, false, {}};  // none until the first labelling
};

// One usage-history bar chart: a bar per bucket, with the value axis labelled in the
// chart's unit. Bars and labels are updated in place.
class HistoryChartView : public QChartView {
    Q_OBJECT
public:
    explicit HistoryChartView(QWidget* parent = nullptr);
    void setData(const UsageModel::HistoryChart& chart, const std::vector<UsageBucket>& buckets, int rangeHours);
    // The bar values, value-axis labels and time labels shown, for tests.
    std::vector<double> values() const;
    QStringList valueLabels() const;
    QStringList timeLabels() const;

private:
    // Labels as many bars as the plot's width has room for, three at most.
    void labelTimes();

    QBarSet* bars_;
    std::vector<UsageBucket> buckets_;
    int rangeHours_ = 0;
    QCategoryAxis* time_;
    QCategoryAxis* value_;
};

// The memory right now as one stacked bar of the five segments, each as long as its bytes.
class MemoryBar : public QWidget {
    Q_OBJECT
public:
    explicit MemoryBar(QWidget* parent = nullptr);
    void setSegments(const std::array<UsageModel::MemorySegment, 5>& segments);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    std::array<UsageModel::MemorySegment, 5> segments_{};
};

} // namespace corvane
