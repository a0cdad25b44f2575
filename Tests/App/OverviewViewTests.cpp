#include "CorvaneApp/OverviewView.hpp"

#include "CorvaneApp/Components.hpp"
#include "CorvaneApp/FixButton.hpp"
#include "CorvaneApp/ProcessTable.hpp"
#include "CorvaneApp/Theme.hpp"
#include "Tests/App/Support/AppHarness.hpp"

#include <QCoreApplication>
#include <QLabel>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>

#include <gtest/gtest.h>

using namespace corvane;
using namespace corvane::test;

namespace {

struct OverviewTest : ::testing::Test {
    AppHarness t{AppHarness::Catalog::shipped};
    ProcessGroup notes = testGroup("Notes", 90, 500 << 20, 2, "/Applications/Notes.app", 100);
    ProcessGroup mail = testGroup("Mail", 30, 300 << 20, 1, "/Applications/Mail.app", 200);

    void publish(std::vector<Finding> findings)
    {
        t.monitor.setResult(DiagnosisResult(std::move(findings)));
        t.monitor.setLastChecked(t.harness.clock.now());
    }
};

} // namespace

TEST_F(OverviewTest, HeroButtonsHandTheirFixAndGroupToFixActions)
{
    t.monitor.setGroups({notes, mail});
    OverviewView view(t.env);
    EXPECT_EQ(view.headline()->text(), QString::fromUtf8("Checking your Mac\u2026"));

    publish({Finding(FindingKind::cpuHog, Severity::high, "Notes is busy", "Detail", notes.id, FixID::quitApp),
             Finding(FindingKind::memory, Severity::medium, "Mail uses memory", "Detail", mail.id, FixID::explain)});
    EXPECT_EQ(view.headline()->text(), "Notes is busy");
    auto* explain = view.heroSlots()[0]->button();
    auto* quit = view.heroSlots()[1]->button();
    ASSERT_FALSE(explain->isHidden());
    ASSERT_FALSE(quit->isHidden());
    EXPECT_EQ(explain->fix(), FixID::explain);
    EXPECT_TRUE(explain->prominent());
    EXPECT_EQ(quit->text(), "Quit Notes");

    quit->click();
    ASSERT_TRUE(t.actions.confirmation());
    EXPECT_EQ(t.actions.confirmation()->title, "Quit Notes?");

    explain->click();
    EXPECT_EQ(t.router.expandedID(), notes.id);
    EXPECT_EQ(t.router.screen(), Screen::processes);

    // The other cause's button acts on its own group.
    ASSERT_EQ(view.causeLines().size(), 1u);
    t.router.setExpandedID(std::nullopt);
    view.causeLines()[0]->action()->button()->click();
    EXPECT_EQ(t.router.expandedID(), mail.id);
}

TEST_F(OverviewTest, NotePillAndWarningLineFollowTheMonitor)
{
    OverviewView view(t.env);
    EXPECT_TRUE(view.warning()->isHidden());
    publish({Finding(FindingKind::heat, Severity::high, "Hot", "Detail", std::nullopt, std::nullopt, "Leave it")});
    EXPECT_TRUE(view.heroSlots()[0]->button()->isHidden());
    EXPECT_FALSE(view.heroSlots()[0]->note()->isHidden());
    EXPECT_EQ(view.heroSlots()[0]->note()->text(), "Leave it");
    EXPECT_TRUE(view.heroSlots()[1]->isHidden());

    t.monitor.setError(std::string(Monitor::sampleFailedMessage));
    EXPECT_FALSE(view.warning()->isHidden());
    EXPECT_EQ(view.headline()->text(), "Hot");
    t.monitor.setError(std::nullopt);
    EXPECT_TRUE(view.warning()->isHidden());
}

TEST_F(OverviewTest, TilesFollowSignals)
{
    OverviewView view(t.env);
    SystemSignals s;
    s.cpuLoadPercent = 49.5;
    s.thermal = Thermal::hot;
    t.monitor.setSignals(s);
    EXPECT_EQ(view.tile(0)->value(), "50%");
    EXPECT_EQ(view.tile(2)->value(), "Hot");
}

TEST_F(OverviewTest, TopRowsAreReusedByGroupAcrossTicks)
{
    std::vector<ProcessGroup> groups;
    for (int i = 0; i < 7; ++i)
        groups.push_back(testGroup("App" + std::to_string(i), 70.0 - i, 1 << 20, 1, std::nullopt, 100 * (i + 1)));
    t.monitor.setGroups(groups);
    OverviewView view(t.env);
    ASSERT_EQ(view.topRows().size(), 5u);
    ProcessRow* app1 = view.topRows()[1];

    // The next tick reorders, changes figures and drops a group.
    std::vector<ProcessGroup> next{groups[1], groups[0], groups[2], groups[5]};
    next[0].cpuPercent = 95;
    t.monitor.setGroups(next);
    ASSERT_EQ(view.topRows().size(), 4u);
    EXPECT_EQ(view.topRows()[0], app1);
    EXPECT_EQ(app1->model().cpu, "95.0%");
    EXPECT_EQ(view.topRows()[3]->group().displayName, "App5");

    view.allProcessesButton()->click();
    EXPECT_EQ(t.router.screen(), Screen::processes);
    EXPECT_FALSE(t.router.expandedID());
}

TEST_F(OverviewTest, RowQuitButtonOnlyForQuittableGroupsWithAQuitFix)
{
    auto chrome = testGroup("Google Chrome", 10, 1 << 20, 1, "/Applications/Google Chrome.app", 300);
    auto locked = chrome;
    locked.id = "pid:9";
    locked.appPath.reset();
    locked.quittable = false;
    t.monitor.setGroups({chrome, locked});
    OverviewView view(t.env);
    ASSERT_EQ(view.topRows().size(), 2u);
    ASSERT_TRUE(view.topRows()[0]->quitButton());
    ASSERT_FALSE(view.topRows()[0]->quitButton()->isHidden());
    EXPECT_FALSE(view.topRows()[1]->quitButton());
    view.topRows()[0]->quitButton()->click();
    ASSERT_TRUE(t.actions.confirmation());
    EXPECT_EQ(t.actions.confirmation()->title, "Quit Google Chrome?");
}

// A detail that wraps within its narrower measure must not squeeze what follows it.
TEST_F(OverviewTest, AWrappedDetailLeavesTheOtherCausesTheirHeight)
{
    OverviewView view(t.env);
    publish({Finding(FindingKind::cpuHog, Severity::high, "Notes is busy",
                     "Each tab and extension runs as its own helper. Closing tabs you don't need frees memory.",
                     notes.id, FixID::quitApp),
             Finding(FindingKind::memory, Severity::medium, "Mail uses memory", "Detail", mail.id, FixID::explain)});
    view.resize(933, 860);
    view.show();
    QCoreApplication::processEvents();
    ASSERT_EQ(view.causeLines().size(), 1u);
    const QWidget* button = view.causeLines()[0]->action()->button();
    EXPECT_GE(button->height(), button->sizeHint().height());
}
