#pragma once

#include <QObject>
#include <QVariantMap>

#include <memory>
#include <optional>
#include <string>

class QSettings;

namespace corvane {

// The user's settings, persisted through QSettings under the keys "showMenuBar",
// "onboarded", "keepUsageHistory", "lastSpeedTest" and "primer.automation.<bundle id>".
// QSettings never notifies, so each key has its own change signal here, emitted when a
// store changes the value. A stored value of the wrong type reads as the key's default.
//
// The values are read once, when the object is built, and each store writes them to the
// file at once. The file is opened only when it is a regular file of sane size (or a
// link to one in its own folder): anything else at its place, or a file that cannot be
// read as settings, is set aside under a new name and logged, and the app goes on from
// the defaults. So a pipe never holds the app up, a huge file is never read, unreadable
// bytes are never overwritten, and nothing is written through a link out of the folder.
class AppSettings : public QObject {
    Q_OBJECT
public:
    // The user's own settings file.
    explicit AppSettings(QObject* parent = nullptr);
    // The settings in the given INI file (tests, tools).
    explicit AppSettings(const QString& file, QObject* parent = nullptr);
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

Q_SIGNALS:
    void showMenuBarChanged();
    void onboardedChanged();
    void keepUsageHistoryChanged();
    void lastSpeedTestChanged();
    void automationPrimerChanged(const QString& bundleID);

private:
    bool readBool(const QString& key, bool fallback) const;
    // Stores the value; true when it differs from what was read before.
    bool writeBool(const QString& key, bool fallback, bool value);
    // Keeps the value (none removes the key) and writes it to the file.
    void store(const QString& key, const std::optional<QVariant>& value);
    // The settings of the file, once it can be read as settings: anything else at its
    // place is set aside first. Nothing when that cannot be done.
    std::unique_ptr<QSettings> open();

    QString file_;
    QVariantMap values_;
};

} // namespace corvane
