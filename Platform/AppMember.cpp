#include "Platform/AppMember.hpp"

#include "Core/Files.hpp"
#include "Core/Numbers.hpp"
#include "Core/Text.hpp"
#include "Platform/ProcFS.hpp"

#include <cerrno>
#include <poll.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace corvane::RunningApps {
namespace {

// A handle on whatever process has the pid now; closed when it goes.
class PidFD {
public:
    explicit PidFD(int32_t pid) : fd_(static_cast<int>(::syscall(SYS_pidfd_open, pid, 0))), error_(fd_ < 0 ? errno : 0) {}
    ~PidFD()
    {
        if (fd_ >= 0)
            ::close(fd_);
    }
    PidFD(const PidFD&) = delete;
    PidFD& operator=(const PidFD&) = delete;

    bool isOpen() const { return fd_ >= 0; }
    // No process has the pid.
    bool noSuchProcess() const { return error_ == ESRCH; }
    // The open failed for want of descriptors; it tells nothing of the process.
    bool outOfDescriptors() const { return error_ == EMFILE || error_ == ENFILE; }
    bool hasEnded() const
    {
        pollfd watch{fd_, POLLIN, 0};
        return ::poll(&watch, 1, 0) > 0;
    }
    void signal(int number) const { ::syscall(SYS_pidfd_send_signal, fd_, number, nullptr, 0); }

private:
    int fd_;
    int error_;
};

// Whether /proc shows the member's start time under its pid: the process is still the one listed.
bool isStill(const fs::path& procRoot, const AppMember& member)
{
    const auto stat = ProcFS::stat(procRoot, member.pid);
    return stat && stat->startTicks == member.started;
}

} // namespace

bool hasEnded(const fs::path& procRoot, const AppMember& member)
{
    const PidFD process(member.pid);
    // Other failures say the pid names something else now (a thread: ENOENT, or EINVAL
    // on older kernels), or that handles cannot be had here, which /proc settles.
    if (!process.isOpen())
        return process.noSuchProcess() || (!process.outOfDescriptors() && !isStill(procRoot, member));
    // Whoever the handle holds has ended: the listed process, or one that took its pid
    // after it ended. Else the pid is another's once /proc shows another start time.
    if (process.hasEnded())
        return true;
    const auto stat = ProcFS::stat(procRoot, member.pid);
    return stat && stat->startTicks != member.started;
}

void signal(const fs::path& procRoot, const AppMember& member, int number)
{
    // The handle first, then the check: a start time that still matches once the
    // handle is open proves the handle holds the listed process.
    const PidFD process(member.pid);
    if (process.isOpen() && isStill(procRoot, member))
        process.signal(number);
}

bool reaps(const fs::path& procRoot, int32_t pid)
{
    // "NSpid:\t4183\t1": its pid in each namespace it is in, the innermost last.
    const auto status = Files::read(procRoot / Numbers::toText(pid) / "status");
    const auto pids = status ? ProcFS::fieldView(*status, "NSpid") : std::nullopt;
    if (!pids)
        return false;
    const auto words = Text::splitSkippingEmpty(*pids, '\t');
    return words.size() > 1 && words.back() == "1";
}

} // namespace corvane::RunningApps
