#include "CorvaneApp/AppDelegate.hpp"

#include "CorvaneApp/Theme.hpp"

#include <QApplication>
#include <QIcon>
#include <QStyleFactory>

// Resources of a static library are registered by hand, outside any namespace.
static void registerAppIcon()
{
    Q_INIT_RESOURCE(AppIcon);
}

namespace corvane {

AppDelegate::AppDelegate(QApplication& application)
{
    application.setOrganizationName(QStringLiteral("Corvane"));
    application.setApplicationName(QStringLiteral("Corvane"));
    application.setDesktopFileName(QStringLiteral("corvane"));
    application.setQuitOnLastWindowClosed(false);
    applyLook(application);
}

QPalette AppDelegate::darkPalette()
{
    const QColor window(0x1E, 0x1E, 0x24);
    const QColor base(0x16, 0x16, 0x1B);
    const QColor button(0x2A, 0x2A, 0x32);
    const QColor disabledText(0x6B, 0x6B, 0x73);
    QPalette palette;
    palette.setColor(QPalette::Window, window);
    palette.setColor(QPalette::WindowText, Theme::text());
    palette.setColor(QPalette::Base, base);
    palette.setColor(QPalette::AlternateBase, window);
    palette.setColor(QPalette::ToolTipBase, Theme::raised());
    palette.setColor(QPalette::ToolTipText, Theme::text());
    palette.setColor(QPalette::PlaceholderText, Theme::text3());
    palette.setColor(QPalette::Text, Theme::text());
    palette.setColor(QPalette::Button, button);
    palette.setColor(QPalette::ButtonText, Theme::text());
    palette.setColor(QPalette::BrightText, Qt::white);
    palette.setColor(QPalette::Light, button.lighter(130));
    palette.setColor(QPalette::Midlight, button.lighter(115));
    palette.setColor(QPalette::Mid, button.darker(120));
    palette.setColor(QPalette::Dark, base.darker(130));
    palette.setColor(QPalette::Shadow, Qt::black);
    palette.setColor(QPalette::Highlight, Theme::accent());
    palette.setColor(QPalette::HighlightedText, Qt::white);
    palette.setColor(QPalette::Link, Theme::accentLight());
    palette.setColor(QPalette::LinkVisited, Theme::accentLight());
    for (const auto role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText})
        palette.setColor(QPalette::Disabled, role, disabledText);
    return palette;
}

void AppDelegate::applyLook(QApplication& application)
{
    application.setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
    application.setPalette(darkPalette());
    registerAppIcon();
    application.setWindowIcon(QIcon::fromTheme(QStringLiteral("corvane"), QIcon(QStringLiteral(":/app/corvane.svg"))));
}

} // namespace corvane
