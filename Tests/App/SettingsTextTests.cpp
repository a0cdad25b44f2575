#include "CorvaneApp/SettingsText.hpp"

#include "Tests/Support/FakeTree.hpp"

#include <QByteArray>
#include <QPoint>
#include <QSettings>
#include <QSize>
#include <QVariant>
#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <string>

using namespace corvane;
using SettingsText::Value;

namespace {

// QSettings keeps what it read of a file for the life of the process, by name: each
// file it reads here has a name of its own.
QString freshName(const test::FakeTree& tree)
{
    static std::atomic<int> counter{0};
    return QString::fromStdString(tree.path("settings-" + std::to_string(counter++) + ".conf"));
}

QByteArray writtenByQSettings(const test::FakeTree& tree, const std::function<void(QSettings&)>& fill)
{
    const QString file = freshName(tree);
    {
        QSettings settings(file, QSettings::IniFormat);
        fill(settings);
    }
    return QByteArray::fromStdString(tree.read(std::filesystem::path(file.toStdString()).filename().string()));
}

// QSettings' reading of `text`, every key with its value.
QVariantMap readByQSettings(const test::FakeTree& tree, const QByteArray& text, QSettings::Status* status = nullptr)
{
    const QString file = freshName(tree);
    tree.write(std::filesystem::path(file.toStdString()).filename().string(), text.toStdString());
    QSettings settings(file, QSettings::IniFormat);
    QVariantMap values;
    for (const QString& key : settings.allKeys())
        values.insert(key, settings.value(key));
    if (status)
        *status = settings.status();
    return values;
}

// A value as QSettings hands it out for text: a string, or a list of them.
QVariant asQSettingsReadsIt(const Value& value)
{
    if (value.list)
        return value.strings;
    return value.text() ? QVariant(*value.text()) : QVariant();
}

} // namespace

// Values QSettings writes come back here as it reads them, and written again here they
// are the very same text: a file an earlier version wrote keeps its bytes.
TEST(SettingsText, ReadsAndWritesWhatQSettingsWrites)
{
    test::FakeTree tree;
    const QString emoji = QString::fromUtf8("\xF0\x9F\x90\xA6 bird");
    const QByteArray text = writtenByQSettings(tree, [&](QSettings& settings) {
        settings.setValue("onboarded", true);
        settings.setValue("lastSpeedTest", R"({"downloadMbps":100,"uploadMbps":20.5})");
        settings.setValue("plain", "word");
        settings.setValue("empty", "");
        settings.setValue("spaced", "  both ends  ");
        settings.setValue("special", "a;b=c\"d\\e\tf\ng\r");
        settings.setValue("controls", QString(QChar(0x01)) + "1" + QChar(0x1F) + "f");
        settings.setValue("withNul", QString("a") + QChar(0) + "7");
        settings.setValue("at", "@Size(1 2)");
        settings.setValue("unicode", QString::fromUtf8("caf\u00e9 \u20ac ") + emoji);
        settings.setValue("list", QStringList{"a", " b ", "c,d", ""});
        settings.setValue("emptyList", QStringList{});
        settings.setValue("bytes", QByteArray("\x00\x7f\x80\xff", 4));
        settings.setValue("size", QSize(3, 4));
        settings.setValue("point", QPoint(-1, 2));
        settings.setValue("number", 42);
        settings.setValue("Window/state", "kept");
        settings.setValue("Window/deeper/key", "deep");
        settings.setValue("General/x", "a section named General");
        settings.setValue("key with spaces/\u00e9 \u20ac", "escaped names");
    });
    const auto values = SettingsText::parse(text);
    ASSERT_TRUE(values);
    const QVariantMap qsettings = readByQSettings(tree, text);
    ASSERT_EQ(values->size(), static_cast<std::size_t>(qsettings.size()));
    for (const auto& [key, value] : *values) {
        SCOPED_TRACE(key.toStdString());
        ASSERT_TRUE(qsettings.contains(key));
        const QVariant theirs = qsettings.value(key);
        const auto type = theirs.typeId();
        if (type == QMetaType::QString || type == QMetaType::QStringList)
            EXPECT_EQ(asQSettingsReadsIt(value), theirs);
        else
            EXPECT_FALSE(value.text());  // a byte array, a size, a point …
    }
    EXPECT_EQ(SettingsText::write(*values), text);
}

// Texts people write by hand, in every form QSettings reads: values read here as there,
// and what is written here reads back the same in both.
TEST(SettingsText, ReadsOddTextsAsQSettingsDoesAndWritesThemBackTheSame)
{
    const char* const texts[] = {
        "onboarded=true\n",  // no section: [General]
        "[General]\r\nonboarded = true \r\nshowMenuBar=false\r\n",
        "; a comment\n[general]\n  onboarded=true ; and another\n\n\n[Other]\nkey=\"quoted ; = , \"\n",
        "[General]\nlong=first \\\n  second\nescapes=\\x41\\x42z\\101\\0end\\q\\\"\n",
        "[General]\nquoted=\"a\nb\"\nlist = a , \"b\" ,c,\n",
        "[Window]\na=1\n[General]\nb=2\n[Window]\nc=3\na=4\n",  // a section twice: one section
        "[%General]\nkey=in a section named General\n[General]\nkey=top\n",
        "[a%20b]\nc%3Dd\\e=escaped names\n[%U20AC]\n%U00E9=\xe2\x82\xac\n",
        "[General]\nutf8=caf\xc3\xa9\nbroken=\xc3(\xa0\n",
        "[General]\ntrailing=a\\x20\\t\nskipped=a\\ \n",
    };
    test::FakeTree tree;
    for (const char* text : texts) {
        SCOPED_TRACE(text);
        const auto values = SettingsText::parse(QByteArray(text));
        ASSERT_TRUE(values);
        QSettings::Status status = QSettings::NoError;
        const QVariantMap qsettings = readByQSettings(tree, text, &status);
        EXPECT_EQ(status, QSettings::NoError);
        QVariantMap ours;
        for (const auto& [key, value] : *values)
            ours.insert(key, asQSettingsReadsIt(value));
        EXPECT_EQ(ours, qsettings);

        const QByteArray written = SettingsText::write(*values);
        EXPECT_EQ(SettingsText::parse(written), values) << written.toStdString();
        EXPECT_EQ(readByQSettings(tree, written), qsettings) << written.toStdString();
    }
    // A mark of UTF-8 at the start, as some editors write, is no part of the text.
    EXPECT_EQ(SettingsText::parse("\xef\xbb\xbf[General]\nonboarded=true\n"),
              SettingsText::parse("[General]\nonboarded=true\n"));
}

// Keys and values of every shape come back as they were written, where QSettings' own
// form would lose them: a key ending in "/" (its "\" would take in the "="), a lone half
// of a surrogate pair (no UTF-8 holds it), a byte order mark at the start of a value (a
// reader drops it there).
TEST(SettingsText, EveryKeyAndValueReadsBackAsWritten)
{
    const SettingsText::Values values{
        {"", {{"no name"}}},
        {"a/", {{"no name in a section"}}},
        {"a/b/", {{"ends in a slash"}}},
        {"a//b", {{"two slashes"}}},
        {"general/x", {{"a section named general"}}},
        {"x=y;z \"", {{"signs in a key"}}},
        {"lone", {{QString(QChar(0xD800)) + "a" + QChar(0xDC00)}}},
        {"mark", {{QString(QChar(0xFEFF)) + "after a mark"}}},
        {"list", {{"", " a ", "b,c", "\\"}, true}},
    };
    const QByteArray text = SettingsText::write(values);
    EXPECT_EQ(SettingsText::parse(text), values) << text.toStdString();
}

// What QSettings would not read as settings is no settings text here either.
TEST(SettingsText, TextQSettingsCannotReadIsRefused)
{
    test::FakeTree tree;
    for (const char* text : {"[General\nonboarded=true\n", "onboarded\n", "[General]\nonboarded=true\njust words\n",
                             "\x89PNG\r\n\x1a\n"}) {
        SCOPED_TRACE(text);
        EXPECT_FALSE(SettingsText::parse(QByteArray(text)));
        QSettings::Status status = QSettings::NoError;
        readByQSettings(tree, text, &status);
        EXPECT_EQ(status, QSettings::FormatError);
    }
    EXPECT_EQ(SettingsText::parse(""), SettingsText::Values{});
    EXPECT_EQ(SettingsText::write({}), QByteArray());
}

TEST(SettingsText, TextValuesAreWrittenAsQSettingsWritesStrings)
{
    const struct {
        QString text;
        QString written;
    } cases[]{
        {"plain", "plain"},
        {"@at the start", "@@at the start"},
        {QString("nul") + QChar(0), QString("@String(nul") + QChar(0) + ")"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text.toStdString());
        const Value value = Value::text(c.text);
        EXPECT_EQ(value.strings, QStringList{c.written});
        EXPECT_EQ(value.text(), c.text);
    }
    EXPECT_FALSE((Value{{"@ByteArray(x)"}}).text());
    EXPECT_FALSE((Value{{"a", "b"}, true}).text());
}

// Within a bound, the keys not to keep go first, from the end of the text, a section's
// header with its last key; what must be kept and does not fit is not written at all.
TEST(SettingsText, FittingLeavesOutKeysNotToKeepLastFirst)
{
    const SettingsText::Values values{
        {"keep", {{"1"}}},          {"other1", {{"xxxxxxxx"}}}, {"other2", {{"xxxxxxxx"}}},
        {"B/other", {{"xxxxxxxx"}}}, {"C/keep", {{"2"}}},
    };
    const auto keep = [](const QString& key) { return key.endsWith("keep"); };
    const QByteArray all = SettingsText::write(values);
    EXPECT_EQ(all, "[General]\nkeep=1\nother1=xxxxxxxx\nother2=xxxxxxxx\n\n[B]\nother=xxxxxxxx\n\n[C]\nkeep=2\n");
    const struct {
        std::size_t bound;
        std::optional<QByteArray> text;
        int left;
    } cases[]{
        {static_cast<std::size_t>(all.size()), all, 0},
        {static_cast<std::size_t>(all.size()) - 1, "[General]\nkeep=1\nother1=xxxxxxxx\nother2=xxxxxxxx\n\n[C]\nkeep=2\n",
         1},
        {50, "[General]\nkeep=1\nother1=xxxxxxxx\n\n[C]\nkeep=2\n", 2},
        {29, "[General]\nkeep=1\n\n[C]\nkeep=2\n", 3},
        {28, std::nullopt, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.bound);
        const auto fitted = SettingsText::write(values, c.bound, keep);
        ASSERT_EQ(fitted.has_value(), c.text.has_value());
        if (fitted) {
            EXPECT_EQ(fitted->text, *c.text);
            EXPECT_EQ(fitted->left, c.left);
            EXPECT_LE(static_cast<std::size_t>(fitted->text.size()), c.bound);
        }
    }
}
