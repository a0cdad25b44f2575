#include "CorvaneApp/MenuBarView.hpp"
#include "CorvaneApp/Onboarding.hpp"
#include "CorvaneApp/Platform/AppUpdater.hpp"
#include "CorvaneApp/RootView.hpp"
#include "CorvaneApp/SettingsView.hpp"
#include "Tests/App/Support/AppHarness.hpp"

#include <QCheckBox>
#include <QCoreApplication>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QKeyEvent>
#include <QPushButton>
#include <QVBoxLayout>
#include <gtest/gtest.h>

using namespace corvane;
using namespace corvane::test;

namespace {

struct OnboardingFixture : ::testing::Test {
    AppHarness h;
    Onboarding* onboarding = new Onboarding(h.startAtLogin);
    QDialog sheet;
    int done = 0;

    void SetUp() override
    {
        auto* layout = new QVBoxLayout(&sheet);
        layout->setContentsMargins(0, 0, 0, 0);
        layout->addWidget(onboarding);
        QObject::connect(onboarding, &Onboarding::done, &sheet, [this] { ++done; });
    }

    bool enabled() const { return h.startAtLogin.item().isEnabled(); }
};

} // namespace

TEST_F(OnboardingFixture, GetStartedFinishesOnceAndRegistersNothingOfItsOwn)
{
    EXPECT_FALSE(onboarding->startAtLoginBox()->isChecked());
    onboarding->getStartedButton()->click();
    onboarding->getStartedButton()->click();
    EXPECT_EQ(done, 1);
    EXPECT_FALSE(enabled());
}

TEST_F(OnboardingFixture, TheBoxSwitchesTheLoginItemAtOnceAndAFailureShowsTheRealStateSilently)
{
    onboarding->startAtLoginBox()->click();
    EXPECT_TRUE(enabled());
    onboarding->startAtLoginBox()->click();
    EXPECT_FALSE(enabled());

    // A file where the autostart folder should be makes registering fail.
    const QString folder = h.harness.folder.filePath(QStringLiteral("autostart"));
    ASSERT_TRUE(QDir(folder).removeRecursively());
    QFile blocker(folder);
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    onboarding->startAtLoginBox()->click();
    EXPECT_FALSE(onboarding->startAtLoginBox()->isChecked());
    EXPECT_FALSE(h.actions.toast().has_value());
    onboarding->getStartedButton()->click();
    EXPECT_EQ(done, 1);
}

TEST_F(OnboardingFixture, ReturnPressesGetStarted)
{
    sheet.open();
    QKeyEvent press(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
    QCoreApplication::sendEvent(&sheet, &press);
    EXPECT_EQ(done, 1);
}

// Onboarding over the main window, the tray popover and Settings are three views of one
// setting: whichever switches it, all of them show it at once.
TEST(StartAtLogin, EveryViewShowsTheOneSettingWhereverItChanges)
{
    AppHarness h;
    RootView root(h.env);
    root.show();
    MonitorHarness::deliverQueuedCalls();
    ASSERT_NE(root.onboardingSheet(), nullptr);
    auto* onboarding = root.onboardingSheet()->findChild<Onboarding*>();
    ASSERT_NE(onboarding, nullptr);
    MenuBarView popover(h.env);
    popover.popUp(QRect(500, 0, 22, 22));
    AppUpdater updater;
    SettingsView settings(updater, h.env);

    const std::vector<std::pair<const char*, QCheckBox*>> boxes{
        {"onboarding", onboarding->startAtLoginBox()},
        {"popover", popover.startAtLogin()},
        {"Settings", settings.startAtLoginBox()},
    };
    const auto expectEverywhere = [&](bool on, const std::string& after) {
        EXPECT_EQ(h.startAtLogin.item().isEnabled(), on) << after;
        for (const auto& [name, box] : boxes)
            EXPECT_EQ(box->isChecked(), on) << name << " after " << after;
    };
    for (const auto& [name, box] : boxes) {
        box->click();
        expectEverywhere(true, std::string("ticking in ") + name);
        box->click();
        expectEverywhere(false, std::string("unticking in ") + name);
    }

    // Switched outside the app: a sheet made now reads it again, and so does opening the
    // popover, for every view.
    LoginItem outside = h.startAtLogin.item();
    ASSERT_TRUE(outside.registerApp());
    EXPECT_TRUE(Onboarding(h.startAtLogin).startAtLoginBox()->isChecked());
    expectEverywhere(true, "a new sheet");
    popover.hide();
    ASSERT_TRUE(outside.unregisterApp());
    popover.popUp(QRect(500, 0, 22, 22));
    expectEverywhere(false, "reopening the popover");
    EXPECT_FALSE(h.actions.toast().has_value());
}
