#include "CorvaneApp/Platform/TerminationSignals.hpp"

#include "CorvaneApp/PendingWrites.hpp"

#include <QCoreApplication>
#include <QSocketNotifier>

#include <array>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <pthread.h>
#include <system_error>
#include <thread>
#include <unistd.h>

namespace corvane {

namespace {

constexpr std::array<int, 2> quitSignals{SIGTERM, SIGINT};

// How long the normal quit may take before the watchdog ends the process, and how much
// longer a write in progress then gets: within 5 seconds of the signal either way.
constexpr auto quitGrace = std::chrono::milliseconds(4000);
constexpr auto writesGrace = std::chrono::milliseconds(500);

// Written by the handler; never closed, so a late signal still has somewhere to go.
int wakeLoop = -1;
int wakeWatchdog = -1;

void onSignal(int number)
{
    const int saved = errno;
    const auto byte = static_cast<char>(number);
    // Non-blocking: with a full pipe a quit is already on its way.
    [[maybe_unused]] const auto toLoop = ::write(wakeLoop, &byte, 1);
    [[maybe_unused]] const auto toWatchdog = ::write(wakeWatchdog, &byte, 1);
    errno = saved;
}

void restoreDefaults()
{
    struct sigaction action {};
    action.sa_handler = SIG_DFL;
    sigemptyset(&action.sa_mask);
    for (const int number : quitSignals)
        ::sigaction(number, &action, nullptr);
}

sigset_t quitSet()
{
    sigset_t set;
    sigemptyset(&set);
    for (const int number : quitSignals)
        sigaddset(&set, number);
    return set;
}

// Waits for the first signal, then gives the quit its time and ends the process by that
// signal if it is still here. The signals are delivered to this thread: one stuck where
// no handler can run (the GUI thread waiting on a disk) would never hear them.
void watch(int wake)
{
    const sigset_t set = quitSet();
    ::pthread_sigmask(SIG_UNBLOCK, &set, nullptr);
    char byte = 0;
    while (::read(wake, &byte, 1) != 1) {
        if (errno != EINTR)
            return;
    }
    restoreDefaults();
    const auto signalled = std::chrono::steady_clock::now();
    std::this_thread::sleep_until(signalled + quitGrace);
    if (!PendingWrites::waitUntil(signalled + quitGrace + writesGrace))
        qWarning("quit did not finish after a termination signal, and a write is still held up; ending now");
    else
        qWarning("quit did not finish after a termination signal; ending now");
    ::raise(static_cast<unsigned char>(byte));
    ::_exit(EXIT_FAILURE);
}

} // namespace

void quitOnTerminationSignals()
{
    std::array<int, 2> loop{};
    std::array<int, 2> watchdog{};
    if (::pipe2(loop.data(), O_CLOEXEC | O_NONBLOCK) != 0 || ::pipe2(watchdog.data(), O_CLOEXEC) != 0)
        return;
    // The watchdog's end blocks in read; the handler's must not block.
    ::fcntl(watchdog[1], F_SETFL, O_NONBLOCK);
    // Off this thread and every thread it starts from now on; the watchdog takes them.
    const sigset_t set = quitSet();
    try {
        std::thread watchdogThread(watch, watchdog[0]);
        ::pthread_sigmask(SIG_BLOCK, &set, nullptr);
        watchdogThread.detach();
    } catch (const std::system_error&) {
        // No thread to be had: the quit goes through the event loop alone.
    }
    wakeLoop = loop[1];
    wakeWatchdog = watchdog[1];
    auto* notifier = new QSocketNotifier(loop[0], QSocketNotifier::Read, QCoreApplication::instance());
    QObject::connect(notifier, &QSocketNotifier::activated, notifier, [notifier] {
        notifier->setEnabled(false);
        QCoreApplication::quit();
    });

    struct sigaction action {};
    action.sa_handler = onSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (const int number : quitSignals)
        ::sigaction(number, &action, nullptr);
}

} // namespace corvane
