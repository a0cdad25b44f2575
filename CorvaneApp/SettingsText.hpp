#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringList>

#include <cstddef>
#include <functional>
#include <map>
#include <optional>

// The settings file's text, in the INI form QSettings keeps, read and written here in
// memory: sections of "key=value" lines, keys escaped with "%XX", "%UXXXX" and "\" for
// "/", values with C escapes and quotes, commas between the items of a list, typed values
// written as "@Type(…)". What QSettings wrote reads back here as it reads there, and what
// is written here reads back the same in both, keys sorted in their sections as QSettings
// sorts new ones. Values are kept as the text holds them, before a type is read into them,
// so a value the app does not know is written back as it was.
namespace corvane::SettingsText {

// One value: a string, or a list of them.
struct Value {
    QStringList strings;  // exactly one unless `list`
    bool list = false;

    bool operator==(const Value&) const = default;

    // A text value as QSettings writes a string: with a NUL in it as "@String(…)", else
    // with a leading "@" doubled.
    static Value text(const QString& text);
    // The string a text value holds; nothing for a list or a value of another type
    // ("@ByteArray(…)", "@Size(…)" …).
    std::optional<QString> text() const;
};

// Values by key: top-level keys by name (in the text's [General] section), others as
// "<section>/<key>".
using Values = std::map<QString, Value>;

// The keys and values of the text; nothing when QSettings would not read it as settings
// (a line that is neither a key, a section nor a comment; a section without its "]").
std::optional<Values> parse(QByteArrayView text);

// The text of the values: [General] first, then the other sections by name.
QByteArray write(const Values& values);

struct Fitted {
    QByteArray text;
    int left = 0;  // keys left out
};

// The text of the values in at most `maxBytes`: when all of them take more, the keys
// `keep` does not hold onto are left out, the last ones first, until the rest fits.
// Nothing when the keys to keep do not fit on their own.
std::optional<Fitted> write(const Values& values, std::size_t maxBytes,
                            const std::function<bool(const QString& key)>& keep);

} // namespace corvane::SettingsText
