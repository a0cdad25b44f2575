#pragma once

#include <QColor>
#include <QFont>

namespace corvane::Theme {

// The fixed dark palette of the main window, its sheets and the tray popover.
// Each colour is opaque sRGB; values are built once and shared.
const QColor& window();
const QColor& sidebar();
const QColor& card();
const QColor& raised();
const QColor& line();
const QColor& text();
const QColor& text2();
const QColor& text3();
const QColor& accent();
const QColor& accentLight();
const QColor& button();
const QColor& accentBG();
const QColor& amber();
const QColor& amberBG();
const QColor& green();
const QColor& greenBG();
const QColor& red();
const QColor& redBG();

// Colours outside the palette that several views share.
const QColor& leaveFG();        // "Leave it" pill and note pills: #C4C4CC
const QColor& leaveBG();        // #24242C
const QColor& secondaryLine();  // outline of the quiet button: #33333D
const QColor& symbolTint();     // symbol on a process square: #C4B5FD
const QColor& symbolLine();     // outline of a process square: #2C2C36

// The monospaced font of process rows: 13.5 points, regular.
const QFont& mono();

// "#rrggbb" or, with transparency, "rgba(r, g, b, a)" for style sheets.
QString css(const QColor& colour);

} // namespace corvane::Theme
