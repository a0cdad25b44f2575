#pragma once

#include <QStringList>

class QChartView;
class QWidget;

namespace corvane::test {

// What a person would find cut off at the sides in a laid-out window, one line each:
// a visible widget that its ancestors clip, a one-line label or a button whose text is
// wider than itself, and a chart label shortened to an ellipsis. Text that ends in "…"
// is shortened on purpose and passes.
QStringList clippedWidgets(const QWidget& root);

// The texts a laid-out chart shows: its axis labels, as drawn.
QStringList chartTexts(const QChartView& view);

} // namespace corvane::test
