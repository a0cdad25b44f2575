#pragma once

#include "CorvaneApp/AppDelegate.hpp"
#include "CorvaneApp/AppSettings.hpp"
#include "CorvaneApp/Clock.hpp"
#include "CorvaneApp/Executor.hpp"
#include "CorvaneApp/FixActions.hpp"
#include "CorvaneApp/Monitor.hpp"
#include "CorvaneApp/Platform/AppIconProvider.hpp"
#include "CorvaneApp/Router.hpp"
#include "CorvaneApp/Scheduler.hpp"
#include "CorvaneApp/StartAtLogin.hpp"
#include "CorvaneApp/ViewEnvironment.hpp"

#include <QObject>

#include <memory>

class QApplication;

namespace corvane {

class AppUpdater;
class MainWindow;
class MenuBarView;
class TrayIcon;

// The app object: builds the shared settings, monitor, router and fix dispatcher once,
// starts sampling before any window exists, and owns the main window, the Settings window
// and the tray dot with its popover.
class CorvaneApp : public QObject {
    Q_OBJECT
public:
    explicit CorvaneApp(QApplication& application);
    ~CorvaneApp() override;

    // Opens the main window, or brings the open one forward.
    void showMainWindow();
    void showSettings();

private:
    void startUpdaterOnce();
    void showPopover();
    void updateTray();

    // First, so the settings file is found under the app's name.
    AppDelegate delegate_;
    SystemClock clock_;
    TimerScheduler scheduler_;
    ThreadPoolExecutor executor_;
    AppSettings settings_;
    std::unique_ptr<AppUpdater> updater_;
    Monitor monitor_;
    Router router_;
    FixActions actions_;
    AppIconProvider icons_;
    StartAtLogin startAtLogin_;
    ViewEnvironment environment_;

    std::unique_ptr<MainWindow> mainWindow_;
    std::unique_ptr<QWidget> settingsWindow_;
    std::unique_ptr<TrayIcon> tray_;
    std::unique_ptr<MenuBarView> popover_;
};

} // namespace corvane
