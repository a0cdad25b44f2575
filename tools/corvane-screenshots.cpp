// Renders the main window on every sidebar screen in each fixture state and every screen
// in its own states, at the window's opening size and again at its smallest ("-min"),
// then each fixture's alert and tray popover, the browser sheet, onboarding and Settings,
// to PNG files, with no display and no sampling, so a reviewer sees the look.
// Usage: corvane-screenshots [output folder]
#include "CorvaneApp/AppDelegate.hpp"
#include "ScreenStates.hpp"
#include "ScreenshotWorld.hpp"

#include <QApplication>
#include <QDir>

#include <cstdio>

using namespace corvane;

namespace {

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

    const screenshots::WindowSizes sizes = screenshots::mainWindowSizes();
    screenshots::PictureCamera camera(folder, sizes.normal);
    screenshots::PictureCamera smallest(folder, sizes.minimum, QStringLiteral("-min"));
    for (const auto& render : screenshots::screenStates()) {
        render(camera);
        render(smallest);
    }
    for (const auto& render : screenshots::windowStates())
        render(camera);
    return camera.ok() && smallest.ok() ? 0 : 1;
}
