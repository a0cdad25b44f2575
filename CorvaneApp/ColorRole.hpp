#pragma once

class QColor;

namespace corvane {

// A colour of the fixed palette, named as the theme names it, so view models can say
// which colour a text takes without depending on the widget toolkit.
enum class ColorRole {
    text,
    text2,
    text3,
    accent,
    accentLight,
    green,
    greenBG,
    amber,
    amberBG,
    red,
    redBG,
    leaveFG,
    leaveBG,
    raised,
    sky,           // the memory chart's "Cached" blue, #60A5FA
    causeHeadline, // #D4D4D8
};

// The theme's colour for a role (widget layer only).
const QColor& themeColor(ColorRole role);

} // namespace corvane
