#include "CorvaneApp/Platform/DesktopEntry.hpp"

#include "Core/Files.hpp"

namespace corvane::DesktopEntry {

namespace {

QString unescaped(QStringView value)
{
    QString result;
    result.reserve(value.size());
    for (qsizetype i = 0; i < value.size(); ++i) {
        if (value[i] != u'\\' || i + 1 == value.size()) {
            result += value[i];
            continue;
        }
        switch (value[++i].unicode()) {
        case 's': result += u' '; break;
        case 'n': result += u'\n'; break;
        case 't': result += u'\t'; break;
        case 'r': result += u'\r'; break;
        default: result += value[i]; break;
        }
    }
    return result;
}

} // namespace

QHash<QString, QString> parse(const QString& text)
{
    QHash<QString, QString> keys;
    bool inMainGroup = false;
    for (const QStringView line : QStringView(text).split(u'\n')) {
        const QStringView trimmed = line.trimmed();
        if (trimmed.isEmpty() || trimmed.startsWith(u'#'))
            continue;
        if (trimmed.startsWith(u'[')) {
            inMainGroup = trimmed == u"[Desktop Entry]";
            continue;
        }
        const qsizetype equals = trimmed.indexOf(u'=');
        if (!inMainGroup || equals <= 0)
            continue;
        const QString key = trimmed.left(equals).trimmed().toString();
        // The first occurrence of a key counts; a repeated key is malformed.
        if (!keys.contains(key))
            keys.insert(key, unescaped(trimmed.mid(equals + 1).trimmed()));
    }
    return keys;
}

QHash<QString, QString> read(const QString& path)
{
    const auto bytes = Files::read(path.toStdString());
    return bytes ? parse(QString::fromUtf8(bytes->data(), qsizetype(bytes->size()))) : QHash<QString, QString>{};
}

} // namespace corvane::DesktopEntry
