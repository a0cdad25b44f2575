#pragma once

#include "Platform/AppMember.hpp"

#include <cstddef>
#include <string>
#include <vector>

namespace corvane::RunningApps {

// Whom a Quit of an app asks, from its members and the app's program.
//
// A Quit asks each copy of the app, as the app's own Quit would: a member whose parent
// is not a member (each window of a one-process-per-window app, each document of a
// one-process-per-document one). What a copy started itself (a browser's tab and
// zygote processes) it ends itself, and is never asked. A copy that only waits for
// what it started and passes no signal on (a sandbox, a splash launcher, a shell
// running the app's script) is followed to each member child it waits for: asking
// the sandbox would end the app outright, asking a launcher would leave the program
// running. The app's program is the entry's where a copy runs it; where the entry
// starts a launcher (a script, flatpak), it is what the earliest waiting copy's
// children run, not what the earliest copy runs (a daemon from an earlier run).
// A copy running another program is left to end with the app (a double-forked crash
// handler, a sandbox's D-Bus proxy), except beside the app under the launcher that
// started them both (a script's `viewer &` and the `tray` it then waits for); what a
// sandbox's reaper adopted was not started there. A member running the app's program
// under a member that does not (an updater that starts the app again) is a copy too.
struct QuitPlan {
    // A member that only waits, and the targets it waits for.
    struct Wrapper {
        std::size_t member = 0;
        std::vector<std::size_t> targets;
    };

    std::vector<std::size_t> targets;  // the members asked, in member order
    std::vector<Wrapper> wrappers;     // the members a target was reached through, in member order

    static QuitPlan of(const std::vector<AppMember>& members, const std::string& program);
};

} // namespace corvane::RunningApps
