#pragma once

#include "Core/Workspace.hpp"
#include "Platform/AppMember.hpp"
#include "Platform/QuitRequest.hpp"

#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

namespace corvane {

class DesktopAppIndex;

// Whom a Quit or Force Quit reaches: the current user's running applications and
// each one's processes, reached so that a signal never lands on another process.
namespace RunningApps {

// A bundled process, or an installed app with all its processes.
//
// Quitting asks the app's copies as QuitPlan finds them: each member whose parent is
// not one, followed through what only waits (a sandbox, a launcher, a script) to each
// child it waits for, never what a copy ends itself, and of the copies running
// another program than the app's only those its launcher started beside it. They are
// asked as QuitRequest asks: through the app's quit action or its windows where the
// session shows them, else by SIGTERM. Forcing ends every member with SIGKILL.
class ProcApplication final : public RunningApplication {
public:
    // `program`: the app's own, whose process is the primary one; empty for a bundled
    // process. `appId`: its desktop entry's id, empty when it has none.
    ProcApplication(std::filesystem::path procRoot, std::string bundle, ActivationPolicy policy,
                    std::string program = {}, std::string appId = {}, QuitSession session = {});

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
    // Once asked to quit: true once every copy asked and every wrapper it was asked
    // through has ended (what the quit leaves alone, such as a daemon from an earlier
    // run, may go on). Else: once every member has ended. A quit's caller asks this
    // while it waits, and those polls are when the quit follows up (QuitRequest).
    bool isTerminated() const override;

private:
    std::filesystem::path procRoot_;
    std::string bundle_;
    ActivationPolicy policy_;
    std::string program_;
    std::string appId_;
    QuitSession session_;
    std::vector<AppMember> members_;
    std::size_t primary_ = 0;
    std::unique_ptr<QuitRequest> request_;  // the last quit asked, until a force quit
};

// The running applications of `user` under `procRoot`: each process whose executable
// lies in an ".app" bundle as an app of its own, and each installed app with every
// process that belongs to it. A process is left out when its start time changed while
// it was read (its pid was taken by another), so what was read describes the process
// its pid and start time name. `self` (this program) is never a member:
// force-quitting the terminal it was started from must not end it. A quit asks
// through `session`.
std::vector<Workspace::Application> list(const std::filesystem::path& procRoot, const DesktopAppIndex& installed,
                                         uint32_t user, int32_t self, const QuitSession& session = {});

} // namespace RunningApps
} // namespace corvane
