#pragma once

#include <QObject>

#include <memory>
#include <optional>
#include <string>

class QSettings;

namespace corvane {

// The user's settings, persisted through QSettings under the keys "showMenuBar",
// "onboarded", "keepUsageHistory", "lastSpeedTest" and "primer.automation.<bundle id>".
// QSettings never notifies, so each key has its own change signal here, emitted when a
// store changes the value. A stored value of the wrong type reads as the key's default.
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

    // Writes pending changes to disk now (QSettings also does so on its own).
    void sync();

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

    std::unique_ptr<QSettings> settings_;
};

} // namespace corvane
