#include "CorvaneApp/ElidedLabel.hpp"

#include "CorvaneApp/Components.hpp"

#include <QFontMetrics>
#include <QPainter>
#include <QtMath>

#include <algorithm>

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

QString ElidedLabel::shownText() const
{
    return fontMetrics().elidedText(text(), Qt::ElideRight, contentsRect().width());
}

ElidedLabel::Extent ElidedLabel::extent() const
{
    // The font's ascent and descent, widened by the text's own ink where a glyph reaches
    // past them (a fallback font's glyph, stacked accents). Rounded outwards separately:
    // the integer metrics round a descent of 3.3 down to 3, and the underscore of a mono
    // font sits on its descent line, so it would fall out of the label.
    const QFontMetricsF metrics(font());
    const QRectF ink = metrics.tightBoundingRect(text());
    return {qCeil(std::max(metrics.ascent(), -ink.top())), qCeil(std::max(metrics.descent(), ink.bottom()))};
}

QSize ElidedLabel::minimumSizeHint() const
{
    const Extent lines = extent();
    return {0, lines.above + lines.below};
}

QSize ElidedLabel::sizeHint() const
{
    const Extent lines = extent();
    // Rounded up with a pixel to spare: eliding measures a little wider than the advance.
    return {qCeil(QFontMetricsF(font()).horizontalAdvance(text())) + 1, lines.above + lines.below};
}

void ElidedLabel::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setPen(palette().color(QPalette::WindowText));
    const QRect area = contentsRect();
    const Extent lines = extent();
    // Centred as a whole line, on a whole-pixel baseline, so nothing of the ink is cut.
    const int baseline = area.top() + (area.height() - lines.above - lines.below) / 2 + lines.above;
    painter.drawText(QPoint(area.left(), baseline), shownText());
}

} // namespace corvane
