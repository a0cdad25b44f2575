#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace corvane {

class X11Connection;

// One top-level window of a display, as a Quit asks through it.
struct TopLevelWindow {
    uint32_t id = 0;
    int32_t pid = 0;          // the process that made it; 0 when it cannot be told
    std::string busName;      // a GTK app's unique name on the session bus, where the window names one
    std::string objectPath;   // the object that app exports its actions on

    bool operator==(const TopLevelWindow&) const = default;
};

// The windows a person can close on one X display, over a connection kept while a
// Quit waits. A window's process is the one the X server knows as its client (the
// X-Resource extension's client ids, as window managers learn it): a program in a
// sandbox's PID namespace names another pid itself, and some toolkits (Tk) name none.
// Only where the server cannot tell does the window's _NET_WM_PID stand in, and only
// when its WM_CLIENT_MACHINE is this host.
class TopLevelWindows {
public:
    // `display` as $DISPLAY writes it; empty for none.
    explicit TopLevelWindows(const std::string& display);
    ~TopLevelWindows();
    TopLevelWindows(const TopLevelWindows&) = delete;
    TopLevelWindows& operator=(const TopLevelWindows&) = delete;

    // With a window manager (EWMH), its client list; without one, the mapped windows
    // on the root. Only windows that can be asked to close: through a manager that
    // closes windows, or by their own WM_DELETE_WINDOW. Empty when the display
    // cannot be reached.
    std::vector<TopLevelWindow> list();
    // Asks a listed window to close as its close button does: through the manager
    // (_NET_CLOSE_WINDOW) where it closes windows, else by WM_DELETE_WINDOW.
    void close(uint32_t window);

private:
    struct Atoms {
        uint32_t deleteWindow = 0, busName = 0, objectPath = 0;
    };
    // Whether a live EWMH manager runs and closes windows for others, and its client list.
    bool managerCloses(std::vector<uint32_t>& clients);

    std::unique_ptr<X11Connection> connection_;
    Atoms atoms_;
    bool resources_ = false;   // the server tells its clients' pids
    bool managerCloses_ = false;
    std::string host_;
};

} // namespace corvane
