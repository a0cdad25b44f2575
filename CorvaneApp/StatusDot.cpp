#include "CorvaneApp/StatusDot.hpp"

#include "CorvaneApp/Components.hpp"
#include "CorvaneApp/Monitor.hpp"
#include "CorvaneApp/Theme.hpp"

#include <QPainter>
#include <QPixmap>

#include <map>

namespace corvane::StatusDot {

namespace {

// A filled circle with a little room around it, as tray icons are drawn; the tray scales it.
QIcon image(const QColor& colour)
{
    QIcon icon;
    for (const int side : {16, 22, 32, 44, 64}) {
        QPixmap pixmap(side, side);
        pixmap.fill(Qt::transparent);
        QPainter painter(&pixmap);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setPen(Qt::NoPen);
        painter.setBrush(colour);
        const double diameter = side * 0.5;
        painter.drawEllipse(QRectF((side - diameter) / 2, (side - diameter) / 2, diameter, diameter));
        icon.addPixmap(pixmap);
    }
    return icon;
}

} // namespace

std::optional<Status> status(const Monitor& monitor)
{
    if (!monitor.catalog())
        return std::nullopt;
    return monitor.lastChecked() ? monitor.result().status : Status::quiet;
}

QColor colour(std::optional<Status> status)
{
    if (!status)
        return Theme::text3();
    switch (*status) {
    case Status::quiet: return Theme::green();
    case Status::busy: return Theme::amber();
    case Status::struggling: return Theme::red();
    }
    return Theme::green();
}

const QIcon& image(std::optional<Status> status)
{
    static const std::map<std::optional<Status>, QIcon> images{
        {std::nullopt, image(colour(std::nullopt))},
        {Status::quiet, image(colour(Status::quiet))},
        {Status::busy, image(colour(Status::busy))},
        {Status::struggling, image(colour(Status::struggling))},
    };
    return images.at(status);
}

QString accessibilityLabel(std::optional<Status> status)
{
    return QStringLiteral("Corvane status: ") + QString::fromUtf8(status ? label(*status).c_str() : catalogFailedText);
}

} // namespace corvane::StatusDot
