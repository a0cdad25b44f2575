#include "CorvaneApp/Components.hpp"
#include "CorvaneApp/MenuBarModel.hpp"
#include "CorvaneApp/MenuBarView.hpp"
#include "CorvaneApp/Platform/TrayIcon.hpp"
#include "CorvaneApp/StatusDot.hpp"
#include "CorvaneApp/Theme.hpp"
#include "Tests/App/Support/AppHarness.hpp"

#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QScreen>
#include <QLabel>
#include <QLayout>
#include <QPushButton>

#include <gtest/gtest.h>

using namespace corvane;
using namespace corvane::test;

namespace {

Finding finding(std::optional<FixID> fix, std::optional<std::string> groupID = std::nullopt)
{
    return Finding(FindingKind::cpuHog, Severity::high, "Mail is using a lot of CPU", "detail", std::move(groupID), fix);
}

std::vector<ProcessGroup> groups(int count)
{
    std::vector<ProcessGroup> list;
    for (int i = 0; i < count; ++i)
        list.push_back(testGroup("App " + std::to_string(i), 100.0 - i, 0, 1, std::nullopt, i));
    return list;
}

// A popover over the harness, whose login item is in its own folder.
struct Popover {
    AppHarness h;
    const LoginItem& loginItem = h.startAtLogin.item();
    MenuBarView view{h.env};
};

} // namespace

TEST(MenuBarModel, HeadlineRowsAndHeroFixFollowTheResult)
{
    AppHarness h;
    auto model = [&](std::vector<Finding> findings, int groupCount) {
        h.monitor.setGroups(groups(groupCount));
        h.monitor.setResult(DiagnosisResult(std::move(findings)));
        return menuBarModel(h.monitor);
    };
    const MenuBarModel quiet = model({}, 0);
    EXPECT_EQ(quiet.status, Status::quiet);
    EXPECT_EQ(quiet.headline, "Your Mac is running smoothly.");
    EXPECT_TRUE(quiet.rows.empty());
    EXPECT_FALSE(quiet.heroFix);

    EXPECT_EQ(model({}, 2).rows.size(), 2u);
    const MenuBarModel busy = model({finding(FixID::quitApp, "pid:1")}, 10);
    ASSERT_EQ(busy.rows.size(), 3u);
    EXPECT_EQ(busy.rows[0], (MenuBarRow{"pid:0", "App 0", "100%"}));
    EXPECT_EQ(busy.status, Status::struggling);
    EXPECT_EQ(busy.headline, "Mail is using a lot of CPU");
    ASSERT_TRUE(busy.heroFix);
    EXPECT_EQ(busy.heroFix->title, "Quit App 1");
    EXPECT_EQ(busy.heroFix->symbol, "xmark.circle");

    // A group gone since the tick gives the group-less title; explain or no fix gives no button.
    EXPECT_EQ(model({finding(FixID::quitApp, "gone")}, 3).heroFix->title, "Quit app");
    EXPECT_EQ(model({finding(FixID::openBatterySettings)}, 0).heroFix->symbol, "slider.horizontal.3");
    EXPECT_FALSE(model({finding(FixID::explain, "pid:1")}, 3).heroFix);
    EXPECT_FALSE(model({finding(std::nullopt)}, 0).heroFix);
}

TEST(StatusDot, QuietUntilTheFirstCheckThenTheStatusColour)
{
    AppHarness h;
    h.monitor.setResult(DiagnosisResult({finding(FixID::quitApp)}));
    EXPECT_EQ(StatusDot::status(h.monitor), Status::quiet);
    h.monitor.setLastChecked(VirtualClock::epoch);
    EXPECT_EQ(StatusDot::status(h.monitor), Status::struggling);

    std::vector<std::optional<Status>> statuses{std::nullopt};
    for (const Status status : allCases<Status>())
        statuses.push_back(status);
    for (const std::optional<Status>& status : statuses) {
        const QImage dot = StatusDot::image(status).pixmap(22, 22).toImage();
        EXPECT_EQ(dot.pixelColor(11, 11), StatusDot::colour(status));
        EXPECT_EQ(dot.pixelColor(0, 0).alpha(), 0);
    }
}

TEST(MenuBar, WithoutItsCatalogThePopoverAndTheDotSayWhatTheWindowSays)
{
    AppHarness h(AppHarness::Catalog::failed);
    const QString failure = QStringLiteral("Corvane couldn't load its process list. Reinstall Corvane.");

    // Nothing is checked, ever: no status, and the dot in a neutral colour, not green.
    EXPECT_EQ(StatusDot::status(h.monitor), std::nullopt);
    const QColor neutral = StatusDot::colour(std::nullopt);
    for (const Status status : allCases<Status>())
        EXPECT_NE(neutral, StatusDot::colour(status));
    EXPECT_LT(neutral.hslSaturationF(), 0.15) << "a grey";
    EXPECT_EQ(StatusDot::accessibilityLabel(std::nullopt), QStringLiteral("Corvane status: ") + failure);

    MenuBarView view(h.env);
    view.popUp(QRect(500, 0, 22, 22));
    EXPECT_EQ(view.headline()->text(), failure);
    EXPECT_FALSE(view.statusPill()->isVisible()) << "no \"All quiet\"";
    EXPECT_FALSE(view.liveDot()->isVisible()) << "no \"checking\u2026\" for a check that never comes";
    EXPECT_TRUE(view.rows().isEmpty());
    EXPECT_TRUE(view.heroButton()->isHidden());
    EXPECT_TRUE(view.openButton()->isVisible());

    TrayIcon tray;
    tray.setStatus(StatusDot::status(h.monitor));
    EXPECT_EQ(tray.icon().toolTip(), QStringLiteral("Corvane status: ") + failure);
    EXPECT_EQ(tray.icon().icon().cacheKey(), StatusDot::image(std::nullopt).cacheKey());
}

TEST(MenuBarView, ShowsTheCheckAndMarksTheMonitorWhileOpen)
{
    Popover p;
    EXPECT_EQ(p.view.liveDot()->text(), QStringLiteral("checking\u2026"));
    EXPECT_TRUE(p.view.rows().isEmpty());
    EXPECT_TRUE(p.view.heroButton()->isHidden());

    // Opened from a tray at the bottom of the screen; it grows as the check comes in.
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    p.view.popUp(QRect(screen.right() - 30, screen.bottom() - 23, 22, 24));
    EXPECT_TRUE(p.h.monitor.menuOpen());
    p.h.monitor.setGroups(groups(5));
    p.h.monitor.setResult(DiagnosisResult({finding(FixID::quitApp, "pid:0")}));
    p.h.monitor.setLastChecked(p.h.harness.clock.now());
    EXPECT_EQ(p.view.statusPill()->status(), Status::struggling);
    EXPECT_EQ(p.view.headline()->text(), QStringLiteral("Mail is using a lot of CPU"));
    EXPECT_EQ(p.view.rows(), (QStringList{QStringLiteral("App 0 100%"), QStringLiteral("App 1 99%"),
                                          QStringLiteral("App 2 98%")}));
    EXPECT_FALSE(p.view.heroButton()->isHidden());
    EXPECT_EQ(p.view.heroButton()->text(), QStringLiteral("Quit App 0"));
    EXPECT_EQ(p.view.liveDot()->text(), QStringLiteral("checked 0s ago"));
    EXPECT_TRUE(screen.contains(p.view.geometry())) << "a popover that grew stays on screen";
    auto busy = groups(1);
    busy[0].displayName = std::string(200, 'W');
    p.h.monitor.setGroups(busy);
    EXPECT_LT(p.view.layout()->minimumSize().width(), 400) << "a long name is cut short, not widening the popover";
    EXPECT_TRUE(p.view.heroButton()->text().endsWith(QChar(0x2026)));
    p.h.monitor.setGroups(groups(5));

    // The line redraws every 5 seconds while open, and not at all once closed.
    p.h.harness.scheduler.advance(4.9);
    EXPECT_EQ(p.view.liveDot()->text(), QStringLiteral("checked 0s ago"));
    p.h.harness.scheduler.advance(0.2);
    EXPECT_EQ(p.view.liveDot()->text(), QStringLiteral("checked 5s ago"));
    p.view.hide();
    EXPECT_FALSE(p.h.monitor.menuOpen());
    p.h.harness.scheduler.advance(30);
    EXPECT_EQ(p.view.liveDot()->text(), QStringLiteral("checked 5s ago"));
}

TEST(MenuBarView, HeroFixOpensTheWindowThenPerformsForTheGroupAfterAPause)
{
    Popover p;
    p.h.monitor.setGroups(groups(2));
    p.h.monitor.setResult(DiagnosisResult({finding(FixID::quitApp, "pid:1")}));
    p.h.monitor.setLastChecked(p.h.harness.clock.now());
    int opened = 0;
    QObject::connect(&p.view, &MenuBarView::openWindowRequested, [&] { ++opened; });
    p.view.popUp(QRect(500, 0, 22, 22));
    p.view.heroButton()->click();
    EXPECT_EQ(opened, 1);
    EXPECT_FALSE(p.view.isVisible());
    EXPECT_FALSE(p.h.actions.confirmation().has_value());
    p.h.harness.scheduler.advance(0.3);
    ASSERT_TRUE(p.h.actions.confirmation().has_value());
    EXPECT_EQ(p.h.actions.confirmation()->title, "Quit App 1?");
}

TEST(MenuBarView, StartAtLoginSwitchRegistersAndAFailureRestoresTheRealStateWithAToast)
{
    Popover p;
    p.view.startAtLogin()->setChecked(true);
    EXPECT_TRUE(p.loginItem.isEnabled());
    p.view.startAtLogin()->setChecked(false);
    EXPECT_FALSE(p.loginItem.isEnabled());
    EXPECT_FALSE(p.h.actions.toast().has_value());

    // A file where the autostart folder should be makes registering fail.
    const QString folder = p.h.harness.folder.filePath(QStringLiteral("autostart"));
    ASSERT_TRUE(QDir(folder).removeRecursively());
    QFile blocker(folder);
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    p.view.startAtLogin()->setChecked(true);
    EXPECT_FALSE(p.view.startAtLogin()->isChecked());
    EXPECT_EQ(p.h.actions.toast(), std::optional<std::string>("Couldn't change Start at login."));

    // Opening the popover shows what the system has now, without switching anything.
    ASSERT_TRUE(QFile::remove(folder));
    ASSERT_TRUE(LoginItem(p.loginItem).registerApp());
    p.view.popUp(QRect(500, 0, 22, 22));
    EXPECT_TRUE(p.view.startAtLogin()->isChecked());
}

TEST(MenuBarView, PopoverStaysOnScreenBesideItsAnchor)
{
    const QRect screen(0, 0, 1920, 1080);
    const QSize size(300, 400);
    // A tray at the top: below the icon, centred on it.
    EXPECT_EQ(MenuBarView::placement(QRect(1000, 0, 24, 24), size, screen), QPoint(862, 28));
    // A tray at the bottom right: above the icon, pulled inside the right edge.
    EXPECT_EQ(MenuBarView::placement(QRect(1900, 1056, 20, 24), size, screen), QPoint(1620, 652));
    // The cursor in the top-left corner.
    EXPECT_EQ(MenuBarView::placement(QRect(2, 2, 1, 1), size, screen), QPoint(0, 7));
}

TEST(TrayIcon, MenuOffersTheWindowAndQuittingAndTheTipFollowsTheStatus)
{
    TrayIcon tray;
    QStringList texts;
    for (const QAction* action : tray.menu().actions())
        texts << action->text();
    EXPECT_EQ(texts, (QStringList{QStringLiteral("Open Corvane"), QStringLiteral("Quit Corvane")}));
    int opens = 0;
    int quits = 0;
    QObject::connect(&tray, &TrayIcon::openRequested, [&] { ++opens; });
    QObject::connect(&tray, &TrayIcon::quitRequested, [&] { ++quits; });
    tray.menu().actions().at(0)->trigger();
    tray.menu().actions().at(1)->trigger();
    EXPECT_EQ(opens, 1);
    EXPECT_EQ(quits, 1);

    EXPECT_EQ(tray.icon().toolTip(), QStringLiteral("Corvane status: All quiet"));
    tray.setStatus(Status::busy);
    EXPECT_EQ(tray.icon().toolTip(), QStringLiteral("Corvane status: Busy"));
    EXPECT_EQ(tray.icon().icon().cacheKey(), StatusDot::image(Status::busy).cacheKey());
}

TEST(MenuBarView, PopoverKeepsRoomForAllItsContentWhenItNarrowsAgain)
{
    Popover p;
    auto wide = groups(3);
    wide[0].displayName = "An application with a name long enough to widen the popover";
    p.h.monitor.setGroups(wide);
    p.h.monitor.setResult(DiagnosisResult({finding(FixID::quitApp, "pid:0")}));
    p.view.popUp(QRect(500, 0, 22, 22));
    ASSERT_GT(p.view.width(), 300);
    p.view.hide();

    // The app is gone while the popover is closed: it opens 300 wide again, with every line.
    p.h.monitor.setGroups(groups(3));
    p.h.monitor.setResult(DiagnosisResult(std::vector<Finding>{}));
    p.view.popUp(QRect(500, 0, 22, 22));
    EXPECT_EQ(p.view.width(), 300);
    p.view.layout()->invalidate();
    EXPECT_GE(p.view.height(), p.view.layout()->totalHeightForWidth(300));
    p.view.layout()->activate();
    EXPECT_GE(p.view.openButton()->height(), p.view.openButton()->sizeHint().height());
    EXPECT_LE(p.view.quitButton()->geometry().bottom(), p.view.height());
}
