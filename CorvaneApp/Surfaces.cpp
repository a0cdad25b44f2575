#include "CorvaneApp/Surfaces.hpp"

#include "CorvaneApp/SymbolIcons.hpp"

#include <QPainter>
#include <QPainterPath>
#include <QWidget>

namespace corvane {

namespace {

class AppMark final : public QWidget {
public:
    AppMark(double side, double radius, double symbolSide, QWidget* parent)
        : QWidget(parent)
        , radius_(radius)
        , symbolSide_(symbolSide)
    {
        setFixedSize(qRound(side), qRound(side));
        setProperty("symbol", QStringLiteral("waveform.path.ecg"));
    }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        QLinearGradient gradient(rect().topLeft(), rect().bottomRight());
        gradient.setColorAt(0, QColor(0x9F, 0x7A, 0xFA));
        gradient.setColorAt(1, QColor(0x6D, 0x3E, 0xF2));
        QPainterPath square;
        square.addRoundedRect(rect(), radius_, radius_);
        painter.fillPath(square, gradient);
        const QRectF symbol((width() - symbolSide_) / 2, (height() - symbolSide_) / 2, symbolSide_, symbolSide_);
        painter.drawPixmap(symbol,
                           SymbolIcons::pixmap(QStringLiteral("waveform.path.ecg"), Qt::white, symbolSide_,
                                               devicePixelRatioF()),
                           QRectF());
    }

private:
    double radius_;
    double symbolSide_;
};

} // namespace

void fillBackground(QWidget* widget, const QColor& colour)
{
    widget->setAutoFillBackground(true);
    QPalette palette = widget->palette();
    palette.setColor(QPalette::Window, colour);
    widget->setPalette(palette);
}

QWidget* separator(Qt::Orientation orientation, const QColor& colour, QWidget* parent)
{
    auto* line = new QWidget(parent);
    if (orientation == Qt::Horizontal)
        line->setFixedHeight(1);
    else
        line->setFixedWidth(1);
    fillBackground(line, colour);
    return line;
}

QWidget* appMark(double side, double radius, double symbolSide, QWidget* parent)
{
    return new AppMark(side, radius, symbolSide, parent);
}

} // namespace corvane
