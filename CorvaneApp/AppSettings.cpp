#include "CorvaneApp/AppSettings.hpp"

#include "Core/Files.hpp"
#include "CorvaneApp/KeptFile.hpp"
#include "CorvaneApp/Logging.hpp"

#include <QSettings>
#include <QStandardPaths>

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

// The product's own file (~/.config/Corvane/Corvane.conf), whatever names the application
// object carries: where QSettings keeps an organisation's settings on this system.
AppSettings::AppSettings(QObject* parent)
    : AppSettings(QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
                      QStringLiteral("/Corvane/Corvane.conf"),
                  parent)
{
}

AppSettings::AppSettings(const QString& file, QObject* parent) : QObject(parent), file_(file)
{
    if (const auto settings = open()) {
        for (const QString& key : settings->allKeys())
            values_.insert(key, settings->value(key));
    }
}

AppSettings::~AppSettings() = default;

std::unique_ptr<QSettings> AppSettings::open()
{
    if (!KeptFile::makeReady(file_, Files::defaultMaxBytes, "settings file"))
        return nullptr;
    auto settings = std::make_unique<QSettings>(file_, QSettings::IniFormat);
    // QSettings reads the file on first use, and only then knows whether it could.
    settings->allKeys();
    if (settings->status() == QSettings::NoError)
        return settings;
    // Nothing was changed in it, so dropping it writes nothing.
    settings.reset();
    if (!KeptFile::setAside(file_, "settings file", "cannot be read as settings"))
        return nullptr;
    return std::make_unique<QSettings>(file_, QSettings::IniFormat);
}

void AppSettings::store(const QString& key, const std::optional<QVariant>& value)
{
    if (value)
        values_.insert(key, *value);
    else
        values_.remove(key);
    // QSettings takes a lock file beside the settings while it writes, reading one it
    // finds: that one must not hold it up either.
    if (!KeptFile::makeReady(file_ + QStringLiteral(".lock"), Files::defaultMaxBytes, "settings lock file"))
        return;
    const auto settings = open();
    if (!settings)
        return;
    // Every value, so that a file set aside since the start loses none of them.
    for (auto it = values_.cbegin(); it != values_.cend(); ++it)
        settings->setValue(it.key(), it.value());
    if (!value)
        settings->remove(key);
    settings->sync();
    if (settings->status() != QSettings::NoError)
        qCWarning(settingsLog, "settings file %s could not be written", qPrintable(file_));
}

bool AppSettings::readBool(const QString& key, bool fallback) const
{
    const QVariant value = values_.value(key);
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
    store(key, value);
    return changed;
}

bool AppSettings::showMenuBar() const { return readBool(showMenuBarKey, true); }
bool AppSettings::onboarded() const { return readBool(onboardedKey, false); }
bool AppSettings::keepUsageHistory() const { return readBool(keepUsageHistoryKey, true); }

std::optional<std::string> AppSettings::lastSpeedTest() const
{
    const QVariant value = values_.value(lastSpeedTestKey);
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
    store(lastSpeedTestKey, json ? std::optional<QVariant>(QString::fromStdString(*json)) : std::nullopt);
    if (changed)
        Q_EMIT lastSpeedTestChanged();
}

void AppSettings::setAutomationPrimer(const std::string& bundleID, bool value)
{
    if (writeBool(primerKey(bundleID), false, value))
        Q_EMIT automationPrimerChanged(QString::fromStdString(bundleID));
}

} // namespace corvane
