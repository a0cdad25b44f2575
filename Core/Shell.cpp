#include "Core/Shell.hpp"

#include "Core/Utf8.hpp"

#include <array>
#include <cerrno>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <system_error>
#include <unistd.h>

extern char** environ;

namespace corvane::Shell {
namespace {

[[noreturn]] void throwErrno(int error, const char* what)
{
    throw std::system_error(error, std::generic_category(), what);
}

// A pipe whose ends close on exec, so no other child inherits them.
struct Pipe {
    int fds[2] = {-1, -1};
    Pipe()
    {
        if (::pipe2(fds, O_CLOEXEC) != 0)
            throwErrno(errno, "pipe2");
    }
    ~Pipe()
    {
        closeEnd(0);
        closeEnd(1);
    }
    Pipe(const Pipe&) = delete;
    Pipe& operator=(const Pipe&) = delete;
    void closeEnd(int i)
    {
        if (fds[i] >= 0)
            ::close(fds[i]);
        fds[i] = -1;
    }
};

// Reads both pipes at the same time until each reaches its end, so a child that
// fills one pipe while we wait on the other can never block us.
void drain(Pipe& out, Pipe& err, std::string& outBytes, std::string& errBytes)
{
    std::array<char, 65536> buffer{};
    std::array<pollfd, 2> fds{pollfd{out.fds[0], POLLIN, 0}, pollfd{err.fds[0], POLLIN, 0}};
    std::array<std::string*, 2> sinks{&outBytes, &errBytes};
    int open = 2;
    while (open > 0) {
        if (::poll(fds.data(), fds.size(), -1) < 0) {
            if (errno == EINTR)
                continue;
            throwErrno(errno, "poll");
        }
        for (std::size_t i = 0; i < fds.size(); ++i) {
            if (fds[i].fd < 0 || fds[i].revents == 0)
                continue;
            const ssize_t n = ::read(fds[i].fd, buffer.data(), buffer.size());
            if (n > 0) {
                sinks[i]->append(buffer.data(), static_cast<std::size_t>(n));
            } else if (n == 0 || errno != EINTR) {
                fds[i].fd = -1;  // end of stream (or a read error: treat as end)
                --open;
            }
        }
    }
}

int32_t waitForExit(pid_t pid)
{
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0) {
        if (errno != EINTR)
            throwErrno(errno, "waitpid");
    }
    if (WIFEXITED(status))
        return WEXITSTATUS(status);
    if (WIFSIGNALED(status))
        return 128 + WTERMSIG(status);
    return -1;
}

} // namespace

Output run(const std::string& path, const std::vector<std::string>& arguments)
{
    Pipe out, err;

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, out.fds[1], STDOUT_FILENO);
    posix_spawn_file_actions_adddup2(&actions, err.fds[1], STDERR_FILENO);

    std::vector<char*> argv;
    argv.reserve(arguments.size() + 2);
    argv.push_back(const_cast<char*>(path.c_str()));
    for (const auto& argument : arguments)
        argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);

    // The child starts with no signal blocked, whichever thread starts it: the app keeps
    // its termination signals off its own threads, and a child must still hear them.
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    sigset_t none;
    sigemptyset(&none);
    posix_spawnattr_setsigmask(&attributes, &none);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGMASK);

    pid_t pid = 0;
    const int spawnError = ::posix_spawn(&pid, path.c_str(), &actions, &attributes, argv.data(), environ);
    posix_spawnattr_destroy(&attributes);
    posix_spawn_file_actions_destroy(&actions);
    if (spawnError != 0)
        throwErrno(spawnError, path.c_str());

    out.closeEnd(1);
    err.closeEnd(1);
    std::string outBytes, errBytes;
    try {
        drain(out, err, outBytes, errBytes);
    } catch (...) {
        // Close our ends first, so a child still writing gets an error instead of blocking the wait.
        out.closeEnd(0);
        err.closeEnd(0);
        waitForExit(pid);
        throw;
    }
    const int32_t status = waitForExit(pid);
    return Output{status, Utf8::decodeLossy(outBytes), Utf8::decodeLossy(errBytes)};
}

} // namespace corvane::Shell
