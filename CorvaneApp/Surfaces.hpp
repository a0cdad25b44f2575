#pragma once

#include <QColor>

class QWidget;

namespace corvane {

// Paints a widget's whole background in one colour (it draws nothing else itself).
void fillBackground(QWidget* widget, const QColor& colour);

// A 1-point separator line: horizontal (full width) or vertical (full height).
QWidget* separator(Qt::Orientation orientation, const QColor& colour, QWidget* parent);

// The app's mark: its pulse symbol in white on the violet gradient square, `side` wide,
// with corners of `radius` and the symbol `symbolSide` wide.
QWidget* appMark(double side, double radius, double symbolSide, QWidget* parent);

} // namespace corvane
