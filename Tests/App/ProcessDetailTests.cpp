#include "CorvaneApp/ProcessDetail.hpp"

#include "CorvaneApp/ElidedLabel.hpp"
#include "Tests/App/Support/AppHarness.hpp"

#include <QApplication>
#include <QPushButton>

#include <gtest/gtest.h>

using namespace corvane;
using namespace corvane::test;

TEST(ProcessDetail, LongMemberNamesEndInAnEllipsisAndKeepTheirFigures)
{
    AppHarness t{AppHarness::Catalog::shipped};
    ProcessGroup group = testGroup("Notes", 20, 300 << 20, 3, "/Applications/Notes.app");
    const QString longName = QStringLiteral("notes_sync_worker_for_the_shared_library_of_every_account_on_this_machine");
    group.members[1].name = longName.toStdString();
    group.members[1].cpuPercent = 12;
    t.monitor.setGroups({group});

    ProcessDetail detail(group, t.env, DetailProbes{});
    detail.resize(600, 400);
    detail.show();
    QApplication::processEvents();

    const auto& lines = detail.busiestParts();
    ASSERT_GE(lines.size(), 2u);
    const ElidedLabel* shortName = lines[0]->name();
    const ElidedLabel* cut = lines[1]->name();
    EXPECT_EQ(shortName->shownText(), "Notes");
    EXPECT_EQ(cut->text(), longName);
    ASSERT_TRUE(cut->shownText().endsWith(QChar(0x2026)));
    EXPECT_TRUE(longName.startsWith(cut->shownText().chopped(1)));
    EXPECT_EQ(cut->toolTip(), longName);
    // The figures keep their columns at the line's trailing edge.
    for (const DetailLine* line : {lines[0], lines[1]}) {
        EXPECT_LE(cut->geometry().right(), line->figures()[0]->geometry().left());
        EXPECT_EQ(line->figures()[1]->geometry().right(), line->width() - 1);
        EXPECT_EQ(line->figures()[1]->width(), 80);
    }
}

// The guide opens through the fix dispatcher, on a thread that may wait for the browser as
// long as it runs; a page no handler takes says so in the toast, as the settings buttons do.
TEST(ProcessDetail, TheGuideOpensItsPageAndSaysWhenNothingCouldOpenIt)
{
    AppHarness t;
    const ProcessGroup group = testGroup("kernel_task", 0, 0);
    Explanation explanation;
    explanation.summary = "The kernel.";
    explanation.guide = "kernel-task";
    t.monitor.setExplanations({{group.id, explanation}});
    ProcessDetail detail(group, t.env, DetailProbes{});
    ASSERT_FALSE(detail.guideButton()->isHidden());

    for (const bool opens : {true, false}) {
        t.backend->pagesOpen = opens;
        detail.guideButton()->click();
        EXPECT_EQ(t.harness.executor.pending(Executor::Lane::detached), 1u) << "the wait holds no shared worker";
        EXPECT_FALSE(t.actions.toast().has_value()) << "the answer comes from the worker";
        t.harness.executor.runAll();
        EXPECT_EQ(t.backend->pages.back(), "https://corvane.app/process/kernel-task");
        EXPECT_EQ(t.actions.toast(), opens ? std::nullopt : std::optional<std::string>("Couldn't open the guide."));
    }
}
