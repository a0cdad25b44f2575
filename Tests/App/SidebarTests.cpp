#include "CorvaneApp/Sidebar.hpp"
#include "Tests/App/Support/AppHarness.hpp"

#include <gtest/gtest.h>

using namespace corvane;
using namespace corvane::test;

TEST(Sidebar, BadgesCountGroupsAndBackgroundItemsOnlyWhenThereAreSome)
{
    AppHarness h;
    Sidebar sidebar(h.env);
    for (const Screen screen : allCases<Screen>())
        EXPECT_EQ(sidebar.row(screen)->badge(), QString()) << "no badge before the first tick";

    h.monitor.setGroups({testGroup("A", 1, 0, 1, std::nullopt, 1), testGroup("B", 2, 0, 1, std::nullopt, 2),
                         testGroup("C", 3, 0, 1, std::nullopt, 3)});
    BackgroundItem item;
    item.label = "com.example.agent";
    h.monitor.setBackgroundItems({item, item});
    EXPECT_EQ(sidebar.row(Screen::processes)->badge(), QStringLiteral("3"));
    EXPECT_EQ(sidebar.row(Screen::backgroundItems)->badge(), QStringLiteral("2"));
    for (const Screen screen : {Screen::overview, Screen::internet, Screen::usage})
        EXPECT_EQ(sidebar.row(screen)->badge(), QString());

    // A scan that found nothing shows no "0".
    h.monitor.setBackgroundItems({});
    EXPECT_EQ(sidebar.row(Screen::backgroundItems)->badge(), QString());
    EXPECT_EQ(Sidebar::count(Screen::backgroundItems, h.monitor), std::nullopt);
}

TEST(Sidebar, RowsSelectTheirScreenAndExactlyOneIsHighlighted)
{
    AppHarness h;
    Sidebar sidebar(h.env);
    EXPECT_EQ(sidebar.width(), Sidebar::columnWidth());

    int changes = 0;
    QObject::connect(&h.router, &Router::screenChanged, [&] { ++changes; });
    sidebar.row(Screen::internet)->click();
    EXPECT_EQ(h.router.screen(), Screen::internet);
    sidebar.row(Screen::internet)->click();
    EXPECT_EQ(changes, 1) << "clicking the current row notifies nobody";

    int selected = 0;
    for (const Screen screen : allCases<Screen>())
        selected += sidebar.row(screen)->isSelected() ? 1 : 0;
    EXPECT_EQ(selected, 1);
    EXPECT_TRUE(sidebar.row(Screen::internet)->isSelected());
}

TEST(Sidebar, FooterNoteWrapsInsideTheColumnRatherThanWidenIt)
{
    AppHarness h;
    Sidebar sidebar(h.env);
    sidebar.resize(Sidebar::columnWidth(), 700);
    sidebar.show();
    QLabel* note = nullptr;
    for (QLabel* label : sidebar.findChildren<QLabel*>()) {
        if (label->text() == QStringLiteral("Works locally. Nothing is uploaded."))
            note = label;
    }
    ASSERT_NE(note, nullptr);
    EXPECT_TRUE(note->wordWrap());
    EXPECT_GE(note->height(), note->heightForWidth(note->width())) << "every line shows";
    EXPECT_LE(note->x() + note->width(), sidebar.width() - 14 - 6) << "inside the column's padding";
}
