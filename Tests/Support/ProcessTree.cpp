#include "Tests/Support/ProcessTree.hpp"

#include "Platform/ProcFS.hpp"

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <stdexcept>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace corvane::test {
namespace {

constexpr int bound = 30'000;  // milliseconds: only a fault takes this long

} // namespace

ProcessTree::ProcessTree(std::vector<std::string> environment) : environment_(std::move(environment))
{
    int ends[2];
    if (::pipe2(ends, O_CLOEXEC) != 0)
        throw std::runtime_error("no pipe");
    read_ = ends[0];
    write_ = ends[1];
}

ProcessTree::~ProcessTree()
{
    kill();
    ::close(read_);
}

pid_t ProcessTree::start(const std::vector<std::string>& argv)
{
    std::vector<std::string> variables = environment_;
    for (char** variable = environ; *variable; ++variable) {
        const std::string_view entry(*variable);
        const auto name = entry.substr(0, entry.find('=') + 1);
        if (std::none_of(environment_.begin(), environment_.end(), [&](const auto& own) { return own.starts_with(name); }))
            variables.emplace_back(entry);
    }
    std::vector<char*> args, envp;
    for (const auto& arg : argv)
        args.push_back(const_cast<char*>(arg.c_str()));
    for (const auto& variable : variables)
        envp.push_back(const_cast<char*>(variable.c_str()));
    args.push_back(nullptr);
    envp.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, write_, STDOUT_FILENO);
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETPGROUP);
    posix_spawnattr_setpgroup(&attributes, group_);
    pid_t pid = 0;
    const int failed = ::posix_spawnp(&pid, args[0], &actions, &attributes, args.data(), envp.data());
    posix_spawn_file_actions_destroy(&actions);
    posix_spawnattr_destroy(&attributes);
    if (failed)
        throw std::runtime_error("cannot start " + argv[0]);
    if (group_ == 0)
        group_ = pid;
    started_.push_back(pid);
    return pid;
}

std::string ProcessTree::line()
{
    for (;;) {
        if (const auto end = buffer_.find('\n'); end != std::string::npos) {
            std::string line = buffer_.substr(0, end);
            buffer_.erase(0, end + 1);
            return line;
        }
        pollfd watch{read_, POLLIN, 0};
        char chunk[512];
        const ssize_t n = ::poll(&watch, 1, bound) > 0 ? ::read(read_, chunk, sizeof chunk) : 0;
        if (n <= 0)
            return {};
        buffer_.append(chunk, static_cast<std::size_t>(n));
    }
}

std::vector<pid_t> ProcessTree::processes() const
{
    std::vector<pid_t> found;
    if (group_ == 0)
        return found;
    for (const int32_t pid : ProcFS::listPids("/proc")) {
        const auto stat = ProcFS::stat("/proc", pid);
        if (::getpgid(pid) == group_ && stat && !stat->hasEnded())
            found.push_back(pid);
    }
    std::sort(found.begin(), found.end());
    return found;
}

std::string ProcessTree::endedBy(pid_t started)
{
    if (!ends(started))
        return "running";
    int status = 0;
    ::waitpid(started, &status, 0);
    std::erase(started_, started);
    if (WIFSIGNALED(status))
        return std::string("SIG") + ::sigabbrev_np(WTERMSIG(status));
    return "exit " + std::to_string(WEXITSTATUS(status));
}

bool ProcessTree::running(pid_t started) const
{
    siginfo_t info{};
    return ::waitid(P_PID, static_cast<id_t>(started), &info, WEXITED | WNOHANG | WNOWAIT) == 0 && info.si_pid == 0;
}

std::vector<std::string> ProcessTree::rest()
{
    kill();
    std::vector<std::string> lines;
    for (auto next = line(); !next.empty(); next = line())
        lines.push_back(std::move(next));
    return lines;
}

void ProcessTree::kill()
{
    if (group_ != 0)
        ::kill(-group_, SIGKILL);
    group_ = 0;
    for (const pid_t pid : started_)
        ::waitpid(pid, nullptr, 0);
    started_.clear();
    if (write_ >= 0)
        ::close(write_);
    write_ = -1;
}

bool ends(pid_t pid)
{
    const int fd = static_cast<int>(::syscall(SYS_pidfd_open, pid, 0));
    if (fd < 0)
        return errno == ESRCH;
    pollfd watch{fd, POLLIN, 0};
    const bool ended = ::poll(&watch, 1, bound) > 0;
    ::close(fd);
    return ended;
}

} // namespace corvane::test
