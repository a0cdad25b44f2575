#include "CorvaneApp/SettingsText.hpp"

#include "Tests/Support/FakeTree.hpp"

#include <QByteArray>
#include <QSettings>
#include <QVariant>
#include <gtest/gtest.h>

#include <functional>
#include <string>

using namespace corvane;
using SettingsText::Value;

namespace {

// QSettings keeps what it read of a file for the life of the process, by name: each
// file it reads or writes here has a name of its own.
std::string freshName()
{
    static int counter = 0;
    return "settings-" + std::to_string(counter++) + ".conf";
}

QByteArray writtenByQSettings(const test::FakeTree& tree, const std::function<void(QSettings&)>& fill)
{
    const std::string name = freshName();
    {
        QSettings settings(QString::fromStdString(tree.path(name)), QSettings::IniFormat);
        fill(settings);
    }
    return QByteArray::fromStdString(tree.read(name));
}

// QSettings' reading of `text`: every key, with its value where that is text (a string
// or a list of them), else with none (a byte array, a size, a point …).
QVariantMap readByQSettings(const test::FakeTree& tree, const QByteArray& text, QSettings::Status* status = nullptr)
{
    QSettings settings(QString::fromStdString(tree.write(freshName(), text.toStdString())), QSettings::IniFormat);
    QVariantMap values;
    for (const QString& key : settings.allKeys()) {
        const QVariant value = settings.value(key);
        const auto type = value.typeId();
        values.insert(key, type == QMetaType::QString || type == QMetaType::QStringList ? value : QVariant());
    }
    if (status)
        *status = settings.status();
    return values;
}

// The same of values read here.
QVariantMap asQSettingsReadsThem(const SettingsText::Values& values)
{
    QVariantMap read;
    for (const auto& [key, value] : values)
        read.insert(key, value.list ? QVariant(value.strings) : value.text() ? QVariant(*value.text()) : QVariant());
    return read;
}

} // namespace

// What QSettings writes, and texts people write by hand in every form QSettings reads:
// each reads here as it reads there, and what is written here reads back the same in
// both. A file QSettings wrote keeps its very bytes. What QSettings refuses is refused.
TEST(SettingsText, ReadsAndWritesTextsAsQSettingsDoes)
{
    test::FakeTree tree;
    const QByteArray byQSettings = writtenByQSettings(tree, [](QSettings& settings) {
        settings.setValue("onboarded", true);
        settings.setValue("lastSpeedTest", R"({"downloadMbps":100,"uploadMbps":20.5})");
        settings.setValue("empty", "");
        settings.setValue("spaced", "  both ends  ");
        settings.setValue("special", "a;b=c\"d\\e\tf\ng\r");
        settings.setValue("controls", QString(QChar(0x01)) + "1" + QChar(0x1F) + "f");
        settings.setValue("withNul", QString("a") + QChar(0) + "7");
        settings.setValue("at", "@Size(1 2)");
        settings.setValue("unicode", QString::fromUtf8("caf\u00e9 \u20ac \xF0\x9F\x90\xA6 bird"));
        settings.setValue("list", QStringList{"a", " b ", "c,d", ""});
        settings.setValue("emptyList", QStringList{});
        settings.setValue("bytes", QByteArray("\x00\x7f\x80\xff", 4));
        settings.setValue("Window/state", "kept");
        settings.setValue("Window/deeper/key", "deep");
        settings.setValue("General/x", "a section named General");
        settings.setValue("key with spaces/\u00e9 \u20ac", "escaped names");
    });
    const QByteArray texts[] = {
        byQSettings,
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
    for (const QByteArray& text : texts) {
        SCOPED_TRACE(text.toStdString());
        const auto values = SettingsText::parse(text);
        ASSERT_TRUE(values);
        QSettings::Status status = QSettings::NoError;
        const QVariantMap qsettings = readByQSettings(tree, text, &status);
        EXPECT_EQ(status, QSettings::NoError);
        EXPECT_EQ(asQSettingsReadsThem(*values), qsettings);

        const QByteArray written = SettingsText::write(*values);
        EXPECT_EQ(SettingsText::parse(written), values) << written.toStdString();
        EXPECT_EQ(readByQSettings(tree, written), qsettings) << written.toStdString();
        if (text == byQSettings) {
            EXPECT_EQ(written, text);
        }
    }
    // What QSettings would not read as settings is no settings text here either.
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
    // A mark of UTF-8 at the start, as some editors write, is no part of the text.
    EXPECT_EQ(SettingsText::parse("\xef\xbb\xbf[General]\nonboarded=true\n"),
              SettingsText::parse("[General]\nonboarded=true\n"));
    // Text the app stores reads in QSettings as that very text, even text that looks typed.
    const QString withNul = QString("nul") + QChar(0);
    const QByteArray stored = SettingsText::write({{"at", Value::text("@Size(1 2)")}, {"nul", Value::text(withNul)}});
    EXPECT_EQ(readByQSettings(tree, stored), (QVariantMap{{"at", "@Size(1 2)"}, {"nul", withNul}}));
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
        }
    }
}
