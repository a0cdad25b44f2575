#include "CorvaneApp/ColorRole.hpp"

#include "CorvaneApp/Theme.hpp"

#include <QColor>

namespace corvane {

const QColor& themeColor(ColorRole role)
{
    static const QColor sky(0x60, 0xA5, 0xFA);
    static const QColor causeHeadline(0xD4, 0xD4, 0xD8);
    switch (role) {
    case ColorRole::text: return Theme::text();
    case ColorRole::text2: return Theme::text2();
    case ColorRole::text3: return Theme::text3();
    case ColorRole::accent: return Theme::accent();
    case ColorRole::accentLight: return Theme::accentLight();
    case ColorRole::green: return Theme::green();
    case ColorRole::greenBG: return Theme::greenBG();
    case ColorRole::amber: return Theme::amber();
    case ColorRole::amberBG: return Theme::amberBG();
    case ColorRole::red: return Theme::red();
    case ColorRole::redBG: return Theme::redBG();
    case ColorRole::leaveFG: return Theme::leaveFG();
    case ColorRole::leaveBG: return Theme::leaveBG();
    case ColorRole::raised: return Theme::raised();
    case ColorRole::sky: return sky;
    case ColorRole::causeHeadline: return causeHeadline;
    }
    return Theme::text();
}

} // namespace corvane
