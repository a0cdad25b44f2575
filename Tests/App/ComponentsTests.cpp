#include "Core/EnumNames.hpp"
#include "Core/ProcessCatalog.hpp"
#include "CorvaneApp/Components.hpp"
#include "CorvaneApp/ElidedLabel.hpp"
#include "CorvaneApp/FixButton.hpp"
#include "CorvaneApp/Fonts.hpp"
#include "CorvaneApp/ProcessTable.hpp"
#include "CorvaneApp/Screen.hpp"
#include "CorvaneApp/ScreenHeader.hpp"
#include "CorvaneApp/SymbolIcons.hpp"
#include "CorvaneApp/Theme.hpp"
#include "Tests/App/Support/AppHarness.hpp"
#include "Tests/App/Support/IconWorld.hpp"

#include <QFontDatabase>
#include <QFontInfo>
#include <QFontMetricsF>
#include <QImage>
#include <QPainter>
#include <gtest/gtest.h>

#include <filesystem>
#include <vector>

using namespace corvane;

namespace {

// How many pixels of each row hold ink, from the first inked row to the last: two
// drawings of one text at whole-pixel positions give the same list unless one is cut.
std::vector<int> inkRows(const QImage& image, const QColor& background)
{
    std::vector<int> rows;
    for (int y = 0; y < image.height(); ++y) {
        int ink = 0;
        for (int x = 0; x < image.width(); ++x)
            ink += image.pixelColor(x, y) != background ? 1 : 0;
        if (ink > 0 || !rows.empty())
            rows.push_back(ink);
    }
    while (!rows.empty() && rows.back() == 0)
        rows.pop_back();
    return rows;
}

// The text drawn with nothing near it to cut it off.
std::vector<int> freeInkRows(const QString& text, const QFont& font)
{
    QImage canvas(600, 120, QImage::Format_ARGB32_Premultiplied);
    canvas.fill(Theme::window());
    QPainter painter(&canvas);
    painter.setFont(font);
    painter.setPen(Theme::text());
    painter.drawText(QPoint(0, 60), text);
    painter.end();
    return inkRows(canvas, Theme::window());
}

} // namespace

TEST(Fonts, DesignSizesAreLogicalPixelsIncludingHalves)
{
    // One design point renders as one logical pixel, so a 13.5 font is taller than a 13 one.
    const QFont half = Fonts::system(13.5, QFont::DemiBold);
    EXPECT_NEAR(QFontInfo(half).pixelSize(), 13.5, 0.51);
    EXPECT_EQ(half.weight(), QFont::DemiBold);
    EXPECT_NEAR(QFontInfo(Fonts::system(30, QFont::Bold)).pixelSize(), 30, 0.51);
    EXPECT_GT(QFontMetricsF(Fonts::system(13.5)).height(), QFontMetricsF(Fonts::system(13)).height());
}

TEST(Fonts, MonoIsReallyFixedPitchWhicheverFontsAreInstalled)
{
    // Every check holds on any machine: what cannot be had there is skipped, not assumed.
    const QFont proportional = Fonts::system(13.5);
    const QFontMetricsF metrics(proportional);
    if (metrics.horizontalAdvance('i') != metrics.horizontalAdvance('W')) {
        EXPECT_FALSE(Fonts::isFixedPitch(proportional));
        EXPECT_NE(Fonts::fixedPitchFamily(QFontInfo(proportional).family()), QFontInfo(proportional).family());
    }
    bool anyFixed = false;
    for (const QString& family : QFontDatabase::families())
        anyFixed = anyFixed || Fonts::isFixedPitch(QFont(family));
    if (!anyFixed)
        GTEST_SKIP() << "no fixed-pitch font installed";

    // The system's own monospaced family may be a face with some wide glyphs.
    EXPECT_TRUE(Fonts::isFixedPitch(QFont(Fonts::fixedPitchFamily(QStringLiteral("No Such Family")))));
    const QFont mono = Theme::mono();
    EXPECT_TRUE(QFontInfo(mono).fixedPitch());
    const QFontMetricsF glyphs(mono);
    EXPECT_EQ(glyphs.horizontalAdvance(QStringLiteral("iiii")), glyphs.horizontalAdvance(QStringLiteral("W_m0")));
    if (QFontDatabase::hasFamily(QStringLiteral("DejaVu Sans Mono"))) {
        EXPECT_EQ(QFontInfo(mono).family().toStdString(), "DejaVu Sans Mono");
    }
}

TEST(ElidedLabel, KeepsEveryGlyphsInkInsideTheLabel)
{
    // Underscores and descenders reach lowest; a mono underscore sits on the descent line,
    // below what the rounded line height leaves room for.
    const QString name = QStringLiteral("g_y_p_q_j_");
    for (const QFont& font : {Theme::mono(), Fonts::mono(12.5), Fonts::system(12.5), Fonts::mono(11.5)}) {
        ElidedLabel label(font, Theme::text());
        label.setAutoFillBackground(true);
        QPalette palette = label.palette();
        palette.setColor(QPalette::Window, Theme::window());
        label.setPalette(palette);
        label.setText(name);
        const std::vector<int> whole = freeInkRows(name, font);
        ASSERT_FALSE(whole.empty());

        // At the height a layout may squeeze it to, and in a taller row.
        for (const int extra : {0, 9}) {
            label.resize(label.sizeHint().width(), label.minimumSizeHint().height() + extra);
            EXPECT_EQ(inkRows(label.grab().toImage(), Theme::window()), whole) << font.family().toStdString() << " " << font.pointSizeF();
        }
    }
}

TEST(SymbolIcons, EveryNamedSymbolIsBundledAndRecoloured)
{
    for (const auto kind : allCases<FindingKind>())
        EXPECT_TRUE(SymbolIcons::has(qs(symbol(kind)))) << toString(kind);
    for (const auto fix : allCases<FixID>())
        EXPECT_TRUE(SymbolIcons::has(qs(symbol(fix)))) << toString(fix);
    for (const auto screen : allCases<Screen>())
        EXPECT_TRUE(SymbolIcons::has(qs(icon(screen)))) << toString(screen);
    for (const char* name : {"checkmark.circle", "exclamationmark.triangle", "checkmark.shield", "lock.shield",
                             "checkmark.seal", "gearshape", "circle.fill", "pause.fill", "play.fill",
                             "chevron.right", "chevron.down", "questionmark.app", "hourglass"})
        EXPECT_TRUE(SymbolIcons::has(name)) << name;

    // The drawing keeps its shape and takes the asked colour; an unknown name still draws.
    for (const auto& entry : ProcessCatalog::load(CORVANE_CATALOG).entries())
        EXPECT_TRUE(SymbolIcons::has(qs(entry.symbol.value_or("gearshape")))) << entry.id;

    const QImage red = SymbolIcons::pixmap("circle.fill", QColor(248, 113, 113), 24).toImage();
    EXPECT_EQ(red.size(), QSize(24, 24));
    EXPECT_EQ(red.pixelColor(12, 12), QColor(248, 113, 113));
    EXPECT_EQ(red.pixelColor(0, 0).alpha(), 0);
    const QImage unknown = SymbolIcons::pixmap("no.such.symbol", Qt::white, 24, 2.0).toImage();
    EXPECT_EQ(unknown.size(), QSize(48, 48));
    EXPECT_FALSE(SymbolIcons::has("no.such.symbol"));
}

TEST(Components, PillsShowTheirTextSymbolAndColours)
{
    VerdictPill verdict(Verdict::leave);
    EXPECT_EQ(verdict.accessibleName(), "Verdict: Leave it");
    verdict.setVerdict(Verdict::safe);
    EXPECT_EQ(verdict.text(), "Safe to quit");
    EXPECT_EQ(verdict.property("symbol").toString(), "checkmark.circle");
    EXPECT_EQ(verdict.foreground(), Theme::green());

    StatusPill status(Status::struggling);
    EXPECT_EQ(status.property("symbol").toString(), "");
    status.setStatus(Status::quiet);
    EXPECT_EQ(status.accessibleName(), "Status: All quiet");

    // Padding 8 and 4 around the text whether or not a symbol leads it.
    Pill plain("Idle", "", Theme::text(), Theme::card());
    Pill withSymbol("Idle", "cpu", Theme::text(), Theme::card());
    const QSize text = QFontMetrics(Fonts::system(11.5, QFont::DemiBold)).size(0, "Idle");
    EXPECT_EQ(plain.sizeHint().width(), text.width() + 16);
    EXPECT_EQ(plain.sizeHint().height(), std::max(text.height(), 12) + 8);
    EXPECT_EQ(withSymbol.sizeHint().width(), text.width() + 16 + 12 + 5);
}

TEST(Components, CaptionsNotesCardsAndHeader)
{
    EXPECT_EQ(SectionLabel("And 2 more Causes").text(), "AND 2 MORE CAUSES");
    EXPECT_EQ(SectionLabel("and 2 MORE causes").text(), SectionLabel("And 2 more Causes").text());
    EXPECT_EQ(LeaveNote("Needed by macOS.").palette().color(QPalette::WindowText), Theme::text3());

    auto* content = new QLabel("x");
    content->setFixedSize(100, 20);
    Card card(content);
    EXPECT_EQ(card.sizeHint(), QSize(148, 68));

    ScreenHeader header("Overview", "Understand what's happening on your Mac.");
    EXPECT_EQ(header.titleLabel()->text(), "Overview");
    EXPECT_EQ(header.subtitleLabel()->palette().color(QPalette::WindowText), Theme::text2());
    EXPECT_EQ(header.titleLabel()->font().weight(), QFont::Bold);
}

TEST(Components, ProcessIconShowsTheSymbolSquareWithoutAnApp)
{
    test::AppHarness shell;
    ProcessGroup lone;
    lone.id = "pid:42";
    ProcessIcon icon(shell.icons, lone, "cpu", 34);
    EXPECT_EQ(icon.size(), QSize(34, 34));
    EXPECT_EQ(icon.property("symbol").toString(), "cpu");
    EXPECT_FALSE(icon.showsAppIcon());
    const QImage image = icon.grab().toImage();
    EXPECT_EQ(image.pixelColor(17, 4), Theme::raised());

    ProcessGroup missing;
    missing.appPath = "/nonexistent/Nowhere.app";
    icon.setGroup(missing, "gearshape");
    shell.harness.executor.runAll();
    EXPECT_FALSE(icon.showsAppIcon());
    EXPECT_EQ(icon.property("symbol").toString(), "gearshape");
}

namespace {

ProcessGroup appGroup(const std::string& appPath)
{
    ProcessGroup group;
    group.id = appPath;
    group.appPath = appPath;
    return group;
}

} // namespace

TEST(Components, ProcessIconLooksTheAppUpOffTheGUIThreadAndUpdatesInPlace)
{
    // The bundle's identifier names the desktop entry; its Icon is a file here.
    test::IconWorld world;
    const auto notes = world.bundle("Notes", "org.example.Notes");
    world.entry("org.example.Notes");
    test::AppHarness shell;

    ProcessIcon icon(shell.icons, appGroup(notes), "note.text", 32);
    EXPECT_FALSE(icon.showsAppIcon());  // the symbol square stands in meanwhile
    EXPECT_EQ(icon.grab().toImage().pixelColor(16, 2), Theme::raised());
    ASSERT_EQ(shell.harness.executor.pending(), 1u);
    shell.harness.executor.runAll();
    EXPECT_TRUE(icon.showsAppIcon());
    EXPECT_EQ(icon.grab().toImage().pixelColor(16, 16), QColor(Qt::red));

    // Known now: a second icon for the app shows it at once and asks nothing more.
    ProcessIcon again(shell.icons, appGroup(notes), "note.text", 32);
    EXPECT_TRUE(again.showsAppIcon());
    EXPECT_EQ(shell.harness.executor.pending(), 0u);
}

TEST(Components, AppIconsAreLookedUpOncePerBundleMissesIncluded)
{
    test::IconWorld world;
    const auto bare = world.bundle("Bare");
    test::AppHarness shell;
    ProcessIcon first(shell.icons, appGroup(bare), "gearshape", 32);
    ProcessIcon second(shell.icons, appGroup(bare), "gearshape", 32);
    EXPECT_EQ(shell.harness.executor.pending(), 1u);
    shell.harness.executor.runAll();
    first.setGroup(appGroup(bare), "gearshape");
    ProcessIcon third(shell.icons, appGroup(bare), "gearshape", 32);
    EXPECT_EQ(shell.harness.executor.pending(), 0u);
    EXPECT_FALSE(third.showsAppIcon());
}

TEST(Components, AnInfoPlistLargerThanMemoryCostsNothingAndTheBundleNameStillCounts)
{
    // Anyone can start a program from a bundle of their making; this one claims 64 GiB.
    test::IconWorld world;
    const auto huge = world.bundle("Huge", "org.example.Huge");
    std::filesystem::resize_file(huge + "/Contents/Info.plist", std::uintmax_t{64} << 30);
    world.entry("huge");
    test::AppHarness shell;
    ProcessIcon icon(shell.icons, appGroup(huge), "gearshape", 32);
    shell.harness.executor.runAll();
    EXPECT_TRUE(icon.showsAppIcon());
}

TEST(Components, FixButtonShowsItsFixAndAsksTheDispatcher)
{
    test::AppHarness shell;
    FixButton quit(FixID::quitApp, std::nullopt, false, shell.actions);
    EXPECT_EQ(quit.text(), "Quit app");
    EXPECT_EQ(quit.property("symbol").toString(), "xmark.circle");
    EXPECT_EQ(quit.accessibleName(), "Quit app");
    // Without a group there is nothing to quit: the click still reaches the dispatcher, which asks nothing.
    quit.click();
    EXPECT_FALSE(shell.actions.confirmation());

    ProcessGroup mail;
    mail.id = "/Applications/Mail.app";
    mail.displayName = "Mail";
    mail.appPath = mail.id;
    quit.setFix(FixID::quitApp, mail);
    EXPECT_EQ(quit.text(), "Quit Mail");
    quit.click();
    ASSERT_TRUE(shell.actions.confirmation());

    // An ampersand in an app's name is shown, not turned into a keyboard shortcut.
    mail.displayName = "Mail & Calendar";
    quit.setFix(FixID::quitApp, mail);
    EXPECT_TRUE(quit.shortcut().isEmpty());
    EXPECT_EQ(quit.accessibleName(), "Quit Mail & Calendar");

    FixButton settings(FixID::openSpotlightSettings, std::nullopt, true, shell.actions);
    EXPECT_EQ(settings.property("symbol").toString(), "slider.horizontal.3");
    settings.click();
    shell.harness.settle();
    ASSERT_EQ(shell.backend->opened.size(), 1u);
}

TEST(Components, AShortenedQuitButtonKeepsItsWholeNameAcrossTicks)
{
    test::AppHarness shell{test::AppHarness::Catalog::shipped};
    ProcessGroup chrome = test::testGroup("Google Chrome", 10, 1 << 20, 1, "/Applications/Google Chrome.app");
    chrome.displayName = "Google Chrome for Testing & Development Builds";
    const QString whole = QStringLiteral("Quit Google Chrome for Testing & Development Builds");
    shell.monitor.setGroups({chrome});
    ProcessRow row(chrome, shell.env);
    FixButton* quit = row.quitButton();
    ASSERT_TRUE(quit);

    const auto expectShortened = [&] {
        EXPECT_TRUE(quit->text().endsWith(QChar(0x2026))) << quit->text().toStdString();
        EXPECT_LE(quit->sizeHint().width(), ProcessColumns::action);
        EXPECT_EQ(quit->toolTip(), whole);
        EXPECT_EQ(quit->accessibleName(), whole);
        EXPECT_EQ(quit->title(), whole);
    };
    expectShortened();
    // Ticks bring the same name with new figures; the drawn text is never read as the title.
    for (int tick = 0; tick < 3; ++tick) {
        chrome.cpuPercent += 1;
        row.setGroup(chrome);
        expectShortened();
    }
    row.resize(1200, row.sizeHint().height());
    expectShortened();

    // A name that fits again is drawn whole, with no tool tip.
    chrome.displayName = "Chrome";
    row.setGroup(chrome);
    EXPECT_EQ(quit->text(), "Quit Chrome");
    EXPECT_EQ(quit->toolTip(), QString());
    EXPECT_EQ(quit->accessibleName(), "Quit Chrome");
}
