#include "CorvaneApp/Platform/LoginItem.hpp"

#include "Core/Files.hpp"
#include "CorvaneApp/KeptFile.hpp"
#include "CorvaneApp/Logging.hpp"
#include "Platform/DesktopEntry.hpp"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

#include <system_error>

namespace corvane {

namespace {

const QString entryName = QStringLiteral("corvane.desktop");

// An Exec argument: quoted when it holds a reserved character, with the characters
// that stay special inside quotes escaped; then every backslash and percent sign
// escaped again for the desktop entry's own string rules.
QString execArgument(const QString& argument)
{
    static const QString reserved = QStringLiteral(" \t\n\"'\\><~|&;$*?#()`");
    bool needsQuotes = argument.isEmpty();
    for (const QChar c : argument)
        needsQuotes = needsQuotes || reserved.contains(c);
    QString quoted;
    if (needsQuotes) {
        quoted += u'"';
        for (const QChar c : argument) {
            if (c == u'"' || c == u'`' || c == u'$' || c == u'\\')
                quoted += u'\\';
            quoted += c;
        }
        quoted += u'"';
    } else {
        quoted = argument;
    }
    QString escaped;
    for (const QChar c : quoted) {
        if (c == u'\\')
            escaped += u'\\';
        else if (c == u'%')
            escaped += u'%';
        escaped += c;
    }
    return escaped;
}

} // namespace

std::unique_ptr<LoginItem> LoginItem::mainApp()
{
    return std::make_unique<LoginItem>(
        QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) + QStringLiteral("/autostart"),
        QCoreApplication::applicationFilePath());
}

LoginItem::LoginItem(QString autostartFolder, QString executable)
    : folder_(std::move(autostartFolder)), executable_(std::move(executable))
{
}

QString LoginItem::entryPath() const
{
    return folder_ + u'/' + entryName;
}

bool LoginItem::isEnabled() const
{
    // Read as the settings file is: only the person's own file, opened once.
    const auto found = Files::readKept(QFile::encodeName(entryPath()).toStdString(), DesktopEntry::maxBytes);
    if (found.place != Files::Place::file)
        return false;
    const auto keys = DesktopEntry::parse(found.content);
    return !DesktopEntry::isTrue(keys, "Hidden") && DesktopEntry::value(keys, "X-GNOME-Autostart-enabled") != "false";
}

QString LoginItem::entryText(const QString& executable)
{
    return QStringLiteral("[Desktop Entry]\n"
                          "Type=Application\n"
                          "Name=Corvane\n"
                          "Comment=What is holding your computer back right now\n"
                          "Exec=%1\n"
                          "Icon=corvane\n"
                          "Terminal=false\n"
                          "X-GNOME-Autostart-enabled=true\n")
        .arg(execArgument(executable));
}

bool LoginItem::registerApp()
{
    if (executable_.isEmpty())
        return false;
    // Bytes that are no entry at all are kept aside rather than replaced; an entry of the
    // person's own, wherever a link leads, is written over where it lies.
    const QString path = entryPath();
    const auto found = Files::readKept(QFile::encodeName(path).toStdString(), DesktopEntry::maxBytes);
    if (found.place == Files::Place::file && !found.content.empty() && DesktopEntry::parse(found.content).empty() &&
        !KeptFile::setAside(path, "autostart entry", "cannot be read as a desktop entry"))
        return false;
    try {
        KeptFile::write(path, entryText(executable_).toUtf8(), DesktopEntry::maxBytes, "autostart entry");
        return true;
    } catch (const std::system_error& error) {
        qCWarning(settingsLog, "autostart entry %s cannot be written (%s)", qPrintable(path), error.what());
        return false;
    }
}

bool LoginItem::unregisterApp()
{
    QFile file(entryPath());
    if (!file.exists() && !QFileInfo(entryPath()).isSymLink())
        return true;
    return file.remove();
}

} // namespace corvane
