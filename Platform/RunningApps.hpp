#pragma once

#include "Core/InstalledApps.hpp"
#include "Core/Workspace.hpp"

#include <cerrno>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

// Whom a Quit or Force Quit signals: the current user's running applications and
// each one's processes, held so that a signal never reaches another process.
namespace corvane::RunningApps {

// A handle on one process (pidfd): a signal sent through it reaches that process or
// none, even once its pid is reused.
class PidFD {
public:
    explicit PidFD(int32_t pid);
    ~PidFD();
    PidFD(const PidFD&) = delete;
    PidFD& operator=(const PidFD&) = delete;

    bool isOpen() const { return fd_ >= 0; }
    // The handle could not be opened because there is no such process.
    bool processWasGone() const { return openError_ == ESRCH; }
    // True once the process has ended.
    bool hasEnded() const;
    void signal(int number) const;

private:
    int fd_;
    int openError_;
};

// One process of a running application, held through the handle opened before it was
// read. Without a handle (a system that offers none) nothing is signalled: the pid
// alone may name another process by then.
struct AppMember {
    int32_t pid = 0;
    std::unique_ptr<PidFD> pidfd;
    std::string executable;
    uint64_t started = 0;  // clock ticks after boot; 0 when unknown

    void signal(int number) const;
    bool hasEnded() const;
};

// A bundled process, or an installed app with all its processes. Quitting asks the
// primary process to end, as the app's own quit would; forcing ends every process.
class ProcApplication final : public RunningApplication {
public:
    // `program`: the app's own, whose process is the primary one; empty for a bundled process.
    ProcApplication(std::string bundle, ActivationPolicy policy, std::string program = {});

    // The primary process is the earliest started one running the app's program, else
    // the earliest started one (the earliest added on a tie).
    void add(AppMember member);
    const std::vector<AppMember>& members() const { return members_; }

    std::optional<std::string> bundleURL() const override { return bundle_; }
    std::optional<std::string> executableURL() const override { return members_[primary_].executable; }
    ActivationPolicy activationPolicy() const override { return policy_; }
    void terminate() override;
    void forceTerminate() override;
    bool isTerminated() const override;

private:
    std::string bundle_;
    ActivationPolicy policy_;
    std::string program_;
    std::vector<AppMember> members_;
    std::size_t primary_ = 0;
};

// The running applications of `user` under `procRoot`: each process whose executable
// lies in an ".app" bundle as an app of its own, and each installed app with every
// process that belongs to it. Each process is held before it is read, and left out
// when it ended meanwhile, so what was read describes the process the handle holds.
// `self` (this program) is never a member: force-quitting the terminal it was started
// from must not end it.
std::vector<Workspace::Application> list(const std::filesystem::path& procRoot, const InstalledApps& installed,
                                         uint32_t user, int32_t self);

} // namespace corvane::RunningApps
