#include "CorvaneApp/Platform/AppUpdater.hpp"
#include "CorvaneApp/Platform/LoginItem.hpp"
#include "CorvaneApp/SettingsView.hpp"
#include "Tests/App/Support/AppHarness.hpp"
#include "Tests/App/Support/Keyboard.hpp"

#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <gtest/gtest.h>

#include <stdexcept>

using namespace corvane;

namespace {

struct FakeUpdater final : UpdaterBackend {
    bool automatic = true;
    bool canCheck = false;
    void startUpdater() override {}
    void checkForUpdates() override {}
    bool canCheckForUpdates() const override { return canCheck; }
    bool automaticallyChecksForUpdates() const override { return automatic; }
    void setAutomaticallyChecksForUpdates(bool on) override { automatic = on; }
};

struct SettingsFixture : ::testing::Test {
    test::AppHarness shell;
    AppUpdater updater;
    LoginItem loginItem = shell.startAtLogin.item();
    int clears = 0;
    bool clearFails = false;

    std::unique_ptr<SettingsView> makeView()
    {
        return std::make_unique<SettingsView>(updater, shell.env, nullptr, [this] {
            ++clears;
            if (clearFails)
                throw std::runtime_error("busy");
        });
    }

    static void answer(SettingsView& view, const QString& button)
    {
        QMessageBox* box = view.clearConfirmation();
        ASSERT_NE(box, nullptr);
        for (QAbstractButton* candidate : box->buttons())
            if (candidate->text() == button)
                return candidate->click();
        FAIL() << "no button " << button.toStdString();
    }
};

} // namespace

TEST_F(SettingsFixture, UpdateToggleOnlyWhenABackendIsThere)
{
    EXPECT_FALSE(AppUpdater::isConfigured());
    EXPECT_EQ(makeView()->automaticUpdatesBox(), nullptr);

    auto backend = std::make_unique<FakeUpdater>();
    FakeUpdater* fake = backend.get();
    AppUpdater configured(std::move(backend));
    int changes = 0;
    QObject::connect(&configured, &AppUpdater::canCheckForUpdatesChanged, [&] { ++changes; });
    fake->canCheckChanged(true);
    EXPECT_TRUE(configured.canCheckForUpdates());
    EXPECT_EQ(changes, 1);

    SettingsView view(configured, shell.env);
    ASSERT_NE(view.automaticUpdatesBox(), nullptr);
    EXPECT_TRUE(view.automaticUpdatesBox()->isChecked());
    view.automaticUpdatesBox()->click();
    EXPECT_FALSE(fake->automatic);
}

TEST_F(SettingsFixture, TogglesFollowAndWriteTheirSettings)
{
    auto view = makeView();
    EXPECT_TRUE(view->showMenuBarBox()->isChecked());
    view->showMenuBarBox()->click();
    EXPECT_FALSE(shell.harness.settings->showMenuBar());
    shell.harness.settings->setShowMenuBar(true);
    EXPECT_TRUE(view->showMenuBarBox()->isChecked());

    EXPECT_TRUE(view->keepHistoryBox()->isChecked());
    view->keepHistoryBox()->click();
    EXPECT_FALSE(shell.harness.monitor().keepHistory());
    EXPECT_FALSE(shell.harness.settings->keepUsageHistory());
    shell.harness.monitor().setKeepHistory(true);
    EXPECT_TRUE(view->keepHistoryBox()->isChecked());
}

TEST_F(SettingsFixture, ClearHistoryAfterConfirmation)
{
    auto view = makeView();
    view->clearButton()->click();
    ASSERT_NE(view->clearConfirmation(), nullptr);
    EXPECT_EQ(view->clearConfirmation()->text(), "Clear usage history?");
    EXPECT_EQ(view->clearConfirmation()->informativeText(),
              "This deletes the CPU and memory history Corvane has recorded. Your upgrade advice starts over.");
    answer(*view, "Cancel");
    EXPECT_EQ(clears, 0);
    EXPECT_TRUE(view->clearButton()->isEnabled());

    view->clearButton()->click();
    answer(*view, "Clear History");
    EXPECT_EQ(clears, 1);
    EXPECT_EQ(view->clearButton()->text(), "History cleared");
    EXPECT_FALSE(view->clearButton()->isEnabled());
    // Turning history off and on does not bring the button back.
    view->keepHistoryBox()->click();
    view->keepHistoryBox()->click();
    EXPECT_FALSE(view->clearButton()->isEnabled());
}

TEST_F(SettingsFixture, ReturnInTheClearQuestionKeepsTheHistory)
{
    auto view = makeView();
    view->show();
    view->clearButton()->click();
    ASSERT_NE(view->clearConfirmation(), nullptr);
    EXPECT_EQ(test::keyboardWindow(), view->clearConfirmation());
    ASSERT_TRUE(test::press(Qt::Key_Return));
    EXPECT_EQ(clears, 0) << "Return cancels rather than deleting every day's file";
    EXPECT_FALSE(view->clearConfirmation() && view->clearConfirmation()->isVisible());
    EXPECT_TRUE(view->clearButton()->isEnabled());
    EXPECT_EQ(test::keyboardWindow(), view.get());
}

TEST_F(SettingsFixture, ClearHistoryThatFailsSaysSoAndCanBeRetried)
{
    clearFails = true;
    auto view = makeView();
    view->clearButton()->click();
    answer(*view, "Clear History");
    EXPECT_FALSE(view->clearFailedLabel()->isHidden());
    EXPECT_EQ(view->clearFailedLabel()->text(), "Couldn't clear usage history.");
    EXPECT_TRUE(view->clearButton()->isEnabled());
    EXPECT_EQ(view->clearButton()->text(), "Clear usage history\u2026");

    clearFails = false;
    view->clearButton()->click();
    answer(*view, "Clear History");
    EXPECT_TRUE(view->clearFailedLabel()->isHidden());
    EXPECT_EQ(view->clearButton()->text(), "History cleared");
}

TEST_F(SettingsFixture, DefaultClearRemovesTheMonitorsHistoryFiles)
{
    const auto folder = shell.harness.monitor().usageStore().directory;
    std::filesystem::create_directories(folder);
    const auto file = folder / "usage-2026-03-01.jsonl";
    QFile(QString::fromStdString(file.string())).open(QIODevice::WriteOnly);
    SettingsView view(updater, shell.env);
    view.clearButton()->click();
    answer(view, "Clear History");
    EXPECT_FALSE(std::filesystem::exists(file));
    EXPECT_EQ(view.clearButton()->text(), "History cleared");
}

TEST_F(SettingsFixture, StartAtLoginWritesTheEntryAndFallsBackToTheSystemsState)
{
    auto view = makeView();
    EXPECT_FALSE(view->startAtLoginBox()->isChecked());
    view->startAtLoginBox()->click();
    EXPECT_TRUE(loginItem.isEnabled());
    view->startAtLoginBox()->click();
    EXPECT_FALSE(loginItem.isEnabled());

    // A folder in place of the entry: turning it on fails and the box shows the real state.
    ASSERT_TRUE(QDir().mkpath(loginItem.entryPath()));
    view->startAtLoginBox()->click();
    EXPECT_FALSE(view->startAtLoginBox()->isChecked());
    QDir().rmdir(loginItem.entryPath());

    // Reopening the window shows a change made outside the app, without switching anything.
    ASSERT_TRUE(loginItem.registerApp());
    view->show();
    EXPECT_TRUE(view->startAtLoginBox()->isChecked());
    EXPECT_TRUE(loginItem.isEnabled());
}
