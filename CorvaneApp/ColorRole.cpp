#include "CorvaneApp/ColorRole.hpp"

#include "CorvaneApp/Theme.hpp"

#include <QColor>

namespace corvane {

const QColor& themeColor(ColorRole role)
{
    static const QColor sky(0x60, 0xA5, 0xFA);
    switch (role) {
    case ColorRole::text: return Theme::text();
    case ColorRole::text2: return Theme::text2();
    case ColorRole::text3: return Theme::text3();
    case ColorRole::accent: return Theme::accent();
    case ColorRole::accentLight: return Theme::accentLight();
    case ColorRole::green: return Theme::green();
    case ColorRole::amber: return Theme::amber();
    case ColorRole::red: return Theme::red();
    case ColorRole::raised: return Theme::raised();
    case ColorRole::sky: return sky;
    }
    return Theme::text();
}

} // namespace corvane
