#include "CorvaneApp/FixActions.hpp"
#include "Tests/App/Support/AppHarness.hpp"
#include "Tests/App/Support/SignalCounter.hpp"

#include <gtest/gtest.h>

using namespace corvane;
using namespace corvane::test;

namespace {

class FixActionsTest : public ::testing::Test {
protected:
    static ProcessGroup app(const std::string& name, const std::string& bundle)
    {
        ProcessGroup group;
        group.id = bundle;
        group.displayName = name;
        group.appPath = bundle;
        group.members = {{42, 1, MonitorHarness::uid, "ada", bundle + "/Contents/MacOS/" + name, name, 0, 0}};
        group.quittable = true;
        return group;
    }

    // Confirms the pending question the way the root view does: clear it, run its action.
    void confirm()
    {
        ASSERT_TRUE(fixes.confirmation().has_value());
        auto action = fixes.confirmation()->action;
        fixes.setConfirmation(std::nullopt);
        action();
        harness.executor.runAll();
    }

    // The ticks the dispatcher asked for (checkNow queues one each).
    int checksAfterwards()
    {
        const int before = harness.samples;
        harness.settle();
        return harness.samples - before;
    }

    AppHarness h;
    MonitorHarness& harness = h.harness;
    Monitor& monitor = h.monitor;
    Router& router = h.router;
    std::shared_ptr<FakeFixBackend>& backend = h.backend;
    FixActions& fixes = h.actions;
    ProcessGroup editor = app("Editor", "/Applications/Editor.app");
};

} // namespace

TEST_F(FixActionsTest, ExplainExpandsTheRowAndShowsTheProcessesScreen)
{
    SignalCounter screen(&router, &Router::screenChanged);
    fixes.perform(FixID::explain, editor);
    EXPECT_EQ(router.expandedID(), editor.id);
    EXPECT_EQ(router.screen(), Screen::processes);
    fixes.perform(FixID::explain, std::nullopt);
    EXPECT_FALSE(router.expandedID().has_value());
    EXPECT_EQ(screen.count(), 1);
}

TEST_F(FixActionsTest, SettingsFixesOpenTheirPaneOffTheGUIThreadWithoutAsking)
{
    const std::vector<std::pair<FixID, SettingsPane>> panes{
        {FixID::openSpotlightSettings, SettingsPane::spotlight},
        {FixID::openLoginItemsSettings, SettingsPane::loginItems},
        {FixID::openDisplaySettings, SettingsPane::displays},
        {FixID::openAccessibilityDisplay, SettingsPane::accessibilityDisplay},
        {FixID::openBatterySettings, SettingsPane::battery},
        {FixID::openWiFiSettings, SettingsPane::wifi},
    };
    for (const auto& [fix, pane] : panes)
        fixes.perform(fix, std::nullopt);
    fixes.perform(FixID::openFerncourt, editor);
    EXPECT_TRUE(backend->opened.empty());  // nothing blocks the caller
    harness.executor.runAll();
    ASSERT_EQ(backend->opened.size(), panes.size());
    for (std::size_t i = 0; i < panes.size(); ++i)
        EXPECT_EQ(backend->opened[i], panes[i].second);
    EXPECT_EQ(backend->ferncourtOpened, 1);
    EXPECT_FALSE(fixes.confirmation().has_value());
    EXPECT_FALSE(fixes.toast().has_value());
}

TEST_F(FixActionsTest, APaneThatCannotOpenSaysSoInTheToast)
{
    backend->panesOpen = false;
    const std::vector<std::pair<FixID, std::string>> panes{
        {FixID::openSpotlightSettings, "Couldn't open Spotlight settings."},
        {FixID::openLoginItemsSettings, "Couldn't open Login Items settings."},
        {FixID::openDisplaySettings, "Couldn't open Displays settings."},
        {FixID::openAccessibilityDisplay, "Couldn't open Accessibility settings."},
        {FixID::openBatterySettings, "Couldn't open Battery settings."},
        {FixID::openWiFiSettings, "Couldn't open Wi-Fi settings."},
    };
    for (const auto& [fix, text] : panes) {
        fixes.perform(fix, std::nullopt);
        EXPECT_FALSE(fixes.toast().has_value());  // the answer comes from the worker
        harness.executor.runAll();
        EXPECT_EQ(fixes.toast(), text);
        fixes.setToast(std::nullopt);
    }
    fixes.openSettings(SettingsPane::automation);
    harness.executor.runAll();
    EXPECT_EQ(fixes.toast(), "Couldn't open Automation settings.");
    EXPECT_FALSE(fixes.confirmation().has_value());
}

TEST_F(FixActionsTest, QuitAsksFirstAndReportsTheOutcomeThenChecksAtOnce)
{
    fixes.perform(FixID::quitApp, std::nullopt);
    EXPECT_FALSE(fixes.confirmation().has_value());

    fixes.perform(FixID::quitApp, editor);
    const auto& question = *fixes.confirmation();
    EXPECT_EQ(question.title, "Quit Editor?");
    EXPECT_EQ(question.message, "Editor may ask you to save your work first.");
    EXPECT_EQ(question.confirm, "Quit Editor");
    EXPECT_FALSE(question.destructive);

    const std::vector<std::pair<FixOutcome, std::string>> outcomes{
        {FixOutcome::done(), "Done"},
        {FixOutcome::alreadyGone(), "Editor already quit"},
        {FixOutcome::refused(), "Editor is protected, so Corvane won't quit it."},
        {FixOutcome::failed("no permission"), "Couldn't finish: no permission"},
    };
    for (const auto& [outcome, text] : outcomes) {
        fixes.confirmQuit(editor);
        backend->quitOutcomes = {outcome};
        confirm();
        EXPECT_EQ(fixes.toast(), text);
        EXPECT_EQ(checksAfterwards(), 1);
    }
    EXPECT_EQ(backend->quits.back().groupID, editor.id);
    EXPECT_FALSE(backend->quits.back().force);
    EXPECT_EQ(backend->quits.back().timeout, std::chrono::seconds(10));
}

TEST_F(FixActionsTest, AnAppThatWillNotQuitIsOfferedAForceQuitThenMarkedStuck)
{
    fixes.perform(FixID::quitApp, editor);
    backend->quitOutcomes = {FixOutcome::stillRunning(), FixOutcome::stillRunning()};
    const auto firstID = fixes.confirmation()->id;
    confirm();
    ASSERT_TRUE(fixes.confirmation().has_value());
    const auto& force = *fixes.confirmation();
    EXPECT_NE(force.id, firstID);
    EXPECT_EQ(force.title, "Editor isn't responding.");
    EXPECT_EQ(force.message, "Force quit it? Unsaved work in Editor will be lost.");
    EXPECT_EQ(force.confirm, "Force Quit");
    EXPECT_TRUE(force.destructive);
    EXPECT_FALSE(fixes.toast().has_value());

    SignalCounter stuck(&monitor, &Monitor::stuckAppChanged);
    confirm();
    EXPECT_TRUE(backend->quits.back().force);
    EXPECT_EQ(monitor.stuckApp(), "Editor");
    EXPECT_EQ(fixes.stuckAlert(), "Editor");
    EXPECT_FALSE(fixes.toast().has_value());
    EXPECT_FALSE(fixes.confirmation().has_value());
    EXPECT_EQ(stuck.count(), 1);
    EXPECT_EQ(checksAfterwards(), 1);
}

TEST_F(FixActionsTest, RebuildAndRestartAskThenRun)
{
    fixes.perform(FixID::rebuildSpotlightIndex, std::nullopt);
    const auto withoutGroup = *fixes.confirmation();
    fixes.perform(FixID::rebuildSpotlightIndex, editor);
    EXPECT_EQ(fixes.confirmation()->title, "Rebuild the Spotlight index?");
    EXPECT_EQ(fixes.confirmation()->message, "macOS will ask for your password. Search results may be incomplete "
                                             "for a few hours while it rebuilds.");
    EXPECT_EQ(fixes.confirmation()->confirm, withoutGroup.confirm);
    EXPECT_EQ(fixes.confirmation()->confirm, "Rebuild");
    backend->rebuildOutcome = FixOutcome::failed("mdutil: not found");
    confirm();
    EXPECT_EQ(fixes.toast(), "Couldn't finish: mdutil: not found");
    backend->rebuildOutcome = FixOutcome::stillRunning();
    fixes.perform(FixID::rebuildSpotlightIndex, std::nullopt);
    confirm();
    EXPECT_EQ(fixes.toast(), "It is still running");

    fixes.perform(FixID::restartMac, editor);
    EXPECT_EQ(fixes.confirmation()->title, "Restart your Mac?");
    EXPECT_EQ(fixes.confirmation()->message, "Save your work first. macOS will ask you to confirm.");
    EXPECT_EQ(fixes.confirmation()->confirm, "Restart\u2026");
    EXPECT_FALSE(fixes.confirmation()->destructive);
    fixes.setToast(std::nullopt);
    backend->restartOutcome = FixOutcome::cancelled();
    confirm();
    EXPECT_FALSE(fixes.toast().has_value());
    fixes.confirmRestart();
    backend->restartOutcome = FixOutcome::failed("-1708");
    confirm();
    EXPECT_EQ(fixes.toast(), "Choose Apple menu > Restart.");
    EXPECT_EQ(backend->restarts, 2);
}

TEST_F(FixActionsTest, ReviewTabsOpensThePanelOnlyForAChromiumBrowser)
{
    fixes.perform(FixID::reviewTabs, std::nullopt);
    auto lone = editor;
    lone.appPath.reset();
    fixes.perform(FixID::reviewTabs, lone);
    fixes.perform(FixID::reviewTabs, editor);
    EXPECT_FALSE(router.browser().has_value());
    fixes.perform(FixID::reviewTabs, app("Microsoft Edge", "/Applications/Microsoft Edge.app"));
    EXPECT_EQ(router.browser(), ChromiumBrowser::edge);
}

TEST_F(FixActionsTest, ToastTextsAndTheirNotification)
{
    SignalCounter toast(&fixes, &FixActions::toastChanged);
    fixes.report(FixOutcome::alreadyGone(), std::nullopt);
    EXPECT_EQ(fixes.toast(), "It already quit");
    fixes.report(FixOutcome::alreadyGone(), std::nullopt);
    EXPECT_EQ(toast.count(), 1);  // the same text again does not restart the toast's timer
    fixes.report(FixOutcome::refused(), std::nullopt);
    EXPECT_EQ(fixes.toast(), "That app is protected, so Corvane won't quit it.");
    fixes.report(FixOutcome::cancelled(), "Editor");
    EXPECT_EQ(fixes.toast(), "Cancelled");
    fixes.report(FixOutcome::stillRunning(), "Editor");
    EXPECT_EQ(fixes.toast(), "Editor is still running");

    // Every confirmation store notifies, even an equal one.
    SignalCounter confirmation(&fixes, &FixActions::confirmationChanged);
    fixes.setConfirmation(std::nullopt);
    fixes.setConfirmation(std::nullopt);
    EXPECT_EQ(confirmation.count(), 2);
}
