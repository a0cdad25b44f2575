#include "CorvaneApp/Fonts.hpp"

#include <QFontDatabase>
#include <QFontInfo>
#include <QFontMetricsF>
#include <QGuiApplication>
#include <QScreen>
#include <QStringList>

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
    // Fonts are not installed while the app runs, so the family is chosen once.
    static const QString family = fixedPitchFamily(QStringLiteral("DejaVu Sans Mono"));
    QFont font(family);
    font.setStyleHint(QFont::Monospace);
    return sized(font, size, weight);
}

bool isFixedPitch(const QFont& font)
{
    // The face says so itself (fontconfig does not, of a face with a few double-width
    // glyphs), and its glyphs bear it out.
    if (!QFontInfo(font).fixedPitch())
        return false;
    const QFontMetricsF metrics(font);
    const double advance = metrics.horizontalAdvance(QLatin1Char('i'));
    for (const QChar glyph : QStringLiteral("lmW_0.")) {
        if (metrics.horizontalAdvance(glyph) != advance)
            return false;
    }
    return advance > 0;
}

QString fixedPitchFamily(const QString& preferred)
{
    const QFont system = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    QStringList candidates{preferred, QFontInfo(system).family()};
    for (const QString& family : QFontDatabase::families()) {
        if (QFontDatabase::isFixedPitch(family))
            candidates.append(family);
    }
    for (const QString& family : candidates) {
        QFont font(family);
        font.setStyleHint(QFont::Monospace);
        if (QFontInfo(font).family() == family && isFixedPitch(font))
            return family;
    }
    return system.family();
}

} // namespace corvane::Fonts
