#include "CorvaneApp/CorvaneCommands.hpp"

#include "CorvaneApp/Monitor.hpp"
#include "CorvaneApp/Platform/AppUpdater.hpp"
#include "CorvaneApp/Router.hpp"

#include <QMenu>
#include <QMenuBar>

namespace corvane {

namespace {

QAction* addItem(QMenu* menu, const QString& text, const QKeySequence& key, std::function<void()> run)
{
    QAction* action = menu->addAction(text);
    action->setShortcut(key);
    QObject::connect(action, &QAction::triggered, action, std::move(run));
    return action;
}

} // namespace

void CorvaneCommands::install(QMenuBar& bar, Router& router, Monitor& monitor, AppUpdater& updater, Actions actions)
{
    QMenu* app = bar.addMenu(QStringLiteral("&Corvane"));
    if (AppUpdater::isConfigured()) {
        QAction* check = addItem(app, QStringLiteral("Check for Updates\u2026"), {}, [&updater] { updater.checkForUpdates(); });
        check->setEnabled(updater.canCheckForUpdates());
        QObject::connect(&updater, &AppUpdater::canCheckForUpdatesChanged, check,
                         [check, &updater] { check->setEnabled(updater.canCheckForUpdates()); });
        app->addSeparator();
    }
    addItem(app, QStringLiteral("Settings\u2026"), QKeySequence(Qt::CTRL | Qt::Key_Comma), std::move(actions.showSettings));
    app->addSeparator();
    addItem(app, QStringLiteral("Close Window"), QKeySequence(Qt::CTRL | Qt::Key_W), std::move(actions.closeWindow));
    addItem(app, QStringLiteral("Quit Corvane"), QKeySequence(Qt::CTRL | Qt::Key_Q), std::move(actions.quit));

    QMenu* view = bar.addMenu(QStringLiteral("&View"));
    addItem(view, QStringLiteral("Check now"), QKeySequence(Qt::CTRL | Qt::Key_R), [&monitor] { monitor.checkNow(); });
    addItem(view, QStringLiteral("Find"), QKeySequence(Qt::CTRL | Qt::Key_F), [&router] {
        router.setScreen(Screen::processes);
        // The Processes screen focuses its search field on every bump, also when already shown.
        router.setFocusSearch(router.focusSearch() + 1);
    });
    view->addSeparator();
    int digit = 1;
    for (const Screen screen : allCases<Screen>()) {
        addItem(view, QString::fromStdString(title(screen)), QKeySequence(QKeyCombination(Qt::ControlModifier, Qt::Key(Qt::Key_0 + digit++))),
                [&router, screen] { router.setScreen(screen); });
    }
}

} // namespace corvane
