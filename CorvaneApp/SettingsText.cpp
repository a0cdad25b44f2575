#include "CorvaneApp/SettingsText.hpp"

#include <QFile>
#include <QSettings>
#include <QTemporaryDir>

#include <stdexcept>

namespace corvane::SettingsText {
namespace {

// A folder only this process can reach, removed with what is in it.
class PrivateCopy {
public:
    PrivateCopy()
    {
        if (!folder_.isValid())
            throw std::runtime_error("no private folder for the settings text: " + folder_.errorString().toStdString());
    }
    QString file() const { return folder_.filePath(QStringLiteral("settings.ini")); }

private:
    QTemporaryDir folder_;
};

} // namespace

std::optional<QVariantMap> parse(const QByteArray& text)
{
    const PrivateCopy copy;
    QFile file(copy.file());
    if (!file.open(QIODevice::WriteOnly) || file.write(text) != text.size() || !file.flush())
        throw std::runtime_error("cannot copy the settings text: " + file.errorString().toStdString());
    file.close();
    QSettings settings(copy.file(), QSettings::IniFormat);
    // QSettings reads the file on first use, and only then knows whether it could.
    const QStringList keys = settings.allKeys();
    if (settings.status() != QSettings::NoError)
        return std::nullopt;
    QVariantMap values;
    for (const QString& key : keys)
        values.insert(key, settings.value(key));
    return values;
}

QByteArray write(const QVariantMap& values)
{
    const PrivateCopy copy;
    {
        QSettings settings(copy.file(), QSettings::IniFormat);
        for (auto it = values.cbegin(); it != values.cend(); ++it)
            settings.setValue(it.key(), it.value());
        settings.sync();
        if (settings.status() != QSettings::NoError)
            throw std::runtime_error("cannot write the settings text");
    }
    QFile file(copy.file());
    // No values, no file: the text of nothing is empty.
    if (!file.exists())
        return {};
    if (!file.open(QIODevice::ReadOnly))
        throw std::runtime_error("cannot read the settings text back: " + file.errorString().toStdString());
    return file.readAll();
}

} // namespace corvane::SettingsText
