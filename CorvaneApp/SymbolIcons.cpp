#include "CorvaneApp/SymbolIcons.hpp"

#include <QDir>
#include <QFile>
#include <QHash>
#include <QIconEngine>
#include <QPainter>
#include <QSvgRenderer>

#include <cmath>

namespace corvane {

namespace SymbolIcons {

namespace {

const QString folder = QStringLiteral(":/symbols/");
const QString fallback = QStringLiteral("gearshape");

QString pathOf(const QString& name)
{
    return folder + name + QStringLiteral(".svg");
}

QImage rendered(const QString& name, const QColor& colour, int pixels)
{
    QImage image(pixels, pixels, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QSvgRenderer renderer(has(name) ? pathOf(name) : pathOf(fallback));
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    renderer.render(&painter, QRectF(0, 0, pixels, pixels));
    // The drawings are one colour; keep their coverage and paint it in the asked colour.
    painter.setCompositionMode(QPainter::CompositionMode_SourceIn);
    painter.fillRect(image.rect(), colour);
    return image;
}

// Recolours on every size the icon is asked for, so it stays sharp in menus and buttons.
class SymbolEngine final : public QIconEngine {
public:
    SymbolEngine(QString name, QColor colour) : name_(std::move(name)), colour_(colour) {}

    void paint(QPainter* painter, const QRect& rect, QIcon::Mode mode, QIcon::State) override
    {
        QColor colour = colour_;
        if (mode == QIcon::Disabled)
            colour.setAlphaF(colour.alphaF() * 0.4);
        const qreal ratio = painter->device() ? painter->device()->devicePixelRatioF() : 1.0;
        const int side = std::min(rect.width(), rect.height());
        const QPixmap image = SymbolIcons::pixmap(name_, colour, side, ratio);
        // A box wider than tall keeps the symbol at its leading edge: the rest is space before a label.
        painter->drawPixmap(QRectF(rect.x(), rect.y() + (rect.height() - side) / 2.0, side, side), image,
                            QRectF(image.rect()));
    }

    QPixmap pixmap(const QSize& size, QIcon::Mode mode, QIcon::State state) override
    {
        QPixmap result(size);
        result.fill(Qt::transparent);
        QPainter painter(&result);
        paint(&painter, result.rect(), mode, state);
        return result;
    }

    QIconEngine* clone() const override { return new SymbolEngine(name_, colour_); }

private:
    QString name_;
    QColor colour_;
};

} // namespace

bool has(const QString& name)
{
    return !name.isEmpty() && QFile::exists(pathOf(name));
}

QStringList names()
{
    QStringList list;
    for (const QString& file : QDir(folder).entryList({QStringLiteral("*.svg")}, QDir::Files, QDir::Name))
        list << file.chopped(4);
    return list;
}

QPixmap pixmap(const QString& name, const QColor& colour, double size, qreal devicePixelRatio)
{
    const int pixels = std::max(1, int(std::lround(size * devicePixelRatio)));
    static QHash<QString, QPixmap> cache;
    const QString key = name + QLatin1Char('|') + QString::number(colour.rgba()) + QLatin1Char('|') +
                        QString::number(pixels);
    if (const auto found = cache.constFind(key); found != cache.constEnd())
        return *found;
    QPixmap result = QPixmap::fromImage(rendered(name, colour, pixels));
    result.setDevicePixelRatio(devicePixelRatio);
    cache.insert(key, result);
    return result;
}

QIcon icon(const QString& name, const QColor& colour)
{
    return QIcon(new SymbolEngine(name, colour));
}

} // namespace SymbolIcons

SymbolLabel::SymbolLabel(const QString& symbol, const QColor& colour, double size, QWidget* parent)
    : QLabel(parent), symbol_(symbol), colour_(colour), size_(size)
{
    setAlignment(Qt::AlignCenter);
    const int side = int(std::ceil(size));
    setFixedSize(side, side);
    setAccessibleName(QString());
    render();
}

void SymbolLabel::setSymbol(const QString& symbol)
{
    if (symbol == symbol_)
        return;
    symbol_ = symbol;
    render();
}

void SymbolLabel::setColour(const QColor& colour)
{
    if (colour == colour_)
        return;
    colour_ = colour;
    render();
}

void SymbolLabel::paintEvent(QPaintEvent* event)
{
    // Moved to a screen of another scale: draw the symbol sharp for it.
    if (!qFuzzyCompare(pixmap().devicePixelRatio(), devicePixelRatioF()))
        render();
    QLabel::paintEvent(event);
}

void SymbolLabel::render()
{
    setPixmap(SymbolIcons::pixmap(symbol_, colour_, size_, devicePixelRatioF()));
}

} // namespace corvane
