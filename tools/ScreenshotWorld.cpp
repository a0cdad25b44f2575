#include "ScreenshotWorld.hpp"

#include "CorvaneApp/MainWindow.hpp"
#include "CorvaneApp/Sidebar.hpp"

#include <QCoreApplication>
#include <QWidget>

#include <cstdio>

namespace corvane::screenshots {

World::World(bool withCatalog)
    : settings(folder.filePath(QStringLiteral("settings.ini")), held)
    , monitor(environment(withCatalog), settings)
    , actions(monitor, router, held)
    , icons(work)
    , startAtLogin(LoginItem(folder.filePath(QStringLiteral("autostart")), QStringLiteral("/usr/bin/corvane")))
    , view{monitor, router, actions, settings, clock, scheduler, work, icons, startAtLogin}
{
    settings.setOnboarded(true);
}

void World::apply(const Fixture& fixture)
{
    FixtureWorld world = fixtureWorld();
    fixture.apply(world);
}

MonitorEnvironment World::environment(bool withCatalog)
{
    MonitorEnvironment env{clock, scheduler, held};
    env.sleepWatcher = [] { return std::make_unique<SleepWatcher>(); };
    env.home = folder.filePath(QStringLiteral("home")).toStdString();
    env.usageFolder = folder.filePath(QStringLiteral("usage")).toStdString();
    if (!withCatalog)
        env.loadCatalog = [] { return std::optional<ProcessCatalog>(); };
    return env;
}

void settle()
{
    for (int i = 0; i < 3; ++i) {
        QCoreApplication::processEvents();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
}

QSize Camera::screenSize() const
{
    return {windowSize_.width() - Sidebar::columnWidth() - 1, windowSize_.height()};
}

void Camera::shoot(QWidget& widget, const QString& name)
{
    settle();
    take(widget, name);
}

void PictureCamera::take(QWidget& widget, const QString& name)
{
    const QString path = folder_.filePath(name + suffix_ + QStringLiteral(".png"));
    if (!widget.grab().save(path)) {
        std::fprintf(stderr, "corvane-screenshots: cannot write %s\n", qPrintable(path));
        ok_ = false;
        return;
    }
    std::printf("%s\n", qPrintable(path));
}

WindowSizes mainWindowSizes()
{
    World world;
    const MainWindow window(world.view);
    return {window.size(), window.minimumSize()};
}

} // namespace corvane::screenshots
