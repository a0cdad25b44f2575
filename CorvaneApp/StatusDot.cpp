#include "CorvaneApp/StatusDot.hpp"

#include "CorvaneApp/Components.hpp"
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

Status status(const std::optional<Date>& lastChecked, const DiagnosisResult& result)
{
    return lastChecked ? result.status : Status::quiet;
}

QColor colour(Status status)
{
    switch (status) {
    case Status::quiet: return Theme::green();
    case Status::busy: return Theme::amber();
    case Status::struggling: return Theme::red();
    }
    return Theme::green();
}

const QIcon& image(Status status)
{
    static const std::map<Status, QIcon> images{
        {Status::quiet, image(colour(Status::quiet))},
        {Status::busy, image(colour(Status::busy))},
        {Status::struggling, image(colour(Status::struggling))},
    };
    return images.at(status);
}

QString accessibilityLabel(Status status)
{
    return QStringLiteral("Corvane status: ") + QString::fromStdString(label(status));
}

} // namespace corvane::StatusDot
