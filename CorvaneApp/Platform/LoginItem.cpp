#include "CorvaneApp/Platform/LoginItem.hpp"

#include "Core/Files.hpp"
#include "CorvaneApp/KeptFile.hpp"
#include "CorvaneApp/Logging.hpp"
#include "Platform/DesktopEntry.hpp"

#include <QCoreApplication>
#include <QList>
#include <QStandardPaths>

#include <optional>
#include <system_error>

namespace corvane {

namespace {

const QString entryName = QStringLiteral("corvane.desktop");
const char* const what = "autostart entry";
const char* const notAnEntry = "cannot be read as a desktop entry";

// Text in the entry's place that is not empty and no desktop entry.
bool noEntry(const QByteArray& text)
{
    return !text.isEmpty() && DesktopEntry::parse(text.toStdString()).empty();
}

// The entry's text with "Hidden=true" in its main group, in place of any "Hidden" line
// there, every other line as it was.
QByteArray hidden(const QByteArray& text)
{
    QList<QByteArray> lines = text.split('\n');
    qsizetype header = -1;
    bool inMain = false;
    bool replaced = false;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const QByteArray line = lines[i].trimmed();
        if (line.startsWith('[')) {
            inMain = line == "[Desktop Entry]";
            if (inMain && header < 0)
                header = i;
        } else if (inMain && line.startsWith("Hidden") && line.mid(6).trimmed().startsWith('=')) {
            lines[i] = "Hidden=true";
            replaced = true;
        }
    }
    if (header < 0)
        return "[Desktop Entry]\nHidden=true\n";
    if (!replaced)
        lines.insert(header + 1, "Hidden=true");
    return lines.join('\n');
}

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
    const auto found = Files::readKept(KeptFile::pathOf(entryPath()), DesktopEntry::maxBytes);
    if (found.place != Files::Place::file)
        return false;
    const auto keys = DesktopEntry::parse(found.content);
    return !keys.empty() && !DesktopEntry::isTrue(keys, "Hidden") &&
           DesktopEntry::value(keys, "X-GNOME-Autostart-enabled") != "false";
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
    const QString path = entryPath();
    const QByteArray text = entryText(executable_).toUtf8();
    try {
        // Bytes that are no entry at all are kept aside rather than replaced; an entry of
        // the person's own, wherever a link leads, is written over where it lies.
        KeptFile::write(
            path, DesktopEntry::maxBytes, what,
            [&](const QByteArray* current) -> std::optional<QByteArray> {
                if (current && noEntry(*current))
                    return std::nullopt;
                return text;
            },
            notAnEntry);
        return true;
    } catch (const std::system_error& error) {
        qCWarning(settingsLog, "autostart entry %s cannot be written (%s)", qPrintable(path), error.what());
        return false;
    }
}

bool LoginItem::unregisterApp()
{
    const QString path = entryPath();
    try {
        const auto kept = Files::Kept::find(KeptFile::pathOf(path), DesktopEntry::maxBytes);
        const Files::Found& found = kept.found();
        switch (found.place) {
        case Files::Place::empty:
            return true;
        case Files::Place::folder:
            return false;
        case Files::Place::file:
            if (!found.linked) {
                kept.remove();
                return true;
            }
            // A link into the person's own files stays a link, and their copy stays
            // current: the entry it leads to is hidden, as the session reads it.
            KeptFile::write(
                path, DesktopEntry::maxBytes, what,
                [](const QByteArray* current) -> std::optional<QByteArray> {
                    if (!current || noEntry(*current))
                        return std::nullopt;
                    return hidden(*current);
                },
                notAnEntry);
            return true;
        case Files::Place::tooLarge:
        case Files::Place::notYours:
        case Files::Place::notRegular:
        case Files::Place::unreadable:
            // No entry of the person's: moved out of the session's way, kept all the same.
            return KeptFile::setAside(kept, path, what, KeptFile::problem(found, DesktopEntry::maxBytes));
        }
    } catch (const std::system_error& error) {
        qCWarning(settingsLog, "autostart entry %s cannot be switched off (%s)", qPrintable(path), error.what());
    }
    return false;
}

} // namespace corvane
