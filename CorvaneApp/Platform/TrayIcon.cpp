#include "CorvaneApp/Platform/TrayIcon.hpp"

#include "CorvaneApp/StatusDot.hpp"

namespace corvane {

TrayIcon::TrayIcon(QObject* parent)
    : QObject(parent)
{
    connect(menu_.addAction(QStringLiteral("Open Corvane")), &QAction::triggered, this, &TrayIcon::openRequested);
    connect(menu_.addAction(QStringLiteral("Quit Corvane")), &QAction::triggered, this, &TrayIcon::quitRequested);
    icon_.setContextMenu(&menu_);
    connect(&icon_, &QSystemTrayIcon::activated, this, [this](QSystemTrayIcon::ActivationReason reason) {
        if (reason == QSystemTrayIcon::Trigger)
            Q_EMIT clicked();
    });
    setStatus(Status::quiet);
}

void TrayIcon::setStatus(std::optional<Status> status)
{
    icon_.setIcon(StatusDot::image(status));
    icon_.setToolTip(StatusDot::accessibilityLabel(status));
}

void TrayIcon::setShown(bool shown)
{
    icon_.setVisible(shown);
}

QRect TrayIcon::geometry() const
{
    return icon_.geometry();
}

} // namespace corvane
