#include "CorvaneApp/Platform/TerminationSignals.hpp"

#include <QCoreApplication>
#include <QSocketNotifier>

#include <array>
#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <unistd.h>

namespace corvane {

namespace {

constexpr std::array<int, 2> quitSignals{SIGTERM, SIGINT};

// Written by the handler, read by the event loop; never closed, so a late signal
// still has somewhere to go.
int wakeWrite = -1;

void onSignal(int)
{
    const int saved = errno;
    const char byte = 1;
    // Non-blocking: with a full pipe a quit is already on its way.
    [[maybe_unused]] const auto written = ::write(wakeWrite, &byte, 1);
    errno = saved;
}

void restoreDefaults()
{
    for (const int number : quitSignals)
        std::signal(number, SIG_DFL);
}

} // namespace

void quitOnTerminationSignals()
{
    std::array<int, 2> fds{};
    if (::pipe2(fds.data(), O_CLOEXEC | O_NONBLOCK) != 0)
        return;
    wakeWrite = fds[1];
    auto* notifier = new QSocketNotifier(fds[0], QSocketNotifier::Read, QCoreApplication::instance());
    QObject::connect(notifier, &QSocketNotifier::activated, notifier, [notifier] {
        notifier->setEnabled(false);
        restoreDefaults();
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
