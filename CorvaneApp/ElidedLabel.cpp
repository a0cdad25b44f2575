#include "CorvaneApp/ElidedLabel.hpp"

#include <QEvent>
#include <QFontMetrics>
#include <QtMath>

namespace corvane {

ElidedLabel::ElidedLabel(QWidget* parent) : QLabel(parent)
{
    setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    setTextFormat(Qt::PlainText);
}

void ElidedLabel::setFullText(const QString& text)
{
    if (text == full_)
        return;
    full_ = text;
    setToolTip(text);
    updateGeometry();
    elide();
}

QSize ElidedLabel::minimumSizeHint() const
{
    return {0, fontMetrics().height()};
}

QSize ElidedLabel::sizeHint() const
{
    // Rounded up with a pixel to spare: eliding measures a little wider than the advance.
    return {qCeil(QFontMetricsF(font()).horizontalAdvance(full_)) + 1, fontMetrics().height()};
}

void ElidedLabel::resizeEvent(QResizeEvent* event)
{
    QLabel::resizeEvent(event);
    elide();
}

void ElidedLabel::changeEvent(QEvent* event)
{
    QLabel::changeEvent(event);
    if (event->type() == QEvent::FontChange)
        elide();
}

void ElidedLabel::elide()
{
    const QString shown = fontMetrics().elidedText(full_, Qt::ElideRight, width());
    if (shown != text())
        setText(shown);
}

} // namespace corvane
