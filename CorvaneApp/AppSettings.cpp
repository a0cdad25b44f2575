#include "CorvaneApp/AppSettings.hpp"

#include "CorvaneApp/Executor.hpp"
#include "CorvaneApp/KeptFile.hpp"
#include "CorvaneApp/Logging.hpp"
#include "CorvaneApp/PendingWrites.hpp"
#include "CorvaneApp/SettingsText.hpp"

#include <QStandardPaths>

#include <exception>
#include <mutex>

namespace corvane {
namespace {

const QString showMenuBarKey = QStringLiteral("showMenuBar");
const QString onboardedKey = QStringLiteral("onboarded");
const QString keepUsageHistoryKey = QStringLiteral("keepUsageHistory");
const QString lastSpeedTestKey = QStringLiteral("lastSpeedTest");
const char* const what = "settings file";

QString primerKey(const std::string& bundleID)
{
    return QStringLiteral("primer.automation.") + QString::fromStdString(bundleID);
}

} // namespace

// What the settings share with the worker writing their file. It lives as long as a
// write does, so a worker never reaches settings that are gone.
struct AppSettings::Writer {
    explicit Writer(QString file) : file(std::move(file)) {}

    // On a worker: writes the latest values until no newer ones are left. Values that
    // cannot be written stay for the next change or the quit.
    void run()
    {
        for (;;) {
            QVariantMap values;
            {
                const std::lock_guard lock(mutex);
                if (!unwritten) {
                    writing = false;
                    return;
                }
                values = *std::exchange(unwritten, std::nullopt);
            }
            std::string error;
            try {
                KeptFile::write(file, SettingsText::write(values), maxFileBytes, what);
            } catch (const std::exception& failure) {
                error = failure.what();
            }
            const std::lock_guard lock(mutex);
            if (error.empty()) {
                failing = false;
                continue;
            }
            if (unwritten)  // newer values came meanwhile: they hold these too
                continue;
            unwritten = std::move(values);
            writing = false;
            if (!std::exchange(failing, true))
                qCWarning(settingsLog,
                          "settings file %s cannot be written (%s); changes hold for this session and are "
                          "written with the next change or at quit",
                          qPrintable(file), error.c_str());
            return;
        }
    }

    const QString file;
    std::mutex mutex;
    std::optional<QVariantMap> unwritten;  // every value, as of the latest change not written yet
    bool writing = false;                  // a worker is on it
    bool failing = false;                  // the last write failed, and the log said so
};

// The product's own file (~/.config/Corvane/Corvane.conf), whatever names the application
// object carries: where QSettings keeps an organisation's settings on this system.
AppSettings::AppSettings(Executor& executor, QObject* parent)
    : AppSettings(QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
                      QStringLiteral("/Corvane/Corvane.conf"),
                  executor, parent)
{
}

AppSettings::AppSettings(const QString& file, Executor& executor, QObject* parent)
    : QObject(parent), file_(file), executor_(executor), writer_(std::make_shared<Writer>(file))
{
    const auto text = KeptFile::read(file_, maxFileBytes, what);
    if (!text)
        return;
    try {
        if (auto values = SettingsText::parse(*text))
            values_ = std::move(*values);
        else
            KeptFile::setAside(file_, what, "cannot be read as settings");
    } catch (const std::exception& error) {
        // Writing now would replace the person's values with the defaults.
        writer_.reset();
        qCWarning(settingsLog, "settings file %s cannot be read now (%s); changes hold for this session only",
                  qPrintable(file_), error.what());
    }
}

AppSettings::~AppSettings() = default;

void AppSettings::store(const QString& key, const std::optional<QVariant>& value)
{
    if (value)
        values_.insert(key, *value);
    else
        values_.remove(key);
    if (!writer_)
        return;
    {
        const std::lock_guard lock(writer_->mutex);
        writer_->unwritten = values_;
        if (std::exchange(writer_->writing, true))
            return;
    }
    startWriter();
}

void AppSettings::writePending()
{
    if (!writer_)
        return;
    {
        const std::lock_guard lock(writer_->mutex);
        if (!writer_->unwritten || std::exchange(writer_->writing, true))
            return;
    }
    startWriter();
}

void AppSettings::startWriter()
{
    // A thread of its own: a write held up by the disk holds no shared worker, nor the
    // app's end beyond the bounded wait for pending writes.
    executor_.run(
        Executor::Lane::detached, this,
        [writer = writer_, hold = PendingWrites::hold()]() mutable {
            writer->run();
            hold.reset();
        },
        [](const WorkResult<Nothing>&) {});
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
