#pragma once

#include <cstdint>
#include <filesystem>
#include <string>

namespace corvane::RunningApps {

// One process of a running application, known by its pid and when it started. An
// action opens a handle on the pid (pidfd), checks that /proc still shows that start
// time under it, and signals through the handle, so a reused pid is never signalled
// for what another process was. Nothing is held between the listing and the action:
// every member stays reachable whatever the descriptor limit and however many
// processes other apps run.
struct AppMember {
    int32_t pid = 0;
    int32_t ppid = 0;
    uint64_t started = 0;  // clock ticks after boot
    std::string executable;
    // The first process of a PID namespace (a sandbox's): orphans in it become its children.
    bool reaps = false;
};

// Whether the member has ended. It has once /proc shows no process with its pid and
// start time, or its handle says so; only while no handle can be opened for want of
// descriptors is that not known, and it counts as running.
bool hasEnded(const std::filesystem::path& procRoot, const AppMember& member);

// Sends `number` to the member, unless its pid now names another process.
void signal(const std::filesystem::path& procRoot, const AppMember& member, int number);

// Whether /proc shows the process as the first of a PID namespace.
bool reaps(const std::filesystem::path& procRoot, int32_t pid);

} // namespace corvane::RunningApps
