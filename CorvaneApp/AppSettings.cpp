#include "CorvaneApp/AppSettings.hpp"

#include "Core/Numbers.hpp"
#include "CorvaneApp/Executor.hpp"
#include "CorvaneApp/KeptFile.hpp"
#include "CorvaneApp/Logging.hpp"
#include "CorvaneApp/PendingWrites.hpp"
#include "CorvaneApp/SettingsText.hpp"

#include <QStandardPaths>

#include <exception>
#include <map>
#include <mutex>
#include <stdexcept>
#include <string>

namespace corvane {
namespace {

const QString showMenuBarKey = QStringLiteral("showMenuBar");
const QString onboardedKey = QStringLiteral("onboarded");
const QString keepUsageHistoryKey = QStringLiteral("keepUsageHistory");
const QString lastSpeedTestKey = QStringLiteral("lastSpeedTest");
const char* const what = "settings file";

const char* const notSettings = "cannot be read as settings";
const QString primerPrefix = QStringLiteral("primer.automation.");

QString primerKey(const std::string& bundleID)
{
    return primerPrefix + QString::fromStdString(bundleID);
}

// The keys the app reads; when a file would be too large, every other goes first.
bool isAppKey(const QString& key)
{
    return key == showMenuBarKey || key == onboardedKey || key == keepUsageHistoryKey || key == lastSpeedTestKey ||
           key.startsWith(primerPrefix);
}

using SettingsText::Value;
using Changes = std::map<QString, std::optional<Value>>;

// The text of the file with `changes` over what it holds now (`current`; null when it
// holds nothing); nothing when what it holds is no settings text. `left` counts the keys
// left out to stay within the bound.
std::optional<QByteArray> merged(const QByteArray* current, const Changes& changes, int& left)
{
    SettingsText::Values values;
    if (current) {
        auto parsed = SettingsText::parse(*current);
        if (!parsed)
            return std::nullopt;
        values = std::move(*parsed);
    }
    for (const auto& [key, value] : changes) {
        if (value)
            values[key] = *value;
        else
            values.erase(key);
    }
    auto fitted = SettingsText::write(values, AppSettings::maxFileBytes, isAppKey);
    if (!fitted)
        throw std::runtime_error("the app's own keys take more than " + Numbers::toText(AppSettings::maxFileBytes) +
                                 " bytes");
    left = fitted->left;
    return std::move(fitted->text);
}

} // namespace

// What the settings share with the worker writing their file. It lives as long as a
// write does, so a worker never reaches settings that are gone.
struct AppSettings::Writer {
    explicit Writer(QString file) : file(std::move(file)) {}

    // On a worker: writes the stores of this session until none is left unwritten. What
    // cannot be written stays for the next store or the quit.
    void run()
    {
        for (;;) {
            Changes writing;
            {
                const std::lock_guard lock(mutex);
                if (!unwritten) {
                    busy = false;
                    return;
                }
                unwritten = false;
                writing = changes;
            }
            std::string error;
            int left = 0;
            try {
                KeptFile::write(
                    file, maxFileBytes, what,
                    [&](const QByteArray* current) { return merged(current, writing, left); }, notSettings);
            } catch (const std::exception& failure) {
                error = failure.what();
            }
            const std::lock_guard lock(mutex);
            if (left > 0 && !std::exchange(trimmed, true))
                qCWarning(settingsLog,
                          "settings file %s would be over %zu bytes; %d keys the app does not know are left out",
                          qPrintable(file), maxFileBytes, left);
            if (error.empty()) {
                failing = false;
                continue;
            }
            if (unwritten)  // newer stores came meanwhile: the next round writes these too
                continue;
            unwritten = true;
            busy = false;
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
    Changes changes;         // every key stored this session, with its latest value (none: removed)
    bool unwritten = false;  // stores not written yet
    bool busy = false;       // a worker is on it
    bool failing = false;    // the last write failed, and the log said so
    bool trimmed = false;    // the log said that keys were left out
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
    KeptFile::read(
        file_, maxFileBytes, what,
        [this](const QByteArray& text) {
            auto values = SettingsText::parse(text);
            if (values)
                values_ = std::move(*values);
            return values.has_value();
        },
        notSettings);
}

AppSettings::~AppSettings() = default;

void AppSettings::store(const QString& key, const std::optional<Value>& value)
{
    if (value)
        values_[key] = *value;
    else
        values_.erase(key);
    {
        const std::lock_guard lock(writer_->mutex);
        writer_->changes[key] = value;
        writer_->unwritten = true;
        if (std::exchange(writer_->busy, true))
            return;
    }
    startWriter();
}

void AppSettings::writePending()
{
    {
        const std::lock_guard lock(writer_->mutex);
        if (!writer_->unwritten || std::exchange(writer_->busy, true))
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
    const auto found = values_.find(key);
    if (found == values_.end())
        return fallback;
    // Text formats keep booleans as the words true and false; anything else is not a Boolean.
    const auto text = found->second.text();
    if (text == QLatin1String("true"))
        return true;
    if (text == QLatin1String("false"))
        return false;
    return fallback;
}

bool AppSettings::writeBool(const QString& key, bool fallback, bool value)
{
    const bool changed = readBool(key, fallback) != value;
    store(key, Value::text(value ? QStringLiteral("true") : QStringLiteral("false")));
    return changed;
}

bool AppSettings::showMenuBar() const { return readBool(showMenuBarKey, true); }
bool AppSettings::onboarded() const { return readBool(onboardedKey, false); }
bool AppSettings::keepUsageHistory() const { return readBool(keepUsageHistoryKey, true); }

std::optional<std::string> AppSettings::lastSpeedTest() const
{
    const auto found = values_.find(lastSpeedTestKey);
    if (found == values_.end())
        return std::nullopt;
    const auto text = found->second.text();
    if (!text)
        return std::nullopt;
    return text->toStdString();
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
    store(lastSpeedTestKey, json ? std::optional<Value>(Value::text(QString::fromStdString(*json))) : std::nullopt);
    if (changed)
        Q_EMIT lastSpeedTestChanged();
}

void AppSettings::setAutomationPrimer(const std::string& bundleID, bool value)
{
    if (writeBool(primerKey(bundleID), false, value))
        Q_EMIT automationPrimerChanged(QString::fromStdString(bundleID));
}

} // namespace corvane
