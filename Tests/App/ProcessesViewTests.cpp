#include "CorvaneApp/ProcessesView.hpp"

#include "CorvaneApp/FixButton.hpp"
#include "CorvaneApp/ProcessDetail.hpp"
#include "CorvaneApp/ProcessTable.hpp"
#include "CorvaneApp/SymbolIcons.hpp"
#include "Tests/App/Support/AppHarness.hpp"

#include <QApplication>
#include <QLabel>
#include <QMouseEvent>
#include <QPointer>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QVBoxLayout>

#include <gtest/gtest.h>

using namespace corvane;
using namespace corvane::test;

namespace {

struct ProcessesViewTest : ::testing::Test {
    ProcessesViewTest()
    {
        for (int i = 0; i < 30; ++i)
            groups.push_back(testGroup("app" + std::to_string(i), 60.0 - i, 1 << 20, 1, std::nullopt, 100 * (i + 1)));
        groups.push_back(testGroup("mds_stores", 0.5, 1 << 20, 3, std::nullopt, 9000));
        groups.push_back(testGroup("WindowServer", 0.4, 1 << 20, 1, std::nullopt, 9100));
        t.monitor.setGroups(groups);
        probes.home = QStringLiteral("/home/ada");
        probes.heavyFolders = [this](const std::filesystem::path& home) {
            ++scans;
            return std::vector<HeavyFolder>{{home.string() + "/Parallels", "Parallels virtual machines", 2'000'000'000}};
        };
        probes.windows = [] { return WindowReading{{{"app0", 100, 3}, {"Term", 77, 1}}, {2, 1}}; };
    }

    // Shows the view at a size where the list scrolls, as the main window would.
    void show(ProcessesView& view)
    {
        view.resize(1000, 700);
        view.show();
        QApplication::processEvents();
    }

    AppHarness t{AppHarness::Catalog::shipped};
    std::vector<ProcessGroup> groups;
    DetailProbes probes;
    int scans = 0;
};

} // namespace

TEST_F(ProcessesViewTest, ClickingARowExpandsItThroughTheRouterAndAgainCollapsesIt)
{
    ProcessesView view(t.env, probes);
    show(view);
    ASSERT_EQ(view.listed().size(), groups.size() + 1);
    EXPECT_EQ(view.listed()[0].group.id, "kernel_task");
    EXPECT_EQ(view.row("kernel_task")->row(), nullptr);

    ExpandableRow* row = view.row(groups[2].id);
    row->button()->click();
    EXPECT_EQ(t.router.expandedID(), groups[2].id);
    EXPECT_TRUE(row->expanded());
    EXPECT_EQ(row->button()->chevron()->symbol(), "chevron.down");

    view.row(groups[3].id)->button()->click();
    EXPECT_EQ(t.router.expandedID(), groups[3].id);
    EXPECT_FALSE(row->expanded());

    view.row(groups[3].id)->button()->click();
    EXPECT_FALSE(t.router.expandedID());
}

TEST_F(ProcessesViewTest, ATickKeepsTheExpandedDetailItsScanAndTheScrollPosition)
{
    ProcessesView view(t.env, probes);
    show(view);
    t.router.setExpandedID(groups[30].id);  // mds_stores
    ExpandableRow* row = view.row(groups[30].id);
    ProcessDetail* detail = row->detail();
    ASSERT_NE(detail, nullptr);
    ASSERT_NE(detail->spotlight(), nullptr);
    EXPECT_TRUE(detail->spotlight()->scanning());
    t.harness.executor.runAll();
    ASSERT_EQ(scans, 1);
    ASSERT_EQ(detail->spotlight()->lines().size(), 1u);
    EXPECT_EQ(detail->spotlight()->lines()[0]->after()->text(), "~/Parallels");
    EXPECT_FALSE(detail->spotlight()->hint()->isHidden());

    view.list()->verticalScrollBar()->setValue(300);
    auto next = groups;
    std::reverse(next.begin(), next.end());
    next[1].cpuPercent = 99;  // mds_stores is now the busiest
    t.monitor.setGroups(next);
    QApplication::processEvents();

    EXPECT_EQ(view.row(groups[30].id), row);
    EXPECT_EQ(view.listed()[1].group.id, groups[30].id);
    EXPECT_EQ(row->detail(), detail);
    EXPECT_FALSE(detail->spotlight()->scanning());
    EXPECT_EQ(t.harness.executor.pending(), 0u);
    EXPECT_EQ(scans, 1);
    EXPECT_EQ(view.list()->verticalScrollBar()->value(), 300);
}

TEST_F(ProcessesViewTest, AScanThatFindsNothingSaysSoWithoutTheHint)
{
    probes.heavyFolders = [](const std::filesystem::path&) { return std::vector<HeavyFolder>{}; };
    ProcessesView view(t.env, probes);
    t.router.setExpandedID(groups[30].id);
    SpotlightHelp* help = view.row(groups[30].id)->detail()->spotlight();
    EXPECT_TRUE(help->message()->isHidden());
    t.harness.executor.runAll();
    EXPECT_FALSE(help->scanning());
    EXPECT_FALSE(help->message()->isHidden());
    EXPECT_TRUE(help->lines().empty());
    EXPECT_TRUE(help->hint()->isHidden());
}

TEST_F(ProcessesViewTest, AScanFinishingAfterTheRowClosedIsDropped)
{
    ProcessesView view(t.env, probes);
    show(view);
    t.router.setExpandedID(groups[30].id);
    ASSERT_EQ(t.harness.executor.pending(), 1u);
    const QPointer<ProcessDetail> detail = view.row(groups[30].id)->detail();
    t.router.setExpandedID(std::nullopt);
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(detail.isNull());
    t.harness.executor.runAll();
    EXPECT_EQ(scans, 1);
}

TEST_F(ProcessesViewTest, WindowServerDetailOffersTheTopAppsFix)
{
    ProcessesView view(t.env, probes);
    t.router.setExpandedID(groups[31].id);
    WindowServerHelp* help = view.row(groups[31].id)->detail()->windowServer();
    ASSERT_NE(help, nullptr);
    EXPECT_EQ(help->buttons().size(), 2u);
    t.harness.executor.runAll();
    ASSERT_EQ(help->lines().size(), 2u);
    EXPECT_EQ(help->lines()[1]->figures()[0]->text(), "1 window");
    EXPECT_EQ(help->displays()->text(), "Displays: 2 (1 scaled)");
    ASSERT_EQ(help->buttons().size(), 3u);
    FixButton* quit = help->buttons()[2];
    EXPECT_EQ(quit->text(), "Quit app0");

    // The census stays, the top group follows the next tick: app0 is gone.
    t.monitor.setGroups({groups.begin() + 1, groups.end()});
    EXPECT_EQ(help->buttons().size(), 2u);
}

TEST_F(ProcessesViewTest, SearchChipsAndSortNarrowAndOrderTheRows)
{
    ProcessesView view(t.env, probes);
    const QString allBefore = view.chips()[0]->text();
    view.searchField()->setText(QStringLiteral("  APP1"));
    ASSERT_EQ(view.listed().size(), 11u);  // app1 and app10 to app19
    EXPECT_EQ(view.listed()[0].group.displayName, "app1");
    EXPECT_EQ(view.chips()[0]->text(), allBefore);

    view.chips()[1]->click();  // Safe to quit
    EXPECT_TRUE(view.listed().empty());
    EXPECT_FALSE(view.emptyLine()->parentWidget()->isHidden());
    EXPECT_EQ(view.emptyLine()->text(), "No process matches \"  APP1\".");
    view.chips()[1]->click();  // still selected
    EXPECT_TRUE(view.listed().empty());

    view.searchField()->clear();
    view.chips()[0]->click();
    view.sortButton(true)->click();
    EXPECT_EQ(view.listed()[0].group.id, "kernel_task");
    EXPECT_EQ(view.listed().size(), groups.size() + 1);
}

TEST_F(ProcessesViewTest, FindFocusesTheSearchFieldNowAndOnEveryLaterOpening)
{
    // The screen opens in a window whose focus starts on another field.
    auto focusOnOpening = [this] {
        QWidget window;
        auto* layout = new QVBoxLayout(&window);
        auto* other = new QLineEdit(&window);
        layout->addWidget(other);
        auto* view = new ProcessesView(t.env, probes, &window);
        layout->addWidget(view);
        window.resize(1000, 700);
        window.show();
        QApplication::processEvents();
        const bool focused = window.focusWidget() == view->searchField();
        if (!focused) {
            t.router.setFocusSearch(t.router.focusSearch() + 1);
            EXPECT_EQ(window.focusWidget(), view->searchField());
        }
        return focused;
    };
    EXPECT_FALSE(focusOnOpening());  // and focused by the Find command while showing
    EXPECT_TRUE(focusOnOpening());
}

TEST_F(ProcessesViewTest, OpeningWithAnExpandedRowScrollsItToTheTop)
{
    t.router.setExpandedID(groups[20].id);
    ProcessesView view(t.env, probes);
    show(view);
    t.harness.scheduler.advance(0);
    ExpandableRow* row = view.row(groups[20].id);
    EXPECT_TRUE(row->expanded());
    EXPECT_GT(view.list()->verticalScrollBar()->value(), 0);
    EXPECT_EQ(row->y(), 0);

    // Expanding by a click does not scroll.
    view.list()->verticalScrollBar()->setValue(0);
    view.row(groups[3].id)->button()->click();
    t.harness.scheduler.advance(0);
    EXPECT_EQ(view.list()->verticalScrollBar()->value(), 0);
}

TEST_F(ProcessesViewTest, AClickAnywhereOnTheRowTogglesIt)
{
    ProcessesView view(t.env, probes);
    show(view);
    ExpandableRow* row = view.row(groups[4].id);
    auto* name = row->row()->findChild<QLabel*>();
    ASSERT_NE(name, nullptr);
    const QPointF inside(2, 2);
    QMouseEvent press(QEvent::MouseButtonPress, inside, name->mapToGlobal(inside), Qt::LeftButton, Qt::LeftButton,
                      Qt::NoModifier);
    QMouseEvent release(QEvent::MouseButtonRelease, inside, name->mapToGlobal(inside), Qt::LeftButton, Qt::NoButton,
                        Qt::NoModifier);
    QApplication::sendEvent(name, &press);
    QApplication::sendEvent(name, &release);
    EXPECT_EQ(t.router.expandedID(), groups[4].id);
}
