#include "CorvaneApp/BackgroundItemsView.hpp"

#include "Core/Format.hpp"
#include "CorvaneApp/Components.hpp"
#include "CorvaneApp/FixButton.hpp"
#include "Tests/App/Support/AppHarness.hpp"
#include "Tests/App/Support/IconWorld.hpp"

#include <QLabel>

#include <gtest/gtest.h>

using namespace corvane;

namespace {

BackgroundItem item(std::string label, std::optional<std::string> owner, std::optional<int32_t> pid = {})
{
    BackgroundItem result;
    result.label = std::move(label);
    result.source = "/Library/LaunchAgents/" + result.label + ".plist";
    result.ownerApp = std::move(owner);
    result.pid = pid;
    return result;
}

class BackgroundItemsViewTest : public ::testing::Test {
protected:
    static QList<ItemRow*> visibleRows(const QWidget& view)
    {
        QList<ItemRow*> rows;
        for (auto* row : view.findChildren<ItemRow*>())
            if (row->isVisibleTo(&view))
                rows.push_back(row);
        return rows;
    }

    test::AppHarness app;
    test::MonitorHarness& harness = app.harness;
    std::shared_ptr<test::FakeFixBackend>& backend = app.backend;
    ViewEnvironment& env = app.env;
};

} // namespace

TEST_F(BackgroundItemsViewTest, EveryShowingAsksForAFreshScan)
{
    harness.items = {item("com.example.sync", "Example")};
    BackgroundItemsView view(env);
    EXPECT_TRUE(test::showsText(view, "No background items found"));
    view.show();
    harness.executor.runAll();
    EXPECT_EQ(harness.scans, 1);
    EXPECT_FALSE(test::showsText(view, "No background items found"));
    EXPECT_TRUE(test::showsText(view, "Added by Example"));

    view.hide();
    view.show();
    harness.executor.runAll();
    EXPECT_EQ(harness.scans, 2);

    auto* loginItems = view.findChild<FixButton*>();
    ASSERT_NE(loginItems, nullptr);
    EXPECT_EQ(loginItems->text(), "Login Items settings");
    loginItems->click();
    harness.executor.runAll();
    EXPECT_EQ(backend->opened, std::vector<SettingsPane>{SettingsPane::loginItems});
    EXPECT_FALSE(env.fixActions.toast().has_value());

    backend->panesOpen = false;
    loginItems->click();
    harness.executor.runAll();
    EXPECT_EQ(env.fixActions.toast(), "Couldn't open Login Items settings.");
}

TEST_F(BackgroundItemsViewTest, RowsAreReusedAndFollowTheSampledProcess)
{
    BackgroundItemsView view(env);
    harness.monitor().setBackgroundItems({item("com.example.agent", "Example", 42), item("org.other", std::nullopt)});
    EXPECT_TRUE(test::showsText(view, "Unknown developer"));
    const auto rowsBefore = visibleRows(view);
    ASSERT_EQ(rowsBefore.size(), 2);

    ProcessGroup group;
    group.id = "pid:42";
    group.displayName = "agent";
    ProcessUsage usage;
    usage.pid = 42;
    usage.cpuPercent = 12.5;
    usage.memoryBytes = 45 << 20;
    group.members = {usage};
    harness.monitor().setGroups({group});
    EXPECT_TRUE(test::showsText(view, QString::fromStdString("13% \u00B7 " + Format::bytes(45 << 20))));

    harness.monitor().setBackgroundItems({item("com.example.agent", "Example", 42)});
    const auto rowsAfter = visibleRows(view);
    ASSERT_EQ(rowsAfter.size(), 1);
    EXPECT_TRUE(rowsBefore.contains(rowsAfter[0]));
    EXPECT_FALSE(test::showsText(view, "Unknown developer"));
}

TEST(OwnerIcons, TheSymbolStandsInUntilTheAppsIconIsFound)
{
    // The owner's app is found by its name: /Applications/Notes.app, entry "notes".
    test::IconWorld world;
    world.entry("notes");
    test::AppHarness app;
    OwnerIcon notes(app.icons, "Notes");
    OwnerIcon unknown(app.icons, "Unknown");
    EXPECT_EQ(notes.symbol(), "questionmark.app");
    app.harness.executor.runAll();
    EXPECT_EQ(notes.symbol(), "");
    EXPECT_EQ(unknown.symbol(), "questionmark.app");
}
