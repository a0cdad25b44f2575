#include "CorvaneApp/Theme.hpp"

#include "CorvaneApp/Fonts.hpp"

namespace corvane::Theme {

#define CORVANE_THEME_COLOUR(name, r, g, b)    \
    const QColor& name()                       \
    {                                          \
        static const QColor colour(r, g, b);   \
        return colour;                         \
    }

CORVANE_THEME_COLOUR(window, 17, 17, 22)
CORVANE_THEME_COLOUR(sidebar, 20, 20, 26)
CORVANE_THEME_COLOUR(card, 25, 25, 33)
CORVANE_THEME_COLOUR(raised, 31, 31, 40)
CORVANE_THEME_COLOUR(line, 38, 38, 47)
CORVANE_THEME_COLOUR(text, 242, 242, 245)
CORVANE_THEME_COLOUR(text2, 161, 161, 170)
CORVANE_THEME_COLOUR(text3, 113, 113, 122)
CORVANE_THEME_COLOUR(accent, 139, 92, 246)
CORVANE_THEME_COLOUR(accentLight, 167, 139, 250)
CORVANE_THEME_COLOUR(button, 124, 77, 255)
CORVANE_THEME_COLOUR(accentBG, 42, 33, 68)
CORVANE_THEME_COLOUR(amber, 245, 184, 65)
CORVANE_THEME_COLOUR(amberBG, 58, 46, 20)
CORVANE_THEME_COLOUR(green, 110, 231, 183)
CORVANE_THEME_COLOUR(greenBG, 20, 51, 42)
CORVANE_THEME_COLOUR(red, 248, 113, 113)
CORVANE_THEME_COLOUR(redBG, 58, 28, 31)
CORVANE_THEME_COLOUR(leaveFG, 196, 196, 204)
CORVANE_THEME_COLOUR(leaveBG, 36, 36, 44)
CORVANE_THEME_COLOUR(secondaryLine, 51, 51, 61)
CORVANE_THEME_COLOUR(symbolTint, 196, 181, 253)
CORVANE_THEME_COLOUR(symbolLine, 44, 44, 54)

#undef CORVANE_THEME_COLOUR

const QFont& mono()
{
    static const QFont font = Fonts::mono(13.5);
    return font;
}

QString css(const QColor& colour)
{
    if (colour.alpha() == 255)
        return colour.name(QColor::HexRgb);
    return QStringLiteral("rgba(%1, %2, %3, %4)")
        .arg(colour.red())
        .arg(colour.green())
        .arg(colour.blue())
        .arg(QString::number(colour.alphaF(), 'f', 3));
}

} // namespace corvane::Theme
