#include "CorvaneApp/ElidedLabel.hpp"

#include "CorvaneApp/Components.hpp"

#include <QFontMetrics>
#include <QPainter>
#include <QtMath>

namespace corvane {

ElidedLabel::ElidedLabel(QWidget* parent) : QLabel(parent)
{
    setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    setTextFormat(Qt::PlainText);
}

ElidedLabel::ElidedLabel(const QFont& font, const QColor& colour, QWidget* parent) : ElidedLabel(parent)
{
    setFont(font);
    setForeground(this, colour);
}

void ElidedLabel::setFullText(const QString& text)
{
    setText(text);
    setToolTip(text);
}

QSize ElidedLabel::minimumSizeHint() const
{
    return {0, fontMetrics().height()};
}

QSize ElidedLabel::sizeHint() const
{
    // Rounded up with a pixel to spare: eliding measures a little wider than the advance.
    return {qCeil(QFontMetricsF(font()).horizontalAdvance(text())) + 1, fontMetrics().height()};
}

void ElidedLabel::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setPen(palette().color(QPalette::WindowText));
    const QRect area = contentsRect();
    painter.drawText(area, Qt::AlignLeft | Qt::AlignVCenter,
                     fontMetrics().elidedText(text(), Qt::ElideRight, area.width()));
}

} // namespace corvane
