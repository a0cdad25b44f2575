#include "CorvaneApp/Fonts.hpp"

#include <QFontDatabase>
#include <QGuiApplication>
#include <QScreen>

namespace corvane::Fonts {

namespace {

QFont sized(QFont font, double size, QFont::Weight weight)
{
    // QFont's pixel sizes are whole numbers; a point size converted through the
    // screen's logical DPI keeps the half sizes.
    font.setPointSizeF(pointSize(size));
    font.setWeight(weight);
    return font;
}

} // namespace

double pointSize(double size)
{
    double dpi = 96;
    if (const QScreen* screen = QGuiApplication::primaryScreen(); screen && screen->logicalDotsPerInchY() > 0)
        dpi = screen->logicalDotsPerInchY();
    return size * 72.0 / dpi;
}

QFont system(double size, QFont::Weight weight)
{
    return sized(QFontDatabase::systemFont(QFontDatabase::GeneralFont), size, weight);
}

QFont mono(double size, QFont::Weight weight)
{
    QFont font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    font.setStyleHint(QFont::Monospace);
    return sized(font, size, weight);
}

} // namespace corvane::Fonts
