#pragma once

#include <functional>

class QMenuBar;

namespace corvane {

class AppUpdater;
class Monitor;
class Router;

// The main window's menus. The application menu: "Check for Updates…" (only when updates
// are configured), "Settings…", "Close Window" and "Quit Corvane"; the View menu: "Check now",
// "Find" and one item per screen, with Ctrl shortcuts.
struct CorvaneCommands {
    struct Actions {
        std::function<void()> showSettings;
        std::function<void()> closeWindow;
        std::function<void()> quit;
    };

    static void install(QMenuBar& bar, Router& router, Monitor& monitor, AppUpdater& updater, Actions actions);
};

} // namespace corvane
