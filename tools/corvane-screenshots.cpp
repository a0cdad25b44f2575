// Renders the main window on every sidebar screen and the tray popover in each fixture
// state, then every screen, the browser sheet, onboarding and Settings in their own
// states, to PNG files, with no display and no sampling, so a reviewer sees the look.
// Usage: corvane-screenshots [output folder]
#include "CorvaneApp/AppDelegate.hpp"
#include "CorvaneApp/MainWindow.hpp"
#include "CorvaneApp/MenuBarView.hpp"
#include "CorvaneApp/RootView.hpp"
#include "ScreenStates.hpp"
#include "ScreenshotWorld.hpp"

#include <QApplication>
#include <QDir>

#include <cstdio>

using namespace corvane;

namespace {

void renderFixture(const screenshots::Fixture& fixture, screenshots::Camera& camera)
{
    screenshots::World world(fixture.withCatalog);
    world.apply(fixture);
    const QString prefix = QString::fromStdString(fixture.name) + QLatin1Char('-');

    MainWindow window(world.view);
    window.show();
    for (const Screen screen : allCases<Screen>()) {
        world.router.setScreen(screen);
        camera.shoot(window, prefix + QString::fromStdString(toString(screen)));
    }
    if (QMessageBox* alert = window.rootView()->alert())
        camera.shoot(*alert, prefix + QStringLiteral("alert"));
    window.hide();

    MenuBarView popover(world.view, world.loginItem);
    popover.show();
    camera.shoot(popover, prefix + QStringLiteral("popover"));
    popover.hide();
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

    screenshots::Camera camera(folder);
    for (const auto& fixture : screenshots::fixtures())
        renderFixture(fixture, camera);
    for (const auto& render : screenshots::screenStates())
        render(camera);
    return camera.ok() ? 0 : 1;
}
