#pragma once

#include "Tests/Support/ProcessTree.hpp"

#include <memory>
#include <string>
#include <vector>

namespace corvane::test {

// A desktop session of a test's own: an X server (Xvfb) on a display no one else
// uses, a window manager (openbox) where asked, and a session bus (dbus-daemon).
class PrivateSession {
public:
    explicit PrivateSession(bool windowManager);

    // Why the session could not start; empty when it runs.
    const std::string& unavailable() const { return unavailable_; }
    const std::string& display() const { return display_; }
    const std::string& busAddress() const { return busAddress_; }
    // Whether the window manager comes to list `count` windows within a generous bound: a
    // client sees its window shown a moment before. True at once without a manager.
    bool manages(std::size_t count) const;
    // DISPLAY and DBUS_SESSION_BUS_ADDRESS, for what a test starts in it.
    std::vector<std::string> environment() const;

private:
    std::string startServer();
    std::string startBus();
    std::string startManager();

    std::unique_ptr<ProcessTree> server_, bus_, manager_;
    std::string display_, busAddress_, unavailable_;
};

} // namespace corvane::test
