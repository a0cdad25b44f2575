#include "CorvaneApp/BrowserPanel.hpp"
#include "CorvaneApp/Components.hpp"
#include "CorvaneApp/Onboarding.hpp"
#include "CorvaneApp/ProcessesView.hpp"
#include "CorvaneApp/RootView.hpp"
#include "CorvaneApp/Sidebar.hpp"
#include "CorvaneApp/Toast.hpp"
#include "CorvaneApp/UsageView.hpp"
#include "Tests/App/Support/AppHarness.hpp"
#include "Tests/App/Support/Keyboard.hpp"

#include <QApplication>
#include <QCoreApplication>
#include <QDialog>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>

#include <gtest/gtest.h>

using namespace corvane;
using namespace corvane::test;

namespace {

QStringList buttonTexts(const QMessageBox* box)
{
    QStringList texts;
    for (const QAbstractButton* button : box->buttons())
        texts << button->text();
    return texts;
}

QAbstractButton* button(const QMessageBox* box, const QString& text)
{
    for (QAbstractButton* candidate : box->buttons()) {
        if (candidate->text() == text)
            return candidate;
    }
    return nullptr;
}

FixActions::Confirmation confirmation(const std::string& title, bool destructive, std::function<void()> action)
{
    return {QUuid::createUuid(), title, title + " message", title + " now", destructive, std::move(action)};
}

void deleteLater()
{
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

// A shown main-window content whose onboarding is already done, so alerts stand alone.
struct ShownRoot {
    explicit ShownRoot(bool withCatalog = true)
        : h(withCatalog ? AppHarness::Catalog::empty : AppHarness::Catalog::failed)
    {
        h.harness.settings->setOnboarded(true);
        root.resize(1000, 700);
        root.show();
        MonitorHarness::deliverQueuedCalls();
    }
    AppHarness h;
    RootView root{h.env};
};

} // namespace

TEST(RootView, ShowingAndHidingTellTheMonitorAndScreensAreBuiltFreshOnEveryChange)
{
    ShownRoot s;
    EXPECT_TRUE(s.h.monitor.windowVisible());
    EXPECT_TRUE(s.h.monitor.isRunning());
    QPointer<QWidget> first = s.root.content();
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(first->metaObject()->className(), QStringLiteral("corvane::OverviewView"));

    s.h.router.setScreen(Screen::processes);
    EXPECT_NE(qobject_cast<ProcessesView*>(s.root.content()), nullptr);
    deleteLater();
    EXPECT_TRUE(first.isNull()) << "the screen left behind is discarded";

    s.h.router.setScreen(Screen::usage);
    s.h.router.setScreen(Screen::processes);
    EXPECT_NE(qobject_cast<ProcessesView*>(s.root.content()), nullptr);

    // The toast sits over the bottom edge, centred on the window.
    s.h.actions.setToast("Done");
    const QRect toast = s.root.toast()->geometry();
    EXPECT_EQ(toast.bottom(), s.root.height() - 1);
    EXPECT_LE(std::abs(toast.center().x() - s.root.width() / 2), 1);
    EXPECT_GT(toast.width(), 0);

    s.root.hide();
    EXPECT_FALSE(s.h.monitor.windowVisible());
    EXPECT_EQ(s.root.content(), nullptr) << "a hidden window keeps no screen running";
    s.root.show();
    MonitorHarness::deliverQueuedCalls();
    EXPECT_NE(qobject_cast<ProcessesView*>(s.root.content()), nullptr);
}

TEST(RootView, MissingCatalogMessageStandsInForEveryScreen)
{
    ShownRoot s(false);
    auto messageShown = [&] {
        const auto* label = s.root.content()->findChild<QLabel*>(QStringLiteral("catalogMessage"));
        return label && label->text() == QStringLiteral("Corvane couldn't load its process list. Reinstall Corvane.");
    };
    EXPECT_TRUE(messageShown());
    s.root.sidebar()->row(Screen::processes)->click();
    EXPECT_EQ(s.h.router.screen(), Screen::processes);
    EXPECT_TRUE(messageShown());
    EXPECT_EQ(qobject_cast<ProcessesView*>(s.root.content()), nullptr);
}

TEST(RootView, NewConfirmationReplacesThePendingOneWithoutTheOldDismissalClearingIt)
{
    ShownRoot s;
    int ranA = 0;
    int ranB = 0;
    s.h.actions.setConfirmation(confirmation("Quit A?", false, [&] { ++ranA; }));
    QPointer<QMessageBox> first = s.root.alert();
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(first->text(), QStringLiteral("Quit A?"));
    EXPECT_EQ(first->informativeText(), QStringLiteral("Quit A? message"));
    EXPECT_EQ(buttonTexts(first), (QStringList{QStringLiteral("Quit A? now"), QStringLiteral("Cancel")}));
    EXPECT_EQ(first->buttonRole(button(first, QStringLiteral("Quit A? now"))), QMessageBox::AcceptRole);
    EXPECT_EQ(first->buttonRole(button(first, QStringLiteral("Cancel"))), QMessageBox::RejectRole);

    s.h.actions.setConfirmation(confirmation("Force Quit B?", true, [&] { ++ranB; }));
    deleteLater();
    EXPECT_TRUE(first.isNull());
    QMessageBox* second = s.root.alert();
    ASSERT_NE(second, nullptr);
    EXPECT_EQ(second->text(), QStringLiteral("Force Quit B?"));
    EXPECT_EQ(second->buttonRole(button(second, QStringLiteral("Force Quit B? now"))), QMessageBox::DestructiveRole);
    ASSERT_TRUE(s.h.actions.confirmation().has_value()) << "the replaced box's closing must not clear the new question";

    // Confirming closes the alert at once; the fix runs after it.
    button(second, QStringLiteral("Force Quit B? now"))->click();
    EXPECT_FALSE(s.h.actions.confirmation().has_value());
    EXPECT_EQ(s.root.alert(), nullptr);
    EXPECT_EQ(ranB, 0);
    MonitorHarness::deliverQueuedCalls();
    EXPECT_EQ(ranB, 1);
    EXPECT_EQ(ranA, 0);

    // Cancel runs nothing.
    s.h.actions.setConfirmation(confirmation("Quit C?", false, [&] { ++ranA; }));
    button(s.root.alert(), QStringLiteral("Cancel"))->click();
    MonitorHarness::deliverQueuedCalls();
    EXPECT_FALSE(s.h.actions.confirmation().has_value());
    EXPECT_EQ(ranA, 0);
}

TEST(RootView, StuckAppNoticeOffersRestartWhichFollowsAsTheNextAlert)
{
    ShownRoot s;
    // One alert at a time: the notice waits behind a pending question.
    s.h.actions.setConfirmation(confirmation("Quit A?", false, [] {}));
    s.h.actions.setStuckAlert("Mail");
    EXPECT_EQ(s.root.alert()->text(), QStringLiteral("Quit A?"));
    button(s.root.alert(), QStringLiteral("Cancel"))->click();

    QMessageBox* notice = s.root.alert();
    ASSERT_NE(notice, nullptr);
    EXPECT_EQ(notice->text(), QStringLiteral("Mail won't quit. Restart your Mac to clear it."));
    EXPECT_EQ(buttonTexts(notice), (QStringList{QStringLiteral("Restart\u2026"), QStringLiteral("Not now")}));
    button(notice, QStringLiteral("Restart\u2026"))->click();
    EXPECT_FALSE(s.h.actions.stuckAlert().has_value());
    ASSERT_TRUE(s.h.actions.confirmation().has_value());
    ASSERT_NE(s.root.alert(), nullptr);
    EXPECT_EQ(s.root.alert()->text(), QStringLiteral("Restart your Mac?"));

    button(s.root.alert(), QStringLiteral("Cancel"))->click();
    s.h.actions.setStuckAlert("Photos");
    s.h.actions.setStuckAlert(std::string());
    EXPECT_EQ(s.root.alert()->text(), QStringLiteral("This app won't quit. Restart your Mac to clear it."));
    button(s.root.alert(), QStringLiteral("Not now"))->click();
    EXPECT_FALSE(s.h.actions.stuckAlert().has_value());
    EXPECT_FALSE(s.h.actions.confirmation().has_value());
}

TEST(RootView, ReturnAnswersEveryAlertButNeverWithADestructiveButton)
{
    ShownRoot s;
    auto settle = [&] {
        MonitorHarness::deliverQueuedCalls();
        s.h.harness.executor.runAll();
    };
    // Quitting asks first; Return quits, as the question is not destructive.
    s.h.backend->quitOutcomes = {FixOutcome::stillRunning()};
    s.h.actions.perform(FixID::quitApp, testGroup("Mail", 90, 0));
    ASSERT_NE(s.root.alert(), nullptr);
    EXPECT_EQ(keyboardWindow(), s.root.alert()) << "the keyboard is on the alert";
    ASSERT_TRUE(press(Qt::Key_Return));
    settle();
    ASSERT_EQ(s.h.backend->quits.size(), 1u);
    EXPECT_FALSE(s.h.backend->quits[0].force);

    // Mail did not quit: Return on the force-quit question cancels, losing no work.
    ASSERT_NE(s.root.alert(), nullptr);
    EXPECT_EQ(s.root.alert()->text(), QStringLiteral("Mail isn't responding."));
    ASSERT_TRUE(press(Qt::Key_Return));
    settle();
    EXPECT_EQ(s.h.backend->quits.size(), 1u) << "Return never force quits";
    EXPECT_FALSE(s.h.actions.confirmation().has_value());
    EXPECT_EQ(s.root.alert(), nullptr);
    EXPECT_EQ(keyboardWindow(), &s.root) << "the keyboard goes back to the window";

    // Escape cancels a question whose confirm button is the default.
    s.h.actions.perform(FixID::rebuildSpotlightIndex, std::nullopt);
    ASSERT_TRUE(press(Qt::Key_Escape));
    settle();
    EXPECT_EQ(s.h.backend->rebuilds, 0);
    s.h.actions.perform(FixID::rebuildSpotlightIndex, std::nullopt);
    ASSERT_TRUE(press(Qt::Key_Return));
    settle();
    EXPECT_EQ(s.h.backend->rebuilds, 1);

    // The stuck-app notice offers a restart, which asks again before anything happens.
    s.h.actions.setStuckAlert("Mail");
    ASSERT_TRUE(press(Qt::Key_Return));
    settle();
    ASSERT_NE(s.root.alert(), nullptr);
    EXPECT_EQ(s.root.alert()->text(), QStringLiteral("Restart your Mac?"));
    EXPECT_EQ(s.h.backend->restarts, 0);
    ASSERT_TRUE(press(Qt::Key_Return));
    settle();
    EXPECT_EQ(s.h.backend->restarts, 1);
    EXPECT_EQ(s.root.alert(), nullptr);
}

TEST(RootView, AQuestionAskedDuringOnboardingWaitsForItAndTheKeyboardFollows)
{
    AppHarness h;
    RootView root(h.env);
    root.resize(1000, 700);
    root.show();
    MonitorHarness::deliverQueuedCalls();
    QDialog* onboarding = root.onboardingSheet();
    ASSERT_NE(onboarding, nullptr);
    EXPECT_EQ(keyboardWindow(), onboarding);

    // The tray popover's hero fix asks while the first-run sheet is still open.
    h.actions.perform(FixID::quitApp, testGroup("Mail", 90, 0));
    EXPECT_EQ(root.alert(), nullptr) << "no alert over the first-run sheet";
    EXPECT_EQ(keyboardWindow(), onboarding);

    ASSERT_TRUE(press(Qt::Key_Return));  // "Get started"
    EXPECT_TRUE(h.harness.settings->onboarded());
    ASSERT_NE(root.alert(), nullptr) << "the question follows once the sheet has closed";
    EXPECT_EQ(root.alert()->text(), QStringLiteral("Quit Mail?"));
    EXPECT_EQ(keyboardWindow(), root.alert());

    ASSERT_TRUE(press(Qt::Key_Escape));
    MonitorHarness::deliverQueuedCalls();
    h.harness.executor.runAll();
    EXPECT_EQ(root.alert(), nullptr);
    EXPECT_TRUE(h.backend->quits.empty());
    EXPECT_EQ(keyboardWindow(), &root);
}

TEST(RootView, SheetsAndAlertsTakeTurnsWhoeverAsksFirst)
{
    ShownRoot s;
    // A screen's own alert is up: the dispatcher's question waits behind it.
    QPointer<QMessageBox> screenAlert = alertBox(s.root.content(), QStringLiteral("Test your internet speed?"), {});
    screenAlert->addButton(QStringLiteral("Cancel"), QMessageBox::RejectRole);
    screenAlert->open();
    s.h.actions.setConfirmation(confirmation("Quit A?", false, [] {}));
    EXPECT_EQ(s.root.alert(), nullptr);
    ASSERT_TRUE(press(Qt::Key_Escape));
    ASSERT_NE(s.root.alert(), nullptr);
    EXPECT_EQ(s.root.alert()->text(), QStringLiteral("Quit A?"));
    EXPECT_EQ(keyboardWindow(), s.root.alert());

    // The browser sheet asked for meanwhile opens once the question is answered.
    s.h.router.setBrowser(ChromiumBrowser::chrome);
    EXPECT_EQ(s.root.browserSheet(), nullptr);
    ASSERT_TRUE(press(Qt::Key_Escape));
    QDialog* sheet = s.root.browserSheet();
    ASSERT_NE(sheet, nullptr);
    EXPECT_EQ(keyboardWindow(), sheet);

    // A question asked while the sheet is open waits for it; a newer one replaces it.
    s.h.actions.setConfirmation(confirmation("Quit B?", false, [] {}));
    s.h.actions.setConfirmation(confirmation("Quit C?", false, [] {}));
    EXPECT_EQ(s.root.alert(), nullptr);
    sheet->reject();
    ASSERT_NE(s.root.alert(), nullptr);
    EXPECT_EQ(s.root.alert()->text(), QStringLiteral("Quit C?"));
    ASSERT_TRUE(press(Qt::Key_Escape));
    EXPECT_EQ(s.root.alert(), nullptr);
    EXPECT_EQ(keyboardWindow(), &s.root);
    deleteLater();
}

// A screen's alert that goes with its screen, unanswered, lets the waiting question through.
TEST(RootView, AQuestionWaitingBehindAScreensAlertShowsWhenTheScreenGoes)
{
    ShownRoot s;
    s.h.router.setScreen(Screen::internet);
    auto* screenAlert = alertBox(s.root.content(), QStringLiteral("Test your internet speed?"), {});
    screenAlert->addButton(QStringLiteral("Cancel"), QMessageBox::RejectRole);
    screenAlert->open();
    s.h.actions.setConfirmation(confirmation("Quit A?", false, [] {}));
    EXPECT_EQ(s.root.alert(), nullptr);
    s.h.router.setScreen(Screen::overview);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QCoreApplication::processEvents();
    ASSERT_NE(s.root.alert(), nullptr);
    EXPECT_EQ(s.root.alert()->text(), QStringLiteral("Quit A?"));
    deleteLater();
}

TEST(RootView, BrowserSheetFollowsTheRouter)
{
    ShownRoot s;
    s.h.router.setBrowser(ChromiumBrowser::brave);
    QPointer<QDialog> sheet = s.root.browserSheet();
    ASSERT_NE(sheet, nullptr);
    EXPECT_TRUE(sheet->isVisible());
    EXPECT_TRUE(sheet->isModal());
    EXPECT_NE(sheet->findChild<BrowserPanel*>(), nullptr);

    // The panel dismisses itself through the router.
    s.h.router.setBrowser(std::nullopt);
    deleteLater();
    EXPECT_TRUE(sheet.isNull());

    // Closing the sheet any other way clears the router.
    s.h.router.setBrowser(ChromiumBrowser::chrome);
    s.root.browserSheet()->reject();
    EXPECT_EQ(s.h.router.browser(), std::nullopt);
    EXPECT_EQ(s.root.browserSheet(), nullptr);
}

TEST(RootView, OnboardingShowsOnceOverAVisibleWindow)
{
    AppHarness h;
    {
        RootView hidden(h.env);
        EXPECT_EQ(hidden.onboardingSheet(), nullptr) << "never over a window that is not shown";
    }
    RootView root(h.env);
    root.show();
    MonitorHarness::deliverQueuedCalls();
    ASSERT_NE(root.onboardingSheet(), nullptr);
    EXPECT_NE(root.onboardingSheet()->findChild<Onboarding*>(), nullptr);
    root.onboardingSheet()->reject();
    EXPECT_TRUE(h.harness.settings->onboarded()) << "closing it any way counts as seen";
    EXPECT_EQ(root.onboardingSheet(), nullptr);

    root.hide();
    root.show();
    MonitorHarness::deliverQueuedCalls();
    EXPECT_EQ(root.onboardingSheet(), nullptr);
}
