// Renders the main window on every sidebar screen, the tray popover, onboarding and
// Settings in each fixture state to PNG files, with no display and no sampling, so a
// reviewer sees the look. Usage: corvane-screenshots [output folder]
#include "CorvaneApp/AppDelegate.hpp"
#include "CorvaneApp/MainWindow.hpp"
#include "CorvaneApp/MenuBarView.hpp"
#include "CorvaneApp/Onboarding.hpp"
#include "CorvaneApp/Platform/AppUpdater.hpp"
#include "CorvaneApp/Platform/LoginItem.hpp"
#include "CorvaneApp/RootView.hpp"
#include "CorvaneApp/SettingsView.hpp"
#include "CorvaneApp/ViewEnvironment.hpp"
#include "ScreenshotFixtures.hpp"

#include <QApplication>
#include <QDir>
#include <QTemporaryDir>

#include <cstdio>
#include <memory>

using namespace corvane;

namespace {

// 2026-03-02 14:30 UTC: fixtures speak of times around it.
class FixedClock final : public Clock {
public:
    Date now() const override { return Date(std::chrono::seconds(1772461800)); }
};

// Time stands still: nothing scheduled ever runs.
class HeldScheduler final : public Scheduler {
public:
    Token schedule(double, QObject*, std::function<void()>) override { return ++next_; }
    void cancel(Token) override {}

private:
    Token next_ = 0;
};

// Background work is dropped, so the Monitor never samples this machine.
class HeldExecutor final : public Executor {
protected:
    void submit(QObject*, Job) override {}
};

// The shared objects of the app in one fixture state, in a settings folder of their own.
struct World {
    explicit World(const screenshots::Fixture& fixture)
        : settings(folder.filePath(QStringLiteral("settings.ini")))
        , monitor(environment(fixture.withCatalog), settings)
        , actions(monitor, router, executor)
        , view{monitor, router, actions, settings, clock, scheduler, executor}
        , loginItem(folder.filePath(QStringLiteral("autostart")), QStringLiteral("/usr/bin/corvane"))
    {
        settings.setOnboarded(true);
        screenshots::FixtureWorld world{monitor, actions, router, settings, clock.now()};
        fixture.apply(world);
    }

    MonitorEnvironment environment(bool withCatalog)
    {
        MonitorEnvironment env{clock, scheduler, executor};
        env.sleepWatcher = [] { return std::make_unique<SleepWatcher>(); };
        env.home = folder.filePath(QStringLiteral("home")).toStdString();
        env.usageFolder = folder.filePath(QStringLiteral("usage")).toStdString();
        if (!withCatalog)
            env.loadCatalog = [] { return std::optional<ProcessCatalog>(); };
        return env;
    }

    QTemporaryDir folder;
    FixedClock clock;
    HeldScheduler scheduler;
    HeldExecutor executor;
    AppSettings settings;
    Monitor monitor;
    Router router;
    FixActions actions;
    ViewEnvironment view;
    LoginItem loginItem;
};

// Lets layouts settle and discarded screens go before a picture is taken.
void settle()
{
    for (int i = 0; i < 3; ++i) {
        QCoreApplication::processEvents();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
}

bool save(QWidget& widget, const QDir& folder, const QString& name)
{
    settle();
    const QString path = folder.filePath(name + QStringLiteral(".png"));
    if (!widget.grab().save(path)) {
        std::fprintf(stderr, "corvane-screenshots: cannot write %s\n", qPrintable(path));
        return false;
    }
    std::printf("%s\n", qPrintable(path));
    return true;
}

bool renderFixture(const screenshots::Fixture& fixture, const QDir& folder)
{
    World world(fixture);
    const QString prefix = QString::fromStdString(fixture.name) + QLatin1Char('-');
    bool ok = true;

    MainWindow window(world.view);
    window.show();
    for (const Screen screen : allCases<Screen>()) {
        world.router.setScreen(screen);
        ok &= save(window, folder, prefix + QString::fromStdString(toString(screen)));
    }
    if (QMessageBox* alert = window.rootView()->alert())
        ok &= save(*alert, folder, prefix + QStringLiteral("alert"));
    window.hide();

    MenuBarView popover(world.view, world.loginItem);
    popover.show();
    ok &= save(popover, folder, prefix + QStringLiteral("popover"));
    popover.hide();
    return ok;
}

bool renderWindows(const QDir& folder)
{
    World world(screenshots::fixtures().front());
    bool ok = true;

    Onboarding onboarding(nullptr, std::make_unique<LoginItem>(world.loginItem));
    onboarding.show();
    ok &= save(onboarding, folder, QStringLiteral("onboarding"));

    AppUpdater updater;
    SettingsView settings(updater, world.view, world.loginItem);
    settings.show();
    ok &= save(settings, folder, QStringLiteral("settings"));
    return ok;
}

// The offscreen platform says so each time a popup asks for what it cannot do.
void quietPlatform(QtMsgType type, const QMessageLogContext& context, const QString& message)
{
    if (message.startsWith(QLatin1String("This plugin does not support")))
        return;
    std::fprintf(stderr, "%s\n", qPrintable(qFormatLogMessage(type, context, message)));
}

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    qInstallMessageHandler(quietPlatform);
    QApplication application(argc, argv);
    AppDelegate::applyLook(application);

    const QString output = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("screenshots");
    QDir folder;
    if (!folder.mkpath(output)) {
        std::fprintf(stderr, "corvane-screenshots: cannot create %s\n", qPrintable(output));
        return 1;
    }
    folder.setPath(output);

    bool ok = renderWindows(folder);
    for (const auto& fixture : screenshots::fixtures())
        ok &= renderFixture(fixture, folder);
    return ok ? 0 : 1;
}
