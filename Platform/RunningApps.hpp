#pragma once

#include "Core/InstalledApps.hpp"
#include "Core/Workspace.hpp"

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

// Whom a Quit or Force Quit signals: the current user's running applications and
// each one's processes, reached so that a signal never lands on another process.
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
};

// A bundled process, or an installed app with all its processes.
//
// Quitting asks each copy of the app to quit, as its own quit would: a copy is a
// member whose parent is not a member (each window of a one-process-per-window app,
// each document of a one-process-per-document one). What a copy started itself (a
// browser's tab and zygote processes) it ends itself, and is never signalled. A copy
// that only waits for the program it started and passes no signal on (a sandbox, a
// splash launcher, a shell running the app's script) is asked through that program:
// asking the sandbox would end the app outright, asking a launcher would leave the
// program running. Of the copies, only those running the app's program are asked:
// another program among them is a helper the app started detached (a crash handler),
// which ends with it. Forcing ends every member.
class ProcApplication final : public RunningApplication {
public:
    // `program`: the app's own, whose process is the primary one; empty for a bundled process.
    ProcApplication(std::filesystem::path procRoot, std::string bundle, ActivationPolicy policy,
                    std::string program = {});

    // The primary process is the earliest started one running the app's program, else
    // the earliest started one (the earliest added on a tie).
    void add(AppMember member);
    const std::vector<AppMember>& members() const { return members_; }
    // The members a quit asks, in the order they were added.
    std::vector<const AppMember*> quitTargets() const;

    std::optional<std::string> bundleURL() const override { return bundle_; }
    std::optional<std::string> executableURL() const override { return members_[primary_].executable; }
    ActivationPolicy activationPolicy() const override { return policy_; }
    void terminate() override;
    void forceTerminate() override;
    // True once every member has ended. A member that cannot be reached (no handle
    // can be opened) counts as running, so a quit never reports it done.
    bool isTerminated() const override;

private:
    void signal(const AppMember& member, int number) const;

    std::filesystem::path procRoot_;
    std::string bundle_;
    ActivationPolicy policy_;
    std::string program_;
    std::vector<AppMember> members_;
    std::size_t primary_ = 0;
};

// The running applications of `user` under `procRoot`: each process whose executable
// lies in an ".app" bundle as an app of its own, and each installed app with every
// process that belongs to it. A process is left out when its start time changed while
// it was read (its pid was taken by another), so what was read describes the process
// its pid and start time name. `self` (this program) is never a member:
// force-quitting the terminal it was started from must not end it.
std::vector<Workspace::Application> list(const std::filesystem::path& procRoot, const InstalledApps& installed,
                                         uint32_t user, int32_t self);

} // namespace corvane::RunningApps
