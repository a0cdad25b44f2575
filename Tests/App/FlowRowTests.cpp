#include "CorvaneApp/FlowRow.hpp"

#include <QWidget>

#include <array>

#include <gtest/gtest.h>

using namespace corvane;

TEST(FlowRow, ItemsCarryOnOntoANewLineWhereTheRowIsFull)
{
    QWidget row;
    auto* flow = new FlowRow(&row, 10);
    std::array<QWidget*, 4> items{};
    for (QWidget*& item : items) {
        item = new QWidget;
        item->setFixedSize(100, 30);
        flow->insertWidget(-1, item);
    }
    items[3]->hide();
    flow->insertWidget(0, items[3] = new QWidget);  // goes first
    items[3]->setFixedSize(50, 20);
    row.show();

    EXPECT_EQ(flow->sizeHint(), QSize(50 + 3 * 100 + 3 * 10, 30)) << "hidden widgets take no room";
    EXPECT_EQ(flow->minimumSize().width(), 100);

    row.resize(400, flow->heightForWidth(400));
    EXPECT_EQ(row.height(), 30);
    EXPECT_EQ(items[3]->geometry(), QRect(0, 5, 50, 20)) << "centred in its line";
    EXPECT_EQ(items[0]->pos(), QPoint(60, 0));
    EXPECT_EQ(items[2]->pos(), QPoint(280, 0));

    row.resize(250, flow->heightForWidth(250));
    EXPECT_EQ(row.height(), 70);
    EXPECT_EQ(items[1]->pos(), QPoint(0, 40)) << "the line was full after two";
    EXPECT_EQ(items[2]->pos(), QPoint(110, 40));

    EXPECT_EQ(flow->heightForWidth(100), 4 * 30 + 3 * 10 - 10) << "one a line, the small one alone";
}
