#include "CorvaneApp/CorvaneApp.hpp"

#include "CorvaneApp/CorvaneCommands.hpp"
#include "CorvaneApp/Logging.hpp"
#include "CorvaneApp/MainWindow.hpp"
#include "CorvaneApp/MenuBarView.hpp"
#include "CorvaneApp/PendingWrites.hpp"
#include "CorvaneApp/Platform/AppUpdater.hpp"
#include "CorvaneApp/Platform/LoginItem.hpp"
#include "CorvaneApp/Platform/TrayIcon.hpp"
#include "CorvaneApp/SettingsView.hpp"
#include "CorvaneApp/StatusDot.hpp"

#include <QApplication>
#include <QCursor>
#include <QMenuBar>
#include <QVBoxLayout>

#include <chrono>

namespace corvane {

CorvaneApp::CorvaneApp(QApplication& application)
    : delegate_(application)
    , settings_(executor_)
    , updater_(std::make_unique<AppUpdater>())
    , monitor_(MonitorEnvironment{clock_, scheduler_, executor_}, settings_)
    , actions_(monitor_, router_, executor_)
    , icons_(executor_)
    , startAtLogin_(*LoginItem::mainApp())
    , environment_{monitor_, router_, actions_, settings_, clock_, scheduler_, executor_, icons_, startAtLogin_}
{
    // Sampling starts before any window exists.
    monitor_.start();

    mainWindow_ = std::make_unique<MainWindow>(environment_);
    CorvaneCommands::install(*mainWindow_->menuBar(), router_, monitor_, *updater_,
                             {[this] { showSettings(); }, [this] { mainWindow_->close(); }, [] { QApplication::quit(); }});
    connect(&monitor_, &Monitor::windowVisibleChanged, this, [this] {
        if (monitor_.windowVisible())
            startUpdaterOnce();
    });

    tray_ = std::make_unique<TrayIcon>();
    popover_ = std::make_unique<MenuBarView>(environment_);
    connect(tray_.get(), &TrayIcon::clicked, this, &CorvaneApp::showPopover);
    connect(tray_.get(), &TrayIcon::openRequested, this, &CorvaneApp::showMainWindow);
    connect(tray_.get(), &TrayIcon::quitRequested, this, [] { QApplication::quit(); });
    connect(popover_.get(), &MenuBarView::openWindowRequested, this, &CorvaneApp::showMainWindow);
    connect(popover_.get(), &MenuBarView::quitRequested, this, [] { QApplication::quit(); });
    connect(&monitor_, &Monitor::lastCheckedChanged, this, &CorvaneApp::updateTray);
    connect(&monitor_, &Monitor::resultChanged, this, &CorvaneApp::updateTray);
    connect(&settings_, &AppSettings::showMenuBarChanged, this, &CorvaneApp::updateTray);
    updateTray();
}

CorvaneApp::~CorvaneApp()
{
    // The windows go first: closing them may still change a setting (the onboarding
    // sheet sets "onboarded" however it closes). Then what is not written yet gets a
    // bounded wait, so a write held up by the disk never holds the quit.
    popover_.reset();
    tray_.reset();
    settingsWindow_.reset();
    mainWindow_.reset();
    settings_.writePending();
    if (!PendingWrites::waitUntil(std::chrono::steady_clock::now() + std::chrono::seconds(2)))
        qCWarning(settingsLog, "quitting before every change was written: a write is held up");
}

void CorvaneApp::showMainWindow()
{
    mainWindow_->bringForward();
}

void CorvaneApp::showSettings()
{
    if (!settingsWindow_) {
        settingsWindow_ = std::make_unique<QWidget>(nullptr, Qt::Window);
        settingsWindow_->setWindowTitle(QStringLiteral("Corvane Settings"));
        auto* layout = new QVBoxLayout(settingsWindow_.get());
        layout->setContentsMargins(0, 0, 0, 0);
        layout->setSizeConstraint(QLayout::SetFixedSize);
        layout->addWidget(new SettingsView(*updater_, environment_));
    }
    settingsWindow_->show();
    settingsWindow_->raise();
    settingsWindow_->activateWindow();
}

void CorvaneApp::startUpdaterOnce()
{
    if (updater_->started() || !AppUpdater::isConfigured())
        return;
    updater_->setStarted(true);
    updater_->startUpdater();
}

void CorvaneApp::showPopover()
{
    if (popover_->isVisible()) {
        popover_->hide();
        return;
    }
    const QRect icon = tray_->geometry();
    popover_->popUp(icon.isValid() && !icon.isEmpty() ? icon : QRect(QCursor::pos(), QSize(1, 1)));
}

void CorvaneApp::updateTray()
{
    tray_->setStatus(StatusDot::status(monitor_));
    tray_->setShown(settings_.showMenuBar());
}

} // namespace corvane
