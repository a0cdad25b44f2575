#include "CorvaneApp/ProcessList.hpp"

#include "CorvaneApp/ProcessDetail.hpp"
#include "CorvaneApp/ProcessesView.hpp"
#include "Tests/App/Support/AppHarness.hpp"
#include "Tests/App/Support/Keyboard.hpp"

#include <QApplication>
#include <QLineEdit>
#include <QScrollBar>
#include <QVBoxLayout>

#include <gtest/gtest.h>

#include <algorithm>

using namespace corvane;
using namespace corvane::test;

namespace {

TEST(RowPlaces, RowsFollowTheExpandedOneByItsHeight)
{
    const RowPlaces places{5, 10, 2, 35};
    EXPECT_EQ(places.total(), 75);
    const std::vector<std::pair<std::size_t, int>> tops{{0, 0}, {1, 10}, {2, 20}, {3, 55}, {4, 65}};
    for (const auto& [index, top] : tops)
        EXPECT_EQ(places.top(index), top) << index;
    const std::vector<std::pair<int, std::size_t>> rowsAt{{-40, 0}, {0, 0}, {19, 1}, {20, 2}, {54, 2},
                                                          {55, 3}, {74, 4}, {900, 4}};
    for (const auto& [y, index] : rowsAt)
        EXPECT_EQ(places.at(y), index) << y;

    const RowPlaces plain{3, 10, std::nullopt, 0};
    EXPECT_EQ(plain.total(), 30);
    EXPECT_EQ(plain.at(29), 2u);
    EXPECT_EQ(RowPlaces{}.at(50), 0u);
}

// A list far longer than the window: 3000 lone processes, busiest first, as a build
// leaves them, with the search indexer among them.
struct LongListTest : ::testing::Test {
    static constexpr int count = 3000;

    LongListTest()
    {
        t.monitor.setGroups(tick(0));
        probes.home = QStringLiteral("/home/ada");
        probes.heavyFolders = [this](const std::filesystem::path& home) {
            ++scans;
            return std::vector<HeavyFolder>{{home.string() + "/Parallels", "Parallels virtual machines", 2'000'000'000}};
        };
        probes.windows = [] { return WindowReading{}; };
    }

    // The processes of one tick; a tick with another `firstPID` has every pid new.
    static std::vector<ProcessGroup> tick(int firstPID)
    {
        std::vector<ProcessGroup> groups;
        for (int i = 0; i < count; ++i)
            groups.push_back(testGroup("job" + std::to_string(i), count - i, 1 << 20, 1, std::nullopt, 10000 + firstPID + i));
        groups[5] = testGroup("mds_stores", count - 5, 1 << 20, 3, std::nullopt, 9000);
        return groups;
    }

    void show(QWidget& widget)
    {
        widget.resize(1000, 700);
        widget.show();
        settle();
    }

    static void settle()
    {
        QApplication::processEvents();
        QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    void scrollTo(ProcessesView& view, int value)
    {
        view.list()->verticalScrollBar()->setValue(value);
        settle();
    }

    // As many row widgets as a screenful can show, the spare rows either side, the kernel
    // row (never reused for others) and a row kept for the detail or the keyboard.
    static std::size_t fewRows(const ProcessesView& view)
    {
        const int rowHeight = view.row("kernel_task") ? view.row("kernel_task")->height() : 0;
        const int inView = rowHeight > 0 ? view.list()->viewport()->height() / rowHeight + 2 : 0;
        return static_cast<std::size_t>(inView + 2 * ProcessList::spareRows + 2);
    }

    // The rows in the viewport, top to bottom, must be listed rows in their list order,
    // each right below the one before, covering the viewport.
    static void expectViewShowsTheList(const ProcessesView& view)
    {
        const QWidget* viewport = view.list()->viewport();
        std::vector<const ExpandableRow*> seen;
        for (const ExpandableRow* row : viewport->findChildren<ExpandableRow*>(Qt::FindDirectChildrenOnly)) {
            if (row->isVisible() && row->geometry().intersects(viewport->rect()))
                seen.push_back(row);
        }
        std::sort(seen.begin(), seen.end(), [](auto* a, auto* b) { return a->y() < b->y(); });
        ASSERT_FALSE(seen.empty());
        const auto& listed = view.listed();
        auto indexOf = [&](const ExpandableRow* row) {
            return std::find_if(listed.begin(), listed.end(),
                                [&](const ProcessListRow& r) { return r.group.id == row->group().id; }) -
                   listed.begin();
        };
        EXPECT_LE(seen.front()->y(), 0);
        for (const ExpandableRow* row : seen) {
            const int needs = row->hasHeightForWidth() ? row->heightForWidth(row->width()) : row->sizeHint().height();
            EXPECT_GE(row->height(), needs) << row->group().id << " is cut";
        }
        for (std::size_t i = 1; i < seen.size(); ++i) {
            EXPECT_EQ(seen[i]->y(), seen[i - 1]->geometry().bottom() + 1) << seen[i]->group().id;
            EXPECT_EQ(indexOf(seen[i]), indexOf(seen[i - 1]) + 1) << seen[i]->group().id;
            EXPECT_EQ(seen[i]->group(), listed[static_cast<std::size_t>(indexOf(seen[i]))].group);
        }
        const QScrollBar* bar = view.list()->verticalScrollBar();
        if (indexOf(seen.back()) + 1 < static_cast<std::ptrdiff_t>(listed.size())) {
            EXPECT_GE(seen.back()->geometry().bottom() + 1, viewport->height());
        } else if (bar->value() == bar->maximum()) {
            EXPECT_EQ(seen.back()->geometry().bottom() + 1, viewport->height()) << "the list ends at the bottom";
        }
    }

    AppHarness t{AppHarness::Catalog::shipped};
    DetailProbes probes;
    int scans = 0;
};

TEST_F(LongListTest, ScrollingThroughTheWholeListKeepsFewRowWidgetsAndShowsEveryRowInPlace)
{
    ProcessesView view(t.env, probes);
    show(view);
    ASSERT_EQ(view.listed().size(), count + 1u);
    expectViewShowsTheList(view);
    const std::size_t bound = fewRows(view);
    EXPECT_LT(bound, 20u);

    QScrollBar* bar = view.list()->verticalScrollBar();
    for (int value = 0; value < bar->maximum(); value += bar->pageStep() * 7 / 3) {
        scrollTo(view, value);
        expectViewShowsTheList(view);
        EXPECT_LE(view.list()->rowWidgets(), bound) << "at " << value;
    }
    scrollTo(view, bar->maximum());
    expectViewShowsTheList(view);
    ASSERT_NE(view.row(view.listed().back().group.id), nullptr);

    // A tick in which every pid is new reuses the same few widgets for the new rows.
    t.monitor.setGroups(tick(count));
    settle();
    EXPECT_EQ(bar->value(), bar->maximum());
    expectViewShowsTheList(view);
    EXPECT_EQ(view.row(view.listed().back().group.id)->group().members[0].pid, 10000 + 2 * count - 1);
    EXPECT_LE(view.list()->rowWidgets(), bound);

    scrollTo(view, 0);
    expectViewShowsTheList(view);
    EXPECT_LE(view.list()->rowWidgets(), bound);
}

TEST_F(LongListTest, TheOpenDetailKeepsItsScanWhileItsRowIsScrolledAwayAndBack)
{
    const std::string spotlight = "pid:9000";
    ProcessesView view(t.env, probes);
    show(view);
    view.row(spotlight)->button()->click();
    ProcessDetail* detail = view.row(spotlight)->detail();
    ASSERT_NE(detail, nullptr);
    t.harness.executor.runAll();
    settle();
    ASSERT_EQ(detail->spotlight()->lines().size(), 1u);
    expectViewShowsTheList(view);  // the rows below make room for the detail

    scrollTo(view, view.list()->verticalScrollBar()->maximum());
    ExpandableRow* away = view.row(spotlight);
    ASSERT_NE(away, nullptr);
    EXPECT_LE(away->geometry().bottom(), 0) << "out of sight";
    t.monitor.setGroups(tick(count));
    settle();
    EXPECT_EQ(view.row(spotlight), away);

    scrollTo(view, 0);
    t.monitor.setGroups(tick(2 * count));
    settle();
    EXPECT_EQ(view.row(spotlight)->detail(), detail);
    EXPECT_EQ(scans, 1);
    EXPECT_EQ(t.harness.executor.pending(), 0u);
    EXPECT_EQ(detail->spotlight()->lines().size(), 1u);
    EXPECT_LE(view.list()->rowWidgets(), fewRows(view));
}

TEST_F(LongListTest, OpeningWithARowExpandedFarDownBringsItToTheTopEdge)
{
    auto groups = tick(0);
    const std::string deep = groups[2500].id;
    t.router.setExpandedID(deep);
    ProcessesView view(t.env, probes);
    show(view);
    t.harness.scheduler.advance(0);
    settle();
    ExpandableRow* row = view.row(deep);
    ASSERT_NE(row, nullptr);
    EXPECT_TRUE(row->expanded());
    EXPECT_EQ(row->y(), 0);
    expectViewShowsTheList(view);

    // Out of the list, it is not expanded and nothing scrolls to it.
    groups.erase(groups.begin() + 2500);
    t.monitor.setGroups(groups);
    settle();
    EXPECT_EQ(view.row(deep), nullptr);
    ProcessesView again(t.env, probes);
    show(again);
    t.harness.scheduler.advance(0);
    EXPECT_EQ(again.list()->verticalScrollBar()->value(), 0);
}

TEST_F(LongListTest, AnEmptyListShowsItsLineAndNoRow)
{
    ProcessesView view(t.env, probes);
    show(view);
    scrollTo(view, 5000);
    view.searchField()->setText(QStringLiteral("no such thing"));
    settle();
    EXPECT_TRUE(view.listed().empty());
    EXPECT_FALSE(view.emptyLine()->parentWidget()->isHidden());
    EXPECT_EQ(view.emptyLine()->parentWidget()->y(), 0);
    EXPECT_EQ(view.emptyLine()->text(), "No process matches \"no such thing\".");
    for (const ExpandableRow* row : view.list()->viewport()->findChildren<ExpandableRow*>())
        EXPECT_FALSE(row->isVisible()) << row->group().id;

    view.searchField()->clear();
    settle();
    EXPECT_TRUE(view.emptyLine()->parentWidget()->isHidden());
    expectViewShowsTheList(view);
}

TEST_F(LongListTest, TabWalksTheRowsInListOrderAndKeepsTheFocusedRowInSight)
{
    QWidget window;
    auto* layout = new QVBoxLayout(&window);
    auto* view = new ProcessesView(t.env, probes, &window);
    layout->addWidget(view);
    show(window);
    window.activateWindow();
    ASSERT_EQ(keyboardWindow(), &window);
    view->list()->setFocus(Qt::TabFocusReason);

    const QWidget* viewport = view->list()->viewport();
    auto focusedRow = [&]() -> std::ptrdiff_t {
        const QWidget* focus = QApplication::focusWidget();
        for (const ExpandableRow* row : viewport->findChildren<ExpandableRow*>(Qt::FindDirectChildrenOnly)) {
            if (row->isAncestorOf(focus)) {
                EXPECT_TRUE(row->geometry().intersects(viewport->rect())) << row->group().id << " in sight";
                const auto& listed = view->listed();
                return std::find_if(listed.begin(), listed.end(),
                                    [&](const ProcessListRow& r) { return r.group.id == row->group().id; }) -
                       listed.begin();
            }
        }
        return -1;
    };
    std::ptrdiff_t last = 0;
    for (int presses = 0; presses < 60; ++presses) {
        ASSERT_TRUE(press(Qt::Key_Tab));
        const std::ptrdiff_t now = focusedRow();
        ASSERT_GE(now, last) << "press " << presses;
        ASSERT_LE(now, last + 1) << "press " << presses;
        last = now;
    }
    EXPECT_GT(last, 20) << "well past the first screenful";
    const std::size_t widgets = view->list()->rowWidgets();
    for (int presses = 0; presses < 20; ++presses) {
        ASSERT_TRUE(press(Qt::Key_Backtab));
        const std::ptrdiff_t now = focusedRow();
        ASSERT_LE(now, last);
        ASSERT_GE(now, last - 1);
        last = now;
    }
    EXPECT_LE(view->list()->rowWidgets(), widgets + 1);

    // The focused row stays made while the list scrolls away from it.
    const ExpandableRow* focused = view->row(view->listed()[static_cast<std::size_t>(last)].group.id);
    scrollTo(*view, view->list()->verticalScrollBar()->maximum());
    EXPECT_EQ(view->row(focused->group().id), focused);
    EXPECT_TRUE(focused->isAncestorOf(QApplication::focusWidget()));
}

} // namespace
