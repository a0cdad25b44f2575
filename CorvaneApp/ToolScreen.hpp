#pragma once

#include <QProgressBar>
#include <QScrollArea>

class QVBoxLayout;

namespace corvane {

// A frameless vertical scroll area for a screen's or sheet's content, resizing it to its
// width. It is no stop for Tab, which goes straight to the controls inside (and scrolls
// them into view); a click in it still gives it the keys that scroll.
QScrollArea* pageScroll(QWidget* parent);

// The body of a tool screen: a vertical scroll area filling `screen`, holding one column
// with the screens' margins and 22 between its parts. Returns the column to fill.
QVBoxLayout* scrollColumn(QWidget* screen);

// The small indeterminate progress indicator shown while something loads.
class BusyIndicator : public QProgressBar {
    Q_OBJECT
public:
    explicit BusyIndicator(QWidget* parent = nullptr);
};

} // namespace corvane
