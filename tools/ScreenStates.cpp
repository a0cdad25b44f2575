#include "ScreenStates.hpp"

#include "Core/BrowserError.hpp"
#include "Core/MinuteRecord.hpp"
#include "Core/OSAScriptRunner.hpp"
#include "Core/SpeedResult.hpp"
#include "Core/SpeedTest.hpp"
#include "CorvaneApp/BackgroundItemsView.hpp"
#include "CorvaneApp/BrowserPanel.hpp"
#include "CorvaneApp/InternetView.hpp"
#include "CorvaneApp/MainWindow.hpp"
#include "CorvaneApp/MenuBarView.hpp"
#include "CorvaneApp/Onboarding.hpp"
#include "CorvaneApp/Platform/AppUpdater.hpp"
#include "CorvaneApp/ProcessDetail.hpp"
#include "CorvaneApp/ProcessesView.hpp"
#include "CorvaneApp/RootView.hpp"
#include "CorvaneApp/SettingsView.hpp"
#include "CorvaneApp/Sidebar.hpp"
#include "CorvaneApp/UsageView.hpp"

#include <QAbstractButton>
#include <QCheckBox>
#include <QDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QVBoxLayout>

#include <cmath>
#include <stdexcept>

namespace corvane::screenshots {

namespace {

constexpr int64_t gigabyte = 1LL << 30;
constexpr int64_t megabyte = 1LL << 20;
constexpr int32_t chromePID = 7000;
const std::string chromePath = "/opt/google/chrome";

// Shows a screen as large as in the camera's main window and lets its probes answer.
void present(QWidget& screen, World& world, const Camera& camera)
{
    screen.resize(camera.screenSize());
    screen.show();
    settle();
    world.work.runAll();
}

// Clicks the button of an open alert that reads `text`.
void answer(QMessageBox* alert, const QString& text)
{
    if (!alert)
        return;
    for (QAbstractButton* button : alert->buttons()) {
        if (button->text() == text) {
            button->click();
            return;
        }
    }
}

// An afternoon with a browser, the search indexer and the window server all busy.
void publishBusyAfternoon(World& world)
{
    std::vector<ProcessGroup> groups = everydayAnd(processes(chromePath + "/chrome", chromePID, 48.0, 3 * gigabyte, 13));
    groups.insert(groups.begin() + 1,
                  {app("mds_stores", 310, 35.0, 180 * megabyte), app("WindowServer", 200, 22.0, 400 * megabyte)});
    FixtureWorld fixture = world.fixtureWorld();
    publish(fixture, std::move(groups), signals(46, Pressure::elevated, Thermal::warm), 40, {});
}

DetailProbes detailProbes()
{
    DetailProbes probes;
    probes.home = QStringLiteral("/home/ada");
    probes.heavyFolders = [](const std::filesystem::path& home) {
        return std::vector<HeavyFolder>{
            {home.string() + "/Library/Developer/Xcode/DerivedData", "Xcode build data", 12 * gigabyte}};
    };
    probes.windows = [] {
        return WindowReading{{{"Google Chrome", chromePID, 38}, {"code", 3300, 6}, {"thunderbird", 4100, 2}},
                             {2, 1}};
    };
    return probes;
}

// The Processes screen over the busy afternoon, arranged by `arrange` once built.
void shootProcesses(Camera& camera, const QString& name, const std::function<void(World&, ProcessesView&)>& arrange)
{
    World world;
    publishBusyAfternoon(world);
    ProcessesView view(world.view, detailProbes());
    arrange(world, view);
    present(view, world, camera);
    camera.shoot(view, name);
}

void processStates(Camera& camera)
{
    shootProcesses(camera, QStringLiteral("processes-app-expanded"),
                   [](World& world, ProcessesView&) { world.router.setExpandedID(chromePath); });
    shootProcesses(camera, QStringLiteral("processes-spotlight"), [](World& world, ProcessesView&) {
        world.monitor.setSpotlightBusySince(world.clock.now() - std::chrono::hours(4));
        world.router.setExpandedID("pid:310");
    });
    shootProcesses(camera, QStringLiteral("processes-windowserver"),
                   [](World& world, ProcessesView&) { world.router.setExpandedID("pid:200"); });
    shootProcesses(camera, QStringLiteral("processes-no-match"), [](World&, ProcessesView& view) {
        view.searchField()->setText(QStringLiteral("photoshop"));
    });
}

BackgroundItem backgroundItem(const std::string& label, std::optional<std::string> owner, ItemScope scope,
                              std::optional<int32_t> pid = std::nullopt)
{
    BackgroundItem item;
    item.label = label;
    item.source = (scope == ItemScope::systemDaemon ? "/Library/LaunchDaemons/" : "/Library/LaunchAgents/") +
                  label + ".plist";
    item.ownerApp = std::move(owner);
    item.scope = scope;
    item.pid = pid;
    item.runAtLoad = true;
    return item;
}

void backgroundItemStates(Camera& camera)
{
    const auto shoot = [&camera](const QString& name, std::vector<BackgroundItem> items) {
        World world;
        publishBusyAfternoon(world);
        world.monitor.setBackgroundItems(std::move(items));
        BackgroundItemsView view(world.view);
        present(view, world, camera);
        camera.shoot(view, name);
    };
    shoot(QStringLiteral("background-items-empty"), {});
    shoot(QStringLiteral("background-items"),
          {backgroundItem("com.google.keystone.agent", "Google Chrome", ItemScope::userAgent, chromePID),
           backgroundItem("com.google.keystone.daemon", "Google Chrome", ItemScope::systemDaemon),
           backgroundItem("com.dropbox.DropboxMacUpdate.agent", "Dropbox", ItemScope::userAgent),
           backgroundItem("com.example.helper.with.a.really.long.label.that.goes.on.well.past.the.width.of.its.row",
                          std::nullopt, ItemScope::appBundled),
           backgroundItem("com.apple.metadata.mds", std::nullopt, ItemScope::systemDaemon, 310),
           backgroundItem("org.zeta.sync", "zeta", ItemScope::systemAgent, 3300)});
}

// Answers every script with what `reply` gives or throws.
class ScriptedRunner final : public ScriptRunner {
public:
    explicit ScriptedRunner(std::function<std::string()> reply) : reply_(std::move(reply)) {}
    std::string run(const std::string&) override { return reply_(); }

private:
    std::function<std::string()> reply_;
};

// Two windows of the "Work" profile, one of them incognito, and one of the default
// profile; one tab is open twice.
std::string tabListing()
{
    std::string text;
    const auto window = [&text](const std::string& id, const std::string& name, const std::string& mode) {
        text += "W\x1F" + id + "\x1F" + mode + "\x1F" + "1\x1F" + name + "\x1E";
    };
    const auto tab = [&text](const std::string& windowID, const std::string& id, const std::string& title,
                             const std::string& url) {
        text += "T\x1F" + windowID + "\x1F" + id + "\x1F" + title + "\x1F" + url + "\x1E";
    };
    window("1", "Inbox - Google Chrome - Work", "normal");
    tab("1", "11", "Inbox (3) - mail.example.com", "https://mail.example.com/inbox");
    tab("1", "12", "Quarterly planning - Docs", "https://docs.example.com/d/abc");
    tab("1", "13", "Inbox (3) - mail.example.com", "https://mail.example.com/inbox");
    tab("1", "14", "", "https://www.example.org/a/very/long/path/that/keeps/going/on/and/on/and/on/for/ever");
    window("2", "Private - Google Chrome - Work", "incognito");
    tab("2", "21", "Front page - The Daily Example with a title long enough to be cut somewhere along the way",
        "https://news.example.net/");
    window("3", "Recipes - Google Chrome", "normal");
    tab("3", "31", "Recipes", "https://food.example/");
    tab("3", "32", "Weather", "https://weather.example/");
    return text;
}

BrowserPanelServices browserServices(std::shared_ptr<ScriptRunner> runner, bool running = true)
{
    BrowserPanelServices services;
    services.controller =
        std::make_shared<BrowserController>(std::move(runner), [running](const std::string&) { return running; });
    services.installedApp = [](const std::string&) { return std::optional<std::string>("/opt/google/chrome"); };
    services.processListing = [] {
        return std::string("7010 204800 /opt/google/chrome/chrome --type=renderer --extension-process\n"
                           "7011 102400 /opt/google/chrome/chrome --type=renderer --extension-process\n");
    };
    return services;
}

// The panel in a sheet over a window, as the main window shows it.
struct BrowserSheet {
    BrowserSheet(World& world, const Camera& camera, BrowserPanelServices services, bool primerSeen = true)
    {
        world.settings.setAutomationPrimer(std::string(toString(ChromiumBrowser::chrome)), primerSeen);
        host.resize(camera.windowSize());
        host.show();
        sheet = new QDialog(&host);
        sheet->setWindowModality(Qt::WindowModal);
        auto* layout = new QVBoxLayout(sheet);
        layout->setContentsMargins(0, 0, 0, 0);
        panel = new BrowserPanel(ChromiumBrowser::chrome, world.view, std::move(services), sheet);
        layout->addWidget(panel);
        sheet->open();
        settle();
    }

    QWidget host;
    QDialog* sheet;
    BrowserPanel* panel;
};

void browserPanelStates(Camera& camera)
{
    const auto shoot = [&camera](const QString& name, BrowserPanelServices services, bool primerSeen = true,
                                 bool drain = true) {
        World world;
        BrowserSheet sheet(world, camera, std::move(services), primerSeen);
        if (drain)
            world.work.runAll();
        camera.shoot(*sheet.sheet, name);
    };
    const auto listing = std::make_shared<ScriptedRunner>([] { return tabListing(); });
    shoot(QStringLiteral("browser-primer"), browserServices(listing), false);
    shoot(QStringLiteral("browser-loading"), browserServices(listing), true, false);
    shoot(QStringLiteral("browser-not-permitted"),
          browserServices(std::make_shared<ScriptedRunner>([]() -> std::string {
              throw BrowserError::notPermitted();
          })));
    shoot(QStringLiteral("browser-failed"), browserServices(std::make_shared<OSAScriptRunner>()));
    shoot(QStringLiteral("browser-not-running"), browserServices(listing, false));

    World world;
    BrowserSheet sheet(world, camera, browserServices(listing));
    world.work.runAll();
    if (WindowSectionWidget* work = sheet.panel->windowSection("1"))
        work->row("1/12")->checkBox()->click();
    camera.shoot(*sheet.sheet, QStringLiteral("browser-loaded"));
    if (QPushButton* close = sheet.panel->button(QStringLiteral("Close 1 duplicate"))) {
        close->click();
        if (QMessageBox* alert = sheet.panel->confirmation())
            camera.shoot(*alert, QStringLiteral("browser-close-duplicates"));
    }
}

// The Internet screen's probes: a link, its Wi-Fi, the apps' traffic and the speed test.
struct InternetFakes {
    LinkType link = LinkType::wifi;
    std::optional<WiFiLink> wifi = WiFiLink{-55, -92, 866, WiFiBand::ghz5};
    std::vector<NetUsage> traffic{{2100, "firefox", 180'000, 12'000}, {3300, "code", 20'000, 4'000}};
    std::optional<SpeedResult> speed;  // absent: the test fails

    InternetProbes probes() const
    {
        return InternetProbes{[link = link] { return link; }, [wifi = wifi] { return wifi; },
                              [traffic = traffic] { return traffic; },
                              [speed = speed] {
                                  if (!speed)
                                      throw SpeedTestError::failed("The test server didn't answer.");
                                  return *speed;
                              }};
    }
};

SpeedResult goodSpeed(Date measuredAt)
{
    return SpeedResult{412.5, 38.2, 1450, 14.0, measuredAt};
}

void internetStates(Camera& camera)
{
    // `arrange` runs on the shown screen once its first probes have answered.
    const auto shoot = [&camera](const QString& name, const InternetFakes& fakes, bool storedTest,
                                 const std::function<void(World&, InternetView&)>& arrange = {}) {
        World world;
        publishBusyAfternoon(world);
        if (storedTest)
            world.settings.setLastSpeedTest(goodSpeed(world.clock.now() - std::chrono::hours(3)).toJSON());
        InternetView view(world.view, fakes.probes());
        view.resize(camera.screenSize());
        view.show();
        settle();
        if (arrange) {
            world.work.runAll();
            arrange(world, view);
        }
        camera.shoot(view, name);
    };
    const auto runSpeedTest = [](World& world, InternetView& view, bool finish) {
        view.findChild<QPushButton*>(QStringLiteral("runSpeedTest"))->click();
        answer(view.findChild<QMessageBox*>(), QStringLiteral("Run test"));
        if (finish)
            world.work.runAll();
    };

    InternetFakes healthy;
    shoot(QStringLiteral("internet-initial"), healthy, false);
    shoot(QStringLiteral("internet-initial-stored-test"), healthy, true);
    shoot(QStringLiteral("internet-healthy"), healthy, true, [](World&, InternetView&) {});

    InternetFakes troubled;
    troubled.wifi = WiFiLink{-79, -88, 58, WiFiBand::ghz2_4};
    troubled.traffic = {{chromePID, "Google Chrome", 2'400'000, 3'900'000},
                        {2100, "firefox", 180'000, 12'000},
                        {4100, "thunderbird", 9'000, 1'000}};
    shoot(QStringLiteral("internet-findings"), troubled, false,
          [&runSpeedTest](World& world, InternetView& view) { runSpeedTest(world, view, true); });

    InternetFakes offline;
    offline.link = LinkType::offline;
    offline.wifi.reset();
    offline.traffic.clear();
    shoot(QStringLiteral("internet-offline-testing"), offline, true,
          [&runSpeedTest](World& world, InternetView& view) { runSpeedTest(world, view, false); });
}

// A record for every minute from `since` to `now`, at `cpu` percent with a
// daily swing, and memory pressure `pressure` during the busiest hours.
std::vector<MinuteRecord> usageHistory(Date since, Date now, double cpu, int pressure)
{
    std::vector<MinuteRecord> records;
    for (int64_t minute = minuteOf(since); minute <= minuteOf(now); ++minute) {
        const double swing = std::sin(static_cast<double>(minute % 1440) / 1440.0 * 2 * M_PI);
        const double load = std::clamp(cpu + cpu * 0.6 * swing, 2.0, 100.0);
        const bool busy = swing > 0.5;
        records.push_back(MinuteRecord{minute, load, std::min(100.0, load * 1.6), busy ? pressure : 0,
                                       busy && pressure > 0 ? 3 * gigabyte : 0,
                                       static_cast<int64_t>((busy ? 13.5 : 9.0) * static_cast<double>(gigabyte)),
                                       6});
    }
    return records;
}

UsageProbes usageProbes(double cpu, int pressure, bool empty = false)
{
    return UsageProbes{[cpu, pressure, empty](const UsageStore&, Date since, Date) {
                           const Date now = FixedClock().now();
                           return empty ? std::vector<MinuteRecord>{} : usageHistory(since, now, cpu, pressure);
                       },
                       [] { return 16 * gigabyte; }, [] { return false; }};
}

// Scrolls a screen to its end, where the parts below the fold are, once its layout has
// taken in what its probes brought.
void scrollToEnd(QWidget& screen)
{
    settle();
    if (auto* scroll = screen.findChild<QScrollArea*>())
        scroll->verticalScrollBar()->setValue(scroll->verticalScrollBar()->maximum());
}

void usageStates(Camera& camera)
{
    // `arrange` runs before the screen is shown; with `atHistory` the picture shows the charts.
    const auto shoot = [&camera](const QString& name, UsageProbes probes,
                                 const std::function<void(World&, UsageView&)>& arrange = {}, bool atHistory = false) {
        World world;
        publishBusyAfternoon(world);
        UsageView view(world.view, std::move(probes));
        if (arrange)
            arrange(world, view);
        present(view, world, camera);
        if (atHistory)
            scrollToEnd(view);
        camera.shoot(view, name);
    };
    const auto range = [](int hours) { return [hours](World&, UsageView& view) { view.setRange(hours); }; };
    shoot(QStringLiteral("usage-empty"), usageProbes(0, 0, true));
    shoot(QStringLiteral("usage-healthy"), usageProbes(14, 0));
    shoot(QStringLiteral("usage-healthy-history"), usageProbes(14, 0), {}, true);
    shoot(QStringLiteral("usage-bottlenecks"), usageProbes(78, 2), range(168));
    shoot(QStringLiteral("usage-bottlenecks-history"), usageProbes(78, 2), range(168), true);
    shoot(QStringLiteral("usage-month-history"), usageProbes(40, 1), range(720), true);
    shoot(QStringLiteral("usage-history-off"), usageProbes(14, 0),
          [](World& world, UsageView&) { world.monitor.setKeepHistory(false); });
    // Half a minute after the app started on an idle machine whose memory the kernel
    // reports a little short of its 16 GB: the CPU chart holds a handful of points, the
    // memory figures run long.
    shoot(QStringLiteral("usage-first-minute"), usageProbes(0, 0, true), [](World& world, UsageView&) {
        std::vector<CPUPoint> points;
        for (int i = 10; i >= 0; --i)
            points.push_back({world.clock.now() - std::chrono::seconds(3 * i), 20.0 + (i % 7) * 3});
        world.monitor.setCpuHistory(points);
        world.monitor.setSignals(signals(20, Pressure::normal, Thermal::normal));
        world.monitor.setMemory(MemoryBreakdown{16'624'427'008, 660'700'000, 110'800'000, 0, 10'845'000'000,
                                                5'007'927'008});
    });
}

// The main window on every screen in a fixture's state.
void fixtureScreens(const Fixture& fixture, Camera& camera)
{
    World world(fixture.withCatalog);
    world.apply(fixture);
    MainWindow window(world.view);
    window.resize(camera.windowSize());
    window.show();
    for (const Screen screen : allCases<Screen>()) {
        world.router.setScreen(screen);
        camera.shoot(window, QString::fromStdString(fixture.name + "-" + std::string(toString(screen))));
    }
}

// The fixture's pending alert over the main window, and the tray popover.
void fixtureWindows(const Fixture& fixture, Camera& camera)
{
    World world(fixture.withCatalog);
    world.apply(fixture);
    const QString prefix = QString::fromStdString(fixture.name) + QLatin1Char('-');
    MainWindow window(world.view);
    window.show();
    settle();  // alerts open once the window is up
    if (QMessageBox* alert = window.rootView()->alert())
        camera.shoot(*alert, prefix + QStringLiteral("alert"));
    window.hide();

    MenuBarView popover(world.view);
    popover.show();
    camera.shoot(popover, prefix + QStringLiteral("popover"));
}

void toastState(Camera& camera)
{
    World world;
    publishBusyAfternoon(world);
    world.actions.setToast("Quit Google Chrome");
    MainWindow window(world.view);
    window.resize(camera.windowSize());
    window.show();
    camera.shoot(window, QStringLiteral("toast"));
}

void settingsStates(Camera& camera)
{
    World world;
    Onboarding onboarding(world.startAtLogin);
    onboarding.show();
    camera.shoot(onboarding, QStringLiteral("onboarding"));

    AppUpdater updater;
    SettingsView settings(updater, world.view);
    settings.show();
    camera.shoot(settings, QStringLiteral("settings"));

    SettingsView failing(updater, world.view, nullptr, [] { throw std::runtime_error("permission denied"); });
    failing.show();
    failing.clearButton()->click();
    camera.shoot(*failing.clearConfirmation(), QStringLiteral("settings-clear-confirmation"));
    answer(failing.clearConfirmation(), QStringLiteral("Clear History"));
    camera.shoot(failing, QStringLiteral("settings-clear-failed"));
}

} // namespace

std::vector<StateRenderer> screenStates()
{
    std::vector<StateRenderer> renderers;
    for (const Fixture& fixture : fixtures())
        renderers.push_back([fixture](Camera& camera) { fixtureScreens(fixture, camera); });
    renderers.insert(renderers.end(), {processStates, backgroundItemStates, internetStates, usageStates, toastState});
    return renderers;
}

std::vector<StateRenderer> windowStates()
{
    std::vector<StateRenderer> renderers;
    for (const Fixture& fixture : fixtures())
        renderers.push_back([fixture](Camera& camera) { fixtureWindows(fixture, camera); });
    renderers.insert(renderers.end(), {browserPanelStates, settingsStates});
    return renderers;
}

} // namespace corvane::screenshots
