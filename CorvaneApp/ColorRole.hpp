#pragma once

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
    amber,
    red,
    raised,
    sky,  // the memory chart's "Cached" blue, #60A5FA
};

} // namespace corvane
