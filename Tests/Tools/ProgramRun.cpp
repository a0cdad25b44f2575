#include "Tests/Tools/ProgramRun.hpp"

#include "Tests/Support/ReadOnlyFolder.hpp"

#include <QDir>
#include <QFile>

#include <sys/prctl.h>

#include <algorithm>
#include <iterator>

namespace corvane::test {

namespace {

// What the offscreen platform itself says of requests it cannot honour (raising a window,
// size hints, a tray window, which it has no native interface for); a desktop session
// never shows these, so they are no fault of the program's.
const QByteArray offscreenNotes[] = {
    "warning default: This plugin does not support raise()",
    "warning default: This plugin does not support propagateSizeHints()",
    "warning qt.core.qobject.connect: QObject::connect: No such signal "
    "QPlatformNativeInterface::systemTrayWindowChanged(QScreen*)",
};

} // namespace

ProgramRun::ProgramRun(const QTemporaryDir& home, const QString& program, const QStringList& arguments,
                       const QString& logRules)
{
    const QDir root(home.path());
    auto environment = QProcessEnvironment::systemEnvironment();
    for (const auto& name : {"DISPLAY", "WAYLAND_DISPLAY", "DBUS_SESSION_BUS_ADDRESS", "XDG_CURRENT_DESKTOP",
                             "XDG_CONFIG_DIRS", "QT_LOGGING_RULES", "QT_MESSAGE_PATTERN"})
        environment.remove(QString::fromLatin1(name));
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    environment.insert(QStringLiteral("HOME"), root.path());
    const std::pair<const char*, const char*> folders[] = {{"XDG_CONFIG_HOME", ".config"},
                                                           {"XDG_DATA_HOME", ".local/share"},
                                                           {"XDG_CACHE_HOME", ".cache"},
                                                           {"XDG_STATE_HOME", ".local/state"},
                                                           {"XDG_RUNTIME_DIR", "runtime"}};
    for (const auto& [name, folder] : folders) {
        root.mkpath(QString::fromLatin1(folder));
        environment.insert(QString::fromLatin1(name), root.filePath(QString::fromLatin1(folder)));
    }
    // Qt refuses a runtime folder that others can read.
    QFile::setPermissions(root.filePath(QStringLiteral("runtime")),
                          QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    environment.insert(QStringLiteral("QT_FORCE_STDERR_LOGGING"), QStringLiteral("1"));
    environment.insert(QStringLiteral("QT_MESSAGE_PATTERN"), QStringLiteral("%{type} %{category}: %{message}"));
    if (!logRules.isEmpty())
        environment.insert(QStringLiteral("QT_LOGGING_RULES"), logRules);
    process_.setProcessEnvironment(environment);
    process_.setWorkingDirectory(root.path());
    process_.setProgram(program);
    process_.setArguments(arguments);
    process_.setReadChannel(QProcess::StandardError);
}

ProgramRun::~ProgramRun()
{
    if (process_.state() != QProcess::NotRunning) {
        process_.kill();
        process_.waitForFinished();
    }
}

void ProgramRun::withoutFileOverride()
{
    process_.setChildProcessModifier([] {
        // Only a root parent has them to drop; for anyone else this changes nothing.
        for (const int capability : ReadOnlyFolder::overrideCapabilities)
            ::prctl(PR_CAPBSET_DROP, capability, 0, 0, 0);
    });
}

void ProgramRun::start()
{
    process_.start();
}

bool ProgramRun::waitForLine(const QByteArray& line, int count, QDeadlineTimer deadline)
{
    while (true) {
        errorOutput();
        if (error_.split('\n').count(line) >= count)
            return true;
        if (!process_.waitForReadyRead(int(deadline.remainingTime())))
            return false;
    }
}

bool ProgramRun::waitForEnd(QDeadlineTimer deadline)
{
    const bool ended = process_.state() == QProcess::NotRunning || process_.waitForFinished(int(deadline.remainingTime()));
    errorOutput();
    return ended;
}

bool ProgramRun::terminate()
{
    process_.terminate();
    return waitForEnd() && process_.exitStatus() == QProcess::NormalExit && process_.exitCode() == 0;
}

const QByteArray& ProgramRun::errorOutput()
{
    error_ += process_.readAllStandardError();
    return error_;
}

QList<QByteArray> ProgramRun::problems()
{
    QList<QByteArray> found;
    for (const auto& line : errorOutput().split('\n')) {
        if (line.isEmpty() || line.startsWith("debug ") || line.startsWith("info ")
            || std::find(std::begin(offscreenNotes), std::end(offscreenNotes), line) != std::end(offscreenNotes))
            continue;
        found.append(line);
    }
    return found;
}

} // namespace corvane::test
