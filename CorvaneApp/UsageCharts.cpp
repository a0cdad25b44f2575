#include "CorvaneApp/UsageCharts.hpp"

#include "CorvaneApp/ColorRole.hpp"
#include "CorvaneApp/Fonts.hpp"
#include "CorvaneApp/Theme.hpp"

#include <QAreaSeries>
#include <QBarSeries>
#include <QBarSet>
#include <QCategoryAxis>
#include <QDateTime>
#include <QDateTimeAxis>
#include <QLineSeries>
#include <QFontMetricsF>
#include <QGraphicsLayout>
#include <QPainter>
#include <QPainterPath>
#include <QValueAxis>

#include <algorithm>
#include <chrono>
#include <memory>

namespace corvane {
namespace {

qint64 msecs(Date date)
{
    return std::chrono::duration_cast<std::chrono::milliseconds>(date.time_since_epoch()).count();
}

QChart* plainChart()
{
    auto* chart = new QChart;
    chart->legend()->hide();
    chart->setBackgroundVisible(false);
    chart->setPlotAreaBackgroundVisible(false);
    chart->setMargins(QMargins(0, 4, 0, 0));
    chart->layout()->setContentsMargins(0, 0, 0, 0);
    return chart;
}

void styleAxis(QAbstractAxis* axis, bool grid)
{
    axis->setLabelsFont(Fonts::system(10.5));
    axis->setLabelsColor(Theme::text3());
    axis->setLineVisible(false);
    axis->setGridLineVisible(grid);
    axis->setGridLineColor(Theme::line());
    axis->setMinorGridLineVisible(false);
}

// Replaces a category axis's labels, one at each value, unless it shows them already.
void setCategories(QCategoryAxis* axis, const std::vector<std::pair<QString, double>>& labels)
{
    const QStringList shown = axis->categoriesLabels();
    bool same = shown.size() == qsizetype(labels.size());
    for (std::size_t i = 0; same && i < labels.size(); ++i)
        same = shown[qsizetype(i)] == labels[i].first && axis->endValue(labels[i].first) == labels[i].second;
    if (same)
        return;
    for (const QString& label : shown)
        axis->remove(label);
    for (const auto& [label, value] : labels)
        axis->append(label, value);
}

// How many labels as wide as the widest of `texts` an axis of the chart shows whole, up
// to `most`. The axis gives each label an equal share of the plot's width, counting
// `extra` shares more than it has labels, and cuts a label wider than its share, less
// the text's margins and the axis's padding, to "...". Until the chart is laid out every
// label is taken to fit.
int labelsThatFit(const QChart& chart, const QFont& font, const QStringList& texts, int extra, int most)
{
    const double width = chart.plotArea().width();
    if (width <= 0)
        return most;
    const QFontMetricsF metrics(font);
    double widest = 0;
    for (const QString& text : texts)
        widest = std::max(widest, metrics.horizontalAdvance(text));
    constexpr double margins = 18;  // 4 of text margin and 4 of padding each side, and a pixel each side to spare
    return std::clamp(int(width / (widest + margins)) - extra, 1, most);
}

void setUpChartView(QChartView* view, QChart* chart)
{
    // The view lets go of the chart it made for itself without deleting it.
    std::unique_ptr<QChart> made(view->chart());
    view->setChart(chart);
    view->setRenderHint(QPainter::Antialiasing);
    view->setFrameShape(QFrame::NoFrame);
    view->setBackgroundBrush(Qt::NoBrush);
    view->setStyleSheet(QStringLiteral("background: transparent"));
    // Nothing in a chart answers the keyboard: Tab passes it by.
    view->setFocusPolicy(Qt::NoFocus);
    view->viewport()->setFocusPolicy(Qt::NoFocus);
}

} // namespace

CPUChart::CPUChart(QWidget* parent)
    : QChartView(parent),
      upper_(new QLineSeries),
      lower_(new QLineSeries),
      line_(new QLineSeries),
      time_(new QDateTimeAxis)
{
    auto* chart = plainChart();
    auto* area = new QAreaSeries(upper_, lower_);
    // The area reads its edges but does not own them; the chart owns the area.
    upper_->setParent(area);
    lower_->setParent(area);
    QLinearGradient fill(0, 0, 0, 1);
    fill.setCoordinateMode(QGradient::ObjectBoundingMode);
    QColor accent = Theme::accent();
    accent.setAlphaF(0.5);
    fill.setColorAt(0, accent);
    accent.setAlphaF(0.05);
    fill.setColorAt(1, accent);
    area->setBrush(fill);
    area->setPen(Qt::NoPen);
    line_->setPen(QPen(Theme::accentLight(), 2));
    chart->addSeries(area);
    chart->addSeries(line_);

    styleAxis(time_, false);
    auto* load = new QCategoryAxis;
    load->setRange(0, 100);
    load->setLabelsPosition(QCategoryAxis::AxisLabelsPositionOnValue);
    std::vector<std::pair<QString, double>> ticks;
    for (const int tick : UsageModel::cpuTicks)
        ticks.emplace_back(QString::fromStdString(UsageModel::percentLabel(tick)), tick);
    setCategories(load, ticks);
    styleAxis(load, true);
    chart->addAxis(time_, Qt::AlignBottom);
    chart->addAxis(load, Qt::AlignRight);
    for (QAbstractSeries* series : {static_cast<QAbstractSeries*>(area), static_cast<QAbstractSeries*>(line_)}) {
        series->attachAxis(time_);
        series->attachAxis(load);
    }
    setUpChartView(this, chart);
    // The plot's width decides how many labels fit.
    connect(chart, &QChart::plotAreaChanged, this, &CPUChart::labelTimes);
    labelTimes();
}

void CPUChart::setHistory(const std::vector<CPUPoint>& history)
{
    QList<QPointF> points;
    QList<QPointF> floor;
    points.reserve(qsizetype(history.size()));
    for (const auto& point : history) {
        const double x = double(msecs(point.date));
        points.append(QPointF(x, point.load));
        floor.append(QPointF(x, 0));
    }
    upper_->replace(points);
    lower_->replace(floor);
    line_->replace(points);
    span_.reset();
    if (!history.empty()) {
        span_.emplace(history.front().date, history.back().date);
        const auto first = QDateTime::fromMSecsSinceEpoch(msecs(history.front().date));
        const auto last = QDateTime::fromMSecsSinceEpoch(msecs(history.back().date));
        time_->setRange(first, first == last ? last.addSecs(1) : last);
    }
    labelTimes();
}

void CPUChart::labelTimes()
{
    UsageModel::TimeAxis axis;
    if (span_) {
        // Room is measured for the wider labels, times with their seconds.
        const int most = labelsThatFit(*chart(), time_->labelsFont(), {QStringLiteral("00:00:00")}, 0, 3);
        const auto [first, last] = *span_;
        axis = UsageModel::cpuTimeAxis(first, last, QDateTime::fromMSecsSinceEpoch(msecs(first)).offsetFromUtc(),
                                       most);
    }
    if (axis.ticks == shown_.ticks && axis.seconds == shown_.seconds) {
        shown_ = std::move(axis);
        return;
    }
    // With no time to show yet, blank labels keep the axis's room.
    time_->setTickCount(std::max(axis.ticks, 2));
    time_->setFormat(axis.ticks == 0 ? QStringLiteral(" ")
                                     : axis.seconds ? QStringLiteral("HH:mm:ss") : QStringLiteral("HH:mm"));
    shown_ = std::move(axis);
}

int CPUChart::pointCount() const
{
    return int(line_->count());
}

QStringList CPUChart::timeLabels() const
{
    QStringList labels;
    for (const auto& label : shown_.labels)
        labels.append(QString::fromStdString(label));
    return labels;
}

HistoryChartView::HistoryChartView(QWidget* parent)
    : QChartView(parent), bars_(new QBarSet(QString())), time_(new QCategoryAxis), value_(new QCategoryAxis)
{
    auto* chart = plainChart();
    auto* series = new QBarSeries;
    bars_->setBorderColor(Qt::transparent);
    series->append(bars_);
    series->setBarWidth(0.7);
    chart->addSeries(series);
    time_->setLabelsPosition(QCategoryAxis::AxisLabelsPositionOnValue);
    value_->setLabelsPosition(QCategoryAxis::AxisLabelsPositionOnValue);
    styleAxis(time_, false);
    styleAxis(value_, true);
    chart->addAxis(time_, Qt::AlignBottom);
    chart->addAxis(value_, Qt::AlignRight);
    series->attachAxis(time_);
    series->attachAxis(value_);
    setUpChartView(this, chart);
    connect(chart, &QChart::plotAreaChanged, this, &HistoryChartView::labelTimes);
}

void HistoryChartView::setData(const UsageModel::HistoryChart& chart, const std::vector<UsageBucket>& buckets,
                               int rangeHours)
{
    // The screen redraws on every monitor tick; unchanged bars are left alone.
    if (chart.values == values() && buckets == buckets_ && rangeHours == rangeHours_)
        return;
    buckets_ = buckets;
    rangeHours_ = rangeHours;
    setAccessibleName(QString::fromStdString(chart.title));
    bars_->setColor(themeColor(chart.color));
    if (bars_->count() > 0)
        bars_->remove(0, bars_->count());
    QList<qreal> values(chart.values.begin(), chart.values.end());
    bars_->append(values);

    const auto axis = UsageModel::valueAxis(
        chart.values.empty() ? 0 : *std::max_element(chart.values.begin(), chart.values.end()));
    value_->setRange(0, axis.top);
    std::vector<std::pair<QString, double>> labels;
    for (const double tick : axis.ticks)
        labels.emplace_back(QString::fromStdString(UsageModel::axisLabel(tick, chart.unit)), tick);
    setCategories(value_, labels);

    const int count = int(buckets.size());
    time_->setRange(-0.5, std::max(count, 1) - 0.5);
    time_->setStartValue(-0.5);
    labelTimes();
}

void HistoryChartView::labelTimes()
{
    // Hours of the day, or days of the month.
    QStringList texts;
    for (const auto& bucket : buckets_) {
        const auto start = QDateTime::fromMSecsSinceEpoch(msecs(bucket.start));
        texts.append(rangeHours_ == 24 ? start.toLocalTime().toString(QStringLiteral("HH:mm"))
                                       : start.toUTC().toString(QStringLiteral("MMM d")));
    }
    const int most = labelsThatFit(*chart(), time_->labelsFont(), texts, 1, 3);
    std::vector<std::pair<QString, double>> labels;
    for (const int bar : UsageModel::labelledBars(int(buckets_.size()), most))
        labels.emplace_back(texts[bar], bar);
    setCategories(time_, labels);
}

std::vector<double> HistoryChartView::values() const
{
    std::vector<double> shown;
    for (qsizetype i = 0; i < bars_->count(); ++i)
        shown.push_back(bars_->at(i));
    return shown;
}

QStringList HistoryChartView::valueLabels() const
{
    return value_->categoriesLabels();
}

QStringList HistoryChartView::timeLabels() const
{
    return time_->categoriesLabels();
}

MemoryBar::MemoryBar(QWidget* parent) : QWidget(parent)
{
    setFixedHeight(26);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
}

void MemoryBar::setSegments(const std::array<UsageModel::MemorySegment, 5>& segments)
{
    if (segments == segments_)
        return;
    segments_ = segments;
    update();
}

void MemoryBar::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    double total = 0;
    for (const auto& segment : segments_)
        total += double(std::max<int64_t>(segment.bytes, 0));
    QPainterPath clip;
    clip.addRoundedRect(QRectF(rect()), 5, 5);
    painter.setClipPath(clip);
    painter.fillRect(rect(), Theme::raised());
    if (total <= 0)
        return;
    double x = 0;
    for (const auto& segment : segments_) {
        const double w = double(std::max<int64_t>(segment.bytes, 0)) / total * width();
        painter.fillRect(QRectF(x, 0, w, height()), themeColor(segment.color));
        x += w;
    }
}

} // namespace corvane
