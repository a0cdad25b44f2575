#include "CorvaneApp/ElidedLabel.hpp"
#include "CorvaneApp/ProcessTable.hpp"
#include "Tests/App/Support/ClippedWidgets.hpp"
#include "tools/ScreenStates.hpp"

#include <QCategoryAxis>
#include <QChartView>
#include <QCoreApplication>
#include <QLabel>
#include <QLineSeries>
#include <QPushButton>

#include <gtest/gtest.h>

using namespace corvane;
using namespace corvane::test;

namespace {

// Lays each state out as the screenshot tool draws it and keeps what is cut off.
class Inspector final : public screenshots::Camera {
public:
    using Camera::Camera;
    QStringList problems;
    int states = 0;
    int tableRows = 0;

protected:
    void take(QWidget& widget, const QString& name) override
    {
        ++states;
        for (const QString& clipped : clippedWidgets(widget))
            problems.append(name + QStringLiteral(": ") + clipped);
        // The process table's name column keeps its floor however narrow the window.
        for (const ProcessRow* row : widget.findChildren<ProcessRow*>()) {
            if (!row->isVisibleTo(&widget))
                continue;
            ++tableRows;
            const int width = row->nameLabel()->width();
            if (width < ProcessColumns::nameFloor)
                problems.append(QStringLiteral("%1: name column of %2 is %3 px")
                                    .arg(name, QString::fromStdString(row->group().displayName))
                                    .arg(width));
        }
    }
};

} // namespace

TEST(Layout, EveryScreenInEveryStateFitsTheSmallestWindow)
{
    Inspector inspector(screenshots::mainWindowSizes().minimum);
    ASSERT_EQ(inspector.windowSize(), QSize(1000, 700));
    for (const auto& render : screenshots::screenStates())
        render(inspector);
    EXPECT_GT(inspector.states, 40);
    EXPECT_GT(inspector.tableRows, 40);
    EXPECT_TRUE(inspector.problems.isEmpty()) << inspector.problems.join(QLatin1Char('\n')).toStdString();
}

TEST(Layout, CutsAreFoundAndDeliberateShorteningIsNot)
{
    QWidget page;
    page.resize(200, 100);
    auto* column = new QWidget(&page);
    column->setGeometry(0, 0, 200, 100);
    auto* beyond = new QPushButton(QStringLiteral("Settings"), column);
    beyond->setGeometry(150, 0, 100, 30);  // half past the page's edge
    auto* narrow = new QLabel(QStringLiteral("A label far too long for its width"), column);
    narrow->setGeometry(0, 40, 40, 20);
    auto* elided = new ElidedLabel(column);
    elided->setFullText(QStringLiteral("A name far too long for its width"));
    elided->setGeometry(0, 60, 40, 20);
    auto* wrapped = new QLabel(QStringLiteral("Words that wrap onto lines"), column);
    wrapped->setWordWrap(true);
    wrapped->setGeometry(0, 80, 60, 20);
    auto* below = new QLabel(QStringLiteral("x"), column);
    below->setGeometry(0, 150, 20, 20);  // under the fold: scrolling reaches it

    // Axis labels too wide for the room between their neighbours.
    auto* chart = new QChart;
    auto* series = new QLineSeries;
    series->append({QPointF(0, 0), QPointF(3, 1)});
    chart->addSeries(series);
    auto* time = new QCategoryAxis;
    time->setLabelsPosition(QCategoryAxis::AxisLabelsPositionOnValue);
    for (int i = 1; i <= 3; ++i)
        time->append(QStringLiteral("Monday %1 March").arg(i), i);
    chart->addAxis(time, Qt::AlignBottom);
    series->attachAxis(time);
    auto* view = new QChartView(chart, column);
    view->setGeometry(0, 0, 120, 80);
    page.show();
    QCoreApplication::processEvents();

    const QStringList found = clippedWidgets(page);
    ASSERT_GE(found.size(), 3) << found.join(QLatin1Char('\n')).toStdString();
    EXPECT_TRUE(found[0].startsWith(QStringLiteral("clipped to 50 px"))) << found[0].toStdString();
    EXPECT_TRUE(found[0].contains(QStringLiteral("Settings"))) << found[0].toStdString();
    EXPECT_TRUE(found[1].startsWith(QStringLiteral("text cut"))) << found[1].toStdString();
    EXPECT_TRUE(found[1].contains(QStringLiteral("A label far"))) << found[1].toStdString();
    for (int i = 2; i < found.size(); ++i)
        EXPECT_TRUE(found[i].startsWith(QStringLiteral("chart label shortened"))) << found[i].toStdString();
}
