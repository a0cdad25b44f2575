#pragma once

#include <QByteArray>
#include <QDeadlineTimer>
#include <QProcess>
#include <QStringList>
#include <QTemporaryDir>

namespace corvane::test {

// One of the project's programs run as a person's session would run it, but offscreen and
// in a private home, runtime folder and XDG folders (so it touches neither the developer's
// desktop, bus and settings nor another test's), with every Qt message printed on one line
// as "<type> <category>: <text>" so that a test can read what the program logs and see any
// warning.
class ProgramRun {
public:
    // The program is not started yet; `logRules` enables extra categories (QT_LOGGING_RULES).
    ProgramRun(const QTemporaryDir& home, const QString& program, const QStringList& arguments = {},
               const QString& logRules = {});
    ~ProgramRun();

    // Before start(): the program runs without the capabilities that let root write where
    // a folder's permissions forbid it, so a read-only folder is one for it too.
    void withoutFileOverride();

    void start();
    QProcess& process() { return process_; }

    // Waits until the program has printed `line` as a whole line of its error output `count`
    // times, reading as it comes. The deadline only bounds a failure: a healthy run gets there
    // long before. False when the program ends or the deadline passes first.
    bool waitForLine(const QByteArray& line, int count = 1, QDeadlineTimer deadline = QDeadlineTimer(60'000));

    // Waits for the program to end (failure bound as above); false when it has not.
    bool waitForEnd(QDeadlineTimer deadline = QDeadlineTimer(60'000));

    // Sends SIGTERM and waits for the program to end; true when it ended on its own
    // (neither killed by a signal nor failing).
    bool terminate();

    // Its error output so far, and the lines of it that are neither a debug nor an info
    // message nor the offscreen platform's notes on what it cannot do: Qt's warnings,
    // critical and fatal messages, and anything else printed there (a sanitizer's report,
    // a tool's own complaint).
    const QByteArray& errorOutput();
    QList<QByteArray> problems();

private:
    QProcess process_;
    QByteArray error_;
};

} // namespace corvane::test
