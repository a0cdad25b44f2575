#pragma once

#include "CorvaneApp/SettingsText.hpp"

#include <QObject>

#include <cstddef>
#include <memory>
#include <optional>
#include <string>

namespace corvane {

class Executor;

// The user's settings, persisted in QSettings' INI form under the keys "showMenuBar",
// "onboarded", "keepUsageHistory", "lastSpeedTest" and "primer.automation.<bundle id>".
// Each key has its own change signal, emitted when a store changes the value. A stored
// value of the wrong type reads as the key's default.
//
// The file is read once, when the object is built. It is taken only when it is the
// person's own regular file of at most 64 KiB, right there or at the end of links (a
// dotfiles repository), and every folder and link on the way belongs to the person or
// root with no one else able to change it (a folder others may write to only when it is
// sticky and the entry in it is the person's or root's). It is opened without blocking
// and read from what was opened. Anything else at its place, or a file that cannot be
// read as settings, is set aside under a new name, the log says what was wrong (too
// large, not yours, not a regular file, unreadable), and the app goes on from the
// defaults. New files that a write cut short by the app's end left beside the file are
// removed then.
//
// A save writes only the keys stored this session, over what the file holds at that
// moment: a file that appeared, was restored or was changed since the start keeps every
// other key, known to the app or not. It runs on a worker (the executor's), all at once
// over the file the links lead to, so a link stays a link. Stores made while a write runs
// are written together after it. A save never writes a file over 64 KiB, which the next
// start would not read: keys the app does not know are left out, the last ones first,
// until it fits, and the log says so once. A store that cannot be written holds for the
// session, is written with the next one or at quit, and the log says so once. No lock
// file and no temporary folder are used: each write replaces the file whole.
class AppSettings : public QObject {
    Q_OBJECT
public:
    // No settings file larger than this is read; the app's keys take a few hundred bytes.
    static constexpr std::size_t maxFileBytes = 64 * 1024;

    // The user's own settings file.
    explicit AppSettings(Executor& executor, QObject* parent = nullptr);
    // The settings in the given INI file (tests, tools).
    AppSettings(const QString& file, Executor& executor, QObject* parent = nullptr);
    ~AppSettings() override;

    bool showMenuBar() const;                   // default true
    bool onboarded() const;                     // default false
    bool keepUsageHistory() const;              // default true
    std::optional<std::string> lastSpeedTest() const;  // a SpeedResult's JSON; absent by default
    // Whether the explanation shown before the first Automation request to that browser
    // has been read; default false.
    bool automationPrimer(const std::string& bundleID) const;

    // Every store writes the key; the signal fires only when the value changed.
    void setShowMenuBar(bool value);
    void setOnboarded(bool value);
    void setKeepUsageHistory(bool value);
    void setLastSpeedTest(const std::optional<std::string>& json);
    void setAutomationPrimer(const std::string& bundleID, bool value);

    // Hands the changes not written yet to a worker (at quit: a change whose write failed
    // is tried once more). Waiting for it is PendingWrites' job.
    void writePending();

Q_SIGNALS:
    void showMenuBarChanged();
    void onboardedChanged();
    void keepUsageHistoryChanged();
    void lastSpeedTestChanged();
    void automationPrimerChanged(const QString& bundleID);

private:
    struct Writer;

    bool readBool(const QString& key, bool fallback) const;
    // Stores the value; true when it differs from what was read before.
    bool writeBool(const QString& key, bool fallback, bool value);
    // Keeps the value (none removes the key) and has it written.
    void store(const QString& key, const std::optional<SettingsText::Value>& value);
    void startWriter();

    QString file_;
    SettingsText::Values values_;
    Executor& executor_;
    // Shared with the worker writing the file.
    std::shared_ptr<Writer> writer_;
};

} // namespace corvane
