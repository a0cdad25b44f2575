#include "CorvaneApp/SettingsText.hpp"

#include "Core/Numbers.hpp"

#include <QStringDecoder>

#include <limits>
#include <vector>

namespace corvane::SettingsText {
namespace {

bool isSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\r';
}

// Characters that end a stretch of plain text in a value.
bool endsPlainText(char c)
{
    return c == '\\' || c == '"' || c == ',';
}

int hexDigit(char16_t c)
{
    return Numbers::hexDigit(c).value_or(-1);
}

int octalDigit(char c)
{
    return c >= '0' && c <= '7' ? c - '0' : -1;
}

// One line of the text, as QSettings splits it: from its first character that is no
// blank to its end (a line break or an unquoted ";" after which a comment runs on); a
// quoted part and a backslash with what follows it, a line break too, belong to it.
// Comment lines are passed over.
struct Line {
    QByteArrayView text;
    qsizetype equals = -1;  // where its first unquoted "=" is; -1 when it has none
};

// The line from `pos` on, `pos` moved past it; false at the end of the text.
bool nextLine(QByteArrayView data, qsizetype& pos, Line& line)
{
    const qsizetype size = data.size();
    qsizetype start = pos;
    while (start < size && isSpace(data[start]))
        ++start;
    bool inQuotes = false;
    line.equals = -1;
    qsizetype i = start;
    while (i < size) {
        const char c = data[i++];
        if (c == '=') {
            if (!inQuotes && line.equals < 0)
                line.equals = i - 1 - start;
        } else if (c == '\n' || c == '\r') {
            if (!inQuotes) {
                --i;
                break;
            }
        } else if (c == '\\') {
            if (i < size) {
                const char next = data[i++];
                if (i < size && ((next == '\n' && data[i] == '\r') || (next == '\r' && data[i] == '\n')))
                    ++i;
            }
        } else if (c == '"') {
            inQuotes = !inQuotes;
        } else if (c == ';') {
            if (i == start + 1) {
                while (i < size && data[i] != '\n' && data[i] != '\r')
                    ++i;
                while (i < size && isSpace(data[i]))
                    ++i;
                start = i;
            } else if (!inQuotes) {
                --i;
                break;
            }
        }
    }
    pos = i;
    line.text = data.sliced(start, i - start);
    return !line.text.isEmpty();
}

// A key or section name: UTF-8, with "\" for "/" and "%XX" or "%UXXXX" for a character.
QString unescapedKey(QByteArrayView key)
{
    const QString decoded = QString::fromUtf8(key);
    QString result;
    result.reserve(decoded.size());
    qsizetype i = 0;
    while (i < decoded.size()) {
        const QChar c = decoded[i];
        if (c == u'\\') {
            result += u'/';
            ++i;
            continue;
        }
        qsizetype first = i + 1;
        int digits = 2;
        if (c == u'%' && first < decoded.size() && decoded[first] == u'U') {
            ++first;
            digits = 4;
        }
        char16_t code = 0;
        bool ok = c == u'%' && first + digits <= decoded.size();
        for (int d = 0; ok && d < digits; ++d) {
            const int value = hexDigit(decoded[first + d].unicode());
            ok = value >= 0;
            code = static_cast<char16_t>(code * 16 + value);
        }
        if (!ok) {
            result += c;
            ++i;
            continue;
        }
        result += QChar(code);
        i = first + digits;
    }
    return result;
}

// A value: blanks around items dropped unless quoted, C escapes ("\n", "\x41", "\101",
// a backslash before a line break to go on), commas between items of a list, UTF-8.
// QSettings' own reading, step by step, so that odd texts read the same here.
Value unescapedValue(QByteArrayView text)
{
    const qsizetype size = text.size();
    QStringDecoder utf8(QStringDecoder::Utf8);
    Value value;
    QString current;
    bool inQuotes = false;
    bool quoted = false;      // the current item had a quoted part
    bool chopAtEnd = true;    // blanks at the end are dropped, unless an escape ended it
    qsizetype chopLimit = 0;  // blanks before here came from escapes or quotes: kept
    qsizetype i = 0;
    const auto skipBlanks = [&] {
        while (i < size && (text[i] == ' ' || text[i] == '\t'))
            ++i;
        chopLimit = current.size();
    };
    const auto chop = [&] {
        qsizetype n = current.size();
        while (n > chopLimit && (current[n - 1] == u' ' || current[n - 1] == u'\t'))
            --n;
        current.truncate(n);
    };
    // The number of an escape: its digits, as many as follow.
    const auto number = [&](char16_t first, int base, auto digit) {
        char16_t code = first;
        while (i < size && digit(text[i]) >= 0)
            code = static_cast<char16_t>(code * base + digit(text[i++]));
        current += QChar(code);
        if (i >= size)
            chopAtEnd = false;
        chopLimit = current.size();
    };
    skipBlanks();
    while (i < size && chopAtEnd) {
        const char c = text[i];
        if (c == '\\') {
            if (++i >= size) {
                chopAtEnd = false;
                break;
            }
            const char escaped = text[i++];
            static const char simple[][2] = {{'a', '\a'}, {'b', '\b'}, {'f', '\f'}, {'n', '\n'},
                                             {'r', '\r'}, {'t', '\t'}, {'v', '\v'}, {'"', '"'},
                                             {'?', '?'},  {'\'', '\''}, {'\\', '\\'}};
            bool done = false;
            for (const auto& [letter, meaning] : simple) {
                if (escaped == letter) {
                    current += QLatin1Char(meaning);
                    done = true;
                    break;
                }
            }
            if (done) {
                chopLimit = current.size();
            } else if (escaped == 'x') {
                if (i >= size) {
                    chopAtEnd = false;
                    break;
                }
                if (hexDigit(static_cast<unsigned char>(text[i])) >= 0)
                    number(0, 16, [](char d) { return hexDigit(static_cast<unsigned char>(d)); });
                else
                    chopLimit = current.size();  // "\x" without digits stands for nothing
            } else if (octalDigit(escaped) >= 0) {
                number(static_cast<char16_t>(octalDigit(escaped)), 8, octalDigit);
            } else {
                // A line break (one of \n, \r, \r\n, \n\r) goes on with the next line;
                // any other character after a backslash is dropped with it.
                if ((escaped == '\n' || escaped == '\r') && i < size && (text[i] == '\n' || text[i] == '\r') &&
                    text[i] != escaped)
                    ++i;
                chopLimit = current.size();
            }
        } else if (c == '"') {
            ++i;
            quoted = true;
            inQuotes = !inQuotes;
            if (!inQuotes)
                skipBlanks();
        } else if (c == ',' && !inQuotes) {
            if (!quoted)
                chop();
            value.list = true;
            value.strings.append(current);
            current.clear();
            quoted = false;
            ++i;
            skipBlanks();
        } else {
            qsizetype end = i + 1;
            while (end < size && !endsPlainText(text[end]))
                ++end;
            current += utf8(text.sliced(i, end - i));
            i = end;
        }
    }
    if (chopAtEnd && !quoted)
        chop();
    value.strings.append(current);
    return value;
}

const char hexUpper[] = "0123456789ABCDEF";

// A key or section name as QSettings writes one; but a "/" at its end, which as "\" would
// take the "=" after it into the key, as "%2F".
void appendKey(QByteArray& out, const QString& key)
{
    for (qsizetype i = 0; i < key.size(); ++i) {
        const char16_t c = key[i].unicode();
        if (c == u'/' && i + 1 < key.size()) {
            out += '\\';
        } else if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_' ||
                   c == '-' || c == '.') {
            out += static_cast<char>(c);
        } else if (c <= 0xFF) {
            out += '%';
            out += hexUpper[c >> 4];
            out += hexUpper[c & 0xF];
        } else {
            out += "%U";
            for (int shift = 12; shift >= 0; shift -= 4)
                out += hexUpper[(c >> shift) & 0xF];
        }
    }
}

void appendUtf8(QByteArray& out, char32_t c)
{
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (c >> 18));
        out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

// One string as QSettings writes one: C escapes, quoted when it holds ";", "," or "=" or
// begins or ends with a blank. Byte containers keep every character above ASCII as an
// escape; other text is UTF-8, but a lone half of a surrogate pair, which UTF-8 cannot
// hold, and a byte order mark, which reading drops at the start of a value, are escaped
// too, so that they read back as they were.
void appendString(QByteArray& out, const QString& text)
{
    const bool bytes = text.startsWith(QLatin1String("@ByteArray(")) || text.startsWith(QLatin1String("@Variant(")) ||
                       text.startsWith(QLatin1String("@DateTime("));
    const qsizetype start = out.size();
    bool needsQuotes = false;
    bool escapeHexDigit = false;  // after a numeric escape a digit would join it
    const auto escapeNumber = [&](char16_t c) {
        out += "\\x";
        out += QByteArray::number(c, 16);
        escapeHexDigit = true;
    };
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t c = text[i].unicode();
        needsQuotes = needsQuotes || c == ';' || c == ',' || c == '=';
        if (escapeHexDigit && hexDigit(c) >= 0) {
            escapeNumber(c);
            continue;
        }
        escapeHexDigit = false;
        switch (c) {
        case 0:
            out += "\\0";
            escapeHexDigit = true;
            break;
        case '\a': out += "\\a"; break;
        case '\b': out += "\\b"; break;
        case '\f': out += "\\f"; break;
        case '\n': out += "\\n"; break;
        case '\r': out += "\\r"; break;
        case '\t': out += "\\t"; break;
        case '\v': out += "\\v"; break;
        case '"':
        case '\\':
            out += '\\';
            out += static_cast<char>(c);
            break;
        default:
            if (c <= 0x1F || (c >= 0x7F && bytes)) {
                escapeNumber(c);
            } else if (QChar::isHighSurrogate(c) && i + 1 < text.size() && text[i + 1].isLowSurrogate()) {
                appendUtf8(out, QChar::surrogateToUcs4(c, text[i + 1].unicode()));
                ++i;
            } else if (QChar::isSurrogate(c) || c == 0xFEFF) {
                escapeNumber(c);
            } else {
                appendUtf8(out, c);
            }
        }
    }
    if (needsQuotes || (out.size() > start && (out[start] == ' ' || out.back() == ' '))) {
        out.insert(start, '"');
        out += '"';
    }
}

void appendValue(QByteArray& out, const Value& value)
{
    if (value.list && value.strings.isEmpty()) {
        out += "@Invalid()";  // how QSettings writes an empty list
        return;
    }
    for (qsizetype i = 0; i < value.strings.size(); ++i) {
        if (i > 0)
            out += ", ";
        appendString(out, value.strings[i]);
    }
}

struct Entry {
    QString key;
    QByteArray line;
    bool kept = true;
};

struct Section {
    QByteArray header;  // with its line break
    std::vector<Entry> entries;
    qsizetype kept = 0;
};

// The sections of the text, [General] first, then by name; in each, its keys by name.
std::vector<Section> layout(const Values& values)
{
    std::map<QString, Section> sections;
    for (const auto& [key, value] : values) {
        const qsizetype slash = key.indexOf(u'/');
        const QString name = slash < 0 ? QString() : key.left(slash);
        Section& section = sections[name];
        if (section.header.isEmpty()) {
            if (name.isEmpty()) {
                section.header = "[General]";
            } else {
                QByteArray escaped;
                appendKey(escaped, name);
                // A section named so escapes its name with a "%", in whatever case it has.
                section.header = "[" + (escaped.compare("general", Qt::CaseInsensitive) == 0 ? "%" + escaped : escaped) + "]";
            }
            section.header += '\n';
        }
        Entry entry{key, {}};
        appendKey(entry.line, slash < 0 ? key : key.sliced(slash + 1));
        entry.line += '=';
        appendValue(entry.line, value);
        entry.line += '\n';
        section.entries.push_back(std::move(entry));
        ++section.kept;
    }
    std::vector<Section> ordered;
    for (auto& [name, section] : sections)
        ordered.push_back(std::move(section));
    return ordered;
}

} // namespace

Value Value::text(const QString& text)
{
    if (text.contains(QChar::Null))
        return {{QStringLiteral("@String(") + text + u')'}};
    if (text.startsWith(u'@'))
        return {{u'@' + text}};
    return {{text}};
}

std::optional<QString> Value::text() const
{
    if (list || strings.size() != 1)
        return std::nullopt;
    const QString& text = strings.front();
    if (!text.startsWith(u'@'))
        return text;
    if (text.startsWith(QLatin1String("@String(")) && text.endsWith(u')'))
        return text.sliced(8).chopped(1);
    if (text.startsWith(QLatin1String("@@")))
        return text.sliced(1);
    return std::nullopt;
}

std::optional<Values> parse(QByteArrayView text)
{
    if (text.startsWith("\xef\xbb\xbf"))
        text = text.sliced(3);
    bool ok = true;
    // The lines of each section, those of a section named twice together; sections are
    // read by name, as QSettings reads them, so that of two naming one key the later
    // name wins.
    std::map<QString, std::vector<Line>> sections;
    QString section;
    qsizetype pos = 0;
    Line line;
    while (nextLine(text, pos, line)) {
        if (!line.text.startsWith('[')) {
            sections[section].push_back(line);
            continue;
        }
        qsizetype close = line.text.indexOf(']');
        if (close < 0) {
            ok = false;
            close = line.text.size();
        }
        const QByteArrayView name = line.text.first(close).sliced(1).trimmed();
        if (name.compare("general", Qt::CaseInsensitive) == 0) {
            section.clear();
            continue;
        }
        section = name.compare("%general", Qt::CaseInsensitive) == 0 ? QString::fromLatin1(name.sliced(1))
                                                                       : unescapedKey(name);
        section += u'/';
    }
    Values values;
    for (const auto& [name, lines] : sections) {
        for (const Line& entry : lines) {
            if (entry.equals < 0) {
                ok = false;
                continue;
            }
            QString key = name + unescapedKey(entry.text.first(entry.equals).trimmed());
            // A key cannot begin with "/": QSettings finds none that does, and writes one
            // without it.
            while (key.startsWith(u'/'))
                key.remove(0, 1);
            values[key] = unescapedValue(entry.text.sliced(entry.equals + 1));
        }
    }
    if (!ok)
        return std::nullopt;
    return values;
}

std::optional<Fitted> write(const Values& values, std::size_t maxBytes,
                            const std::function<bool(const QString& key)>& keep)
{
    std::vector<Section> sections = layout(values);
    // Each section's header and lines, and a blank line between two sections.
    std::size_t total = 0;
    std::size_t keptSections = sections.size();
    for (const Section& section : sections) {
        total += static_cast<std::size_t>(section.header.size());
        for (const Entry& entry : section.entries)
            total += static_cast<std::size_t>(entry.line.size());
    }
    if (keptSections > 1)
        total += keptSections - 1;
    Fitted fitted;
    for (auto section = sections.rbegin(); section != sections.rend() && total > maxBytes; ++section) {
        for (auto entry = section->entries.rbegin(); entry != section->entries.rend() && total > maxBytes; ++entry) {
            if (keep(entry->key))
                continue;
            entry->kept = false;
            ++fitted.left;
            total -= static_cast<std::size_t>(entry->line.size());
            if (--section->kept == 0) {
                total -= static_cast<std::size_t>(section->header.size());
                if (--keptSections > 0)
                    --total;
            }
        }
    }
    if (total > maxBytes)
        return std::nullopt;
    fitted.text.reserve(static_cast<qsizetype>(total));
    for (const Section& section : sections) {
        if (section.kept == 0)
            continue;
        if (!fitted.text.isEmpty())
            fitted.text += '\n';
        fitted.text += section.header;
        for (const Entry& entry : section.entries)
            if (entry.kept)
                fitted.text += entry.line;
    }
    return fitted;
}

QByteArray write(const Values& values)
{
    return write(values, std::numeric_limits<std::size_t>::max(), [](const QString&) { return true; })->text;
}

} // namespace corvane::SettingsText
