#include "CorvaneApp/CorvaneCommands.hpp"
#include "CorvaneApp/MainWindow.hpp"
#include "CorvaneApp/Platform/AppUpdater.hpp"
#include "CorvaneApp/RootView.hpp"
#include "Tests/App/Support/AppHarness.hpp"
#include "Tests/App/Support/Keyboard.hpp"

#include <QDialog>
#include <QMenu>
#include <QMenuBar>

#include <gtest/gtest.h>

using namespace corvane;
using namespace corvane::test;

namespace {

// "Text\tShortcut" for every item of a menu, separators as "-".
QStringList items(const QMenu* menu)
{
    QStringList texts;
    for (const QAction* action : menu->actions()) {
        texts << (action->isSeparator() ? QStringLiteral("-")
                                        : action->text() + QLatin1Char('\t') + action->shortcut().toString());
    }
    return texts;
}

QAction* item(const QMenu* menu, const QString& text)
{
    for (QAction* action : menu->actions()) {
        if (action->text() == text)
            return action;
    }
    return nullptr;
}

} // namespace

TEST(MainWindow, TitleSizesAndMenusWithTheirShortcuts)
{
    AppHarness h;
    AppUpdater updater;
    MainWindow window(h.env);
    int settingsShown = 0;
    int quits = 0;
    CorvaneCommands::install(*window.menuBar(), h.router, h.monitor, updater,
                             {[&] { ++settingsShown; }, [&] { window.close(); }, [&] { ++quits; }});

    EXPECT_EQ(window.windowTitle(), QStringLiteral("Corvane"));
    EXPECT_EQ(window.size(), QSize(1200, 860));
    EXPECT_EQ(window.minimumSize(), QSize(1000, 700));

    const QList<QMenu*> menus = window.menuBar()->findChildren<QMenu*>(Qt::FindDirectChildrenOnly);
    ASSERT_EQ(menus.size(), 2);
    // Updates are not configured on this system: no update item.
    EXPECT_EQ(items(menus[0]), (QStringList{QStringLiteral("Settings\u2026\tCtrl+,"), QStringLiteral("-"),
                                            QStringLiteral("Close Window\tCtrl+W"),
                                            QStringLiteral("Quit Corvane\tCtrl+Q")}));
    EXPECT_EQ(items(menus[1]),
              (QStringList{QStringLiteral("Check now\tCtrl+R"), QStringLiteral("Find\tCtrl+F"), QStringLiteral("-"),
                           QStringLiteral("Overview\tCtrl+1"), QStringLiteral("Processes\tCtrl+2"),
                           QStringLiteral("Background Items\tCtrl+3"), QStringLiteral("Internet\tCtrl+4"),
                           QStringLiteral("Usage\tCtrl+5")}));

    item(menus[0], QStringLiteral("Settings\u2026"))->trigger();
    item(menus[0], QStringLiteral("Quit Corvane"))->trigger();
    EXPECT_EQ(settingsShown, 1);
    EXPECT_EQ(quits, 1);
}

TEST(MainWindow, ScreenAndFindCommandsDriveTheRouter)
{
    AppHarness h;
    AppUpdater updater;
    MainWindow window(h.env);
    CorvaneCommands::install(*window.menuBar(), h.router, h.monitor, updater, {[] {}, [] {}, [] {}});
    const QMenu* view = window.menuBar()->findChildren<QMenu*>(Qt::FindDirectChildrenOnly).at(1);
    int screenChanges = 0;
    QObject::connect(&h.router, &Router::screenChanged, [&] { ++screenChanges; });

    item(view, QStringLiteral("Background Items"))->trigger();
    EXPECT_EQ(h.router.screen(), Screen::backgroundItems);
    item(view, QStringLiteral("Find"))->trigger();
    EXPECT_EQ(h.router.screen(), Screen::processes);
    EXPECT_EQ(h.router.focusSearch(), 1);
    // Again while Processes is shown: the screen stays, the search is focused once more.
    item(view, QStringLiteral("Find"))->trigger();
    item(view, QStringLiteral("Processes"))->trigger();
    EXPECT_EQ(h.router.focusSearch(), 2);
    EXPECT_EQ(screenChanges, 2);
}

TEST(MainWindow, ClosingHidesTheWindowAndTheMonitorSlowsDown)
{
    AppHarness h;
    h.harness.settings->setOnboarded(true);
    MainWindow window(h.env);
    window.bringForward();
    EXPECT_TRUE(h.monitor.windowVisible());
    int visibilityChanges = 0;
    QObject::connect(&h.monitor, &Monitor::windowVisibleChanged, [&] { ++visibilityChanges; });
    window.close();
    EXPECT_FALSE(window.isVisible());
    EXPECT_FALSE(h.monitor.windowVisible());
    window.bringForward();
    EXPECT_TRUE(h.monitor.windowVisible());
    EXPECT_EQ(visibilityChanges, 2);
}

TEST(MainWindow, BroughtForwardTheKeyboardGoesToTheSheetOverIt)
{
    AppHarness h;
    MainWindow window(h.env);
    window.bringForward();
    MonitorHarness::deliverQueuedCalls();
    QDialog* onboarding = window.rootView()->onboardingSheet();
    ASSERT_NE(onboarding, nullptr);

    // Another window (the tray popover) had the keyboard; the window is asked forward again.
    QWidget elsewhere;
    elsewhere.show();
    elsewhere.activateWindow();
    ASSERT_EQ(keyboardWindow(), &elsewhere);
    window.bringForward();
    EXPECT_EQ(keyboardWindow(), onboarding) << "not the window the sheet blocks";
}
