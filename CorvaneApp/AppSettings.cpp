#include "CorvaneApp/AppSettings.hpp"

#include <QSettings>

namespace corvane {
namespace {

const QString showMenuBarKey = QStringLiteral("showMenuBar");
const QString onboardedKey = QStringLiteral("onboarded");
const QString keepUsageHistoryKey = QStringLiteral("keepUsageHistory");
const QString lastSpeedTestKey = QStringLiteral("lastSpeedTest");

QString primerKey(const std::string& bundleID)
{
    return QStringLiteral("primer.automation.") + QString::fromStdString(bundleID);
}

} // namespace

// The product's own file (~/.config/Corvane/Corvane.conf), whatever names the application object carries.
AppSettings::AppSettings(QObject* parent)
    : QObject(parent),
      settings_(std::make_unique<QSettings>(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("Corvane"),
                                            QStringLiteral("Corvane")))
{
}

AppSettings::AppSettings(const QString& file, QObject* parent)
    : QObject(parent), settings_(std::make_unique<QSettings>(file, QSettings::IniFormat))
{
}

AppSettings::~AppSettings() = default;

bool AppSettings::readBool(const QString& key, bool fallback) const
{
    const QVariant value = settings_->value(key);
    if (value.typeId() == QMetaType::Bool)
        return value.toBool();
    // Text formats keep booleans as the words true and false; anything else is not a Boolean.
    if (value.typeId() == QMetaType::QString) {
        const QString text = value.toString();
        if (text == QLatin1String("true"))
            return true;
        if (text == QLatin1String("false"))
            return false;
    }
    return fallback;
}

bool AppSettings::writeBool(const QString& key, bool fallback, bool value)
{
    const bool changed = readBool(key, fallback) != value;
    settings_->setValue(key, value);
    return changed;
}

bool AppSettings::showMenuBar() const { return readBool(showMenuBarKey, true); }
bool AppSettings::onboarded() const { return readBool(onboardedKey, false); }
bool AppSettings::keepUsageHistory() const { return readBool(keepUsageHistoryKey, true); }

std::optional<std::string> AppSettings::lastSpeedTest() const
{
    const QVariant value = settings_->value(lastSpeedTestKey);
    if (value.typeId() != QMetaType::QString)
        return std::nullopt;
    return value.toString().toStdString();
}

bool AppSettings::automationPrimer(const std::string& bundleID) const
{
    return readBool(primerKey(bundleID), false);
}

void AppSettings::setShowMenuBar(bool value)
{
    if (writeBool(showMenuBarKey, true, value))
        Q_EMIT showMenuBarChanged();
}

void AppSettings::setOnboarded(bool value)
{
    if (writeBool(onboardedKey, false, value))
        Q_EMIT onboardedChanged();
}

void AppSettings::setKeepUsageHistory(bool value)
{
    if (writeBool(keepUsageHistoryKey, true, value))
        Q_EMIT keepUsageHistoryChanged();
}

void AppSettings::setLastSpeedTest(const std::optional<std::string>& json)
{
    const bool changed = lastSpeedTest() != json;
    if (json)
        settings_->setValue(lastSpeedTestKey, QString::fromStdString(*json));
    else
        settings_->remove(lastSpeedTestKey);
    if (changed)
        Q_EMIT lastSpeedTestChanged();
}

void AppSettings::setAutomationPrimer(const std::string& bundleID, bool value)
{
    if (writeBool(primerKey(bundleID), false, value))
        Q_EMIT automationPrimerChanged(QString::fromStdString(bundleID));
}

void AppSettings::sync()
{
    settings_->sync();
}

} // namespace corvane
