#pragma once

#include "Platform/AppMember.hpp"
#include "Platform/LinuxContinuousClock.hpp"
#include "Platform/QuitPlan.hpp"
#include "Platform/TopLevelWindows.hpp"

#include <chrono>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace corvane {

// Where a Quit asks an app: the person's X display and session bus, and the clock
// its follow-up keeps time by.
struct QuitSession {
    std::string display;     // as $DISPLAY names it; empty where there is none
    std::string busAddress;  // as $DBUS_SESSION_BUS_ADDRESS names it; empty where there is none
    std::shared_ptr<ContinuousClock> clock = std::make_shared<LinuxContinuousClock>();

    // The session this program runs in, from its environment.
    static QuitSession fromEnvironment();
};

namespace RunningApps {

// One Quit of an app, asked as the desktop's own Quit asks, so that the app can
// ask about unsaved work and end through its own shutdown:
//  1. a copy whose window names a GTK app that exports a "quit" action on the
//     session bus has that action activated; with no X11 window at all, so does the
//     copy owning the well-known name of the app's entry id (a Wayland window);
//  2. else each of its top-level windows is asked to close;
//  3. a copy with no window, its own or one of a process under it (a background or
//     tray process), gets SIGTERM.
// With neither a display nor a bus the copies are asked by SIGTERM alone.
//
// The request then follows up each time it is asked whether the app has ended,
// since only then is anything seen of how the app took the request. A copy asked
// through its windows and still running `lingering` after its last window went (it
// keeps running in the tray) gets SIGTERM then: at once would cut short the shutdown
// a closed window starts. An app asking about unsaved work keeps its windows, and so
// is left to the person; so is one reached by its id alone, whose windows cannot be
// seen. A wrapper still running `lingering` after every copy it waited for ended (a
// script that goes on with `sleep 20`) gets SIGTERM too, so a clean quit reads as done.
class QuitRequest {
public:
    // Time for the shutdown a closed window starts (a browser writing its session), with
    // room left in the fix runner's 10-second wait for the signal to end what lingers.
    static constexpr std::chrono::seconds lingering{5};

    // Asks the plan's targets among `members`; `appId` is the app's entry id, empty when it has none.
    QuitRequest(std::filesystem::path procRoot, std::vector<AppMember> members, QuitPlan plan, const std::string& appId,
                const QuitSession& session);

    // Follows up as above; true once every target and every wrapper has ended.
    bool followUp();

private:
    using Duration = ContinuousClock::Duration;
    struct Target {
        std::size_t member;
        bool watched = false;    // asked through windows this request sees, which it watches
        bool signalled = false;  // followed up with SIGTERM
        std::optional<Duration> since;  // windowless since
    };
    struct Wrapper {
        QuitPlan::Wrapper waits;
        bool signalled = false;
        std::optional<Duration> since;  // alone since
    };

    void ask(const std::string& appId, const std::string& busAddress);
    // The target a process is, or is under; nothing for one under none.
    std::optional<std::size_t> targetOf(int32_t pid) const;
    bool gone(std::size_t member) const { return hasEnded(procRoot_, members_[member]); }
    // Whether it has been so for `lingering` by now, counting from the first time seen so.
    bool lingered(std::optional<Duration>& since, bool still, Duration now) const;

    std::filesystem::path procRoot_;
    std::vector<AppMember> members_;
    std::vector<Target> targets_;
    std::vector<Wrapper> wrappers_;
    std::shared_ptr<ContinuousClock> clock_;
    TopLevelWindows windows_;
};

} // namespace RunningApps
} // namespace corvane
