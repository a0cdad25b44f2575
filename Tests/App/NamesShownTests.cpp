#include "CorvaneApp/BackgroundItemsModel.hpp"
#include "CorvaneApp/BrowserPanelModel.hpp"
#include "CorvaneApp/Components.hpp"
#include "CorvaneApp/FixButton.hpp"
#include "CorvaneApp/InternetModel.hpp"
#include "CorvaneApp/MenuBarModel.hpp"
#include "CorvaneApp/ProcessDetailModel.hpp"
#include "CorvaneApp/ProcessTable.hpp"
#include "CorvaneApp/ProcessesModel.hpp"
#include "Tests/App/Support/AppHarness.hpp"

#include <gtest/gtest.h>

using namespace corvane;
using namespace corvane::test;

// Other programs choose these names: a process names itself, a page titles its tab, an
// installer names its helper. Wherever one is shown it must read as what it is.
namespace {

// With the right-to-left override acting, "zq", U+202E, "gpj.exe" reads "zqexe.jpg"; the
// line break would hide what follows it.
const std::string posing = "zq\u202Egpj.exe\nSafe to quit";
const std::string shown = "zqgpj.exe Safe to quit";

ProcessGroup posingApp()
{
    return testGroup(posing, 90, 1 << 20, 2, "/opt/" + posing + ".app");
}

} // namespace

TEST(NamesShown, ProcessRowsQuitButtonsAndThePopover)
{
    AppHarness t{AppHarness::Catalog::shipped};
    const ProcessGroup group = posingApp();
    EXPECT_EQ(processRow(group, std::nullopt).name, shown);
    EXPECT_EQ(title(FixID::quitApp, &group), "Quit " + shown);

    ProcessRow row(group, t.env);
    EXPECT_TRUE(showsText(row, QString::fromStdString(shown)));
    EXPECT_EQ(row.model().subtitle, "Part of " + shown + " \u00B7 1 helpers");
    ASSERT_NE(row.quitButton(), nullptr);
    EXPECT_EQ(row.quitButton()->accessibleName(), QString::fromStdString("Quit " + shown));

    t.monitor.setGroups({group});
    t.monitor.setResult(DiagnosisResult({Finding(FindingKind::cpuHog, Severity::high, "busy", "", group.id,
                                                 FixID::quitApp)}));
    const MenuBarModel popover = menuBarModel(t.monitor);
    EXPECT_EQ(popover.rows.at(0).name, shown);
    EXPECT_EQ(popover.heroFix->title, "Quit " + shown);

    // A search finds the name as the list shows it.
    EXPECT_TRUE(matchesQuery(group, searchQuery(QStringLiteral("zqgpj")), [](const ProcessGroup&) {
        return std::optional<Explanation>();
    }));
}

TEST(NamesShown, DetailLinesAndInternetApps)
{
    EXPECT_EQ(helperLines(posingApp()).at(1).name, shown + " Helper");
    EXPECT_EQ(windowLines({{posing, 7, 2}}).at(0).ownerName, shown);

    InternetModel::State state;
    state.usageLoaded = true;
    state.usage = {{7, posing, 50'000, 0}};
    EXPECT_EQ(InternetModel::appsCard(state, {}).rows.at(0).name, shown);
}

TEST(NamesShown, QuitConfirmationsToastsAndTheStuckAlertButTheMonitorKeepsTheRealName)
{
    AppHarness t;
    const ProcessGroup group = posingApp();
    t.backend->quitOutcomes = {FixOutcome::stillRunning(), FixOutcome::stillRunning(), FixOutcome::alreadyGone()};
    const auto confirmed = [&] {
        auto action = t.actions.confirmation()->action;
        t.actions.setConfirmation(std::nullopt);
        action();
        t.harness.executor.runAll();
    };
    t.actions.perform(FixID::quitApp, group);
    EXPECT_EQ(t.actions.confirmation()->title, "Quit " + shown + "?");
    confirmed();
    EXPECT_EQ(t.actions.confirmation()->title, shown + " isn't responding.");
    confirmed();
    EXPECT_EQ(t.actions.stuckAlert(), shown);
    EXPECT_EQ(t.monitor.stuckApp(), posing);

    t.actions.perform(FixID::quitApp, group);
    confirmed();
    EXPECT_EQ(t.actions.toast(), shown + " already quit");
}

TEST(NamesShown, BackgroundItemsAndBrowserTabs)
{
    BackgroundItem item;
    item.label = posing;
    item.ownerApp = posing;
    item.scope = ItemScope::appBundled;
    EXPECT_EQ(BackgroundItemsModel::grouped({item}).at(0).name, shown);
    EXPECT_EQ(BackgroundItemsModel::scopeLabel(item), "Built into " + shown);
    const ProcessCatalog catalog(std::vector<CatalogEntry>{});
    const auto row = BackgroundItemsModel::row(item, &catalog, std::nullopt);
    EXPECT_EQ(row.title, "Added by " + shown);
    EXPECT_EQ(row.label, shown);

    BrowserTab tab{"1/1", "1", "1", posing, "https://example.com/", true};
    BrowserPanelModel::State state;
    state.windows = {{"1", false, posing, {tab}}};
    const auto loaded = BrowserPanelModel::loaded(state);
    EXPECT_EQ(loaded.windows.at(0).name, shown);
    EXPECT_EQ(loaded.windows.at(0).rows.at(0).text, shown);
    EXPECT_EQ(BrowserPanelModel::closeConfirm({tab}, "Close 1 tab?", ChromiumBrowser::chrome, nullptr).message,
              "\u2022 " + shown);
}
