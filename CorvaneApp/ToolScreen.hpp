#pragma once

#include <QProgressBar>
#include <QScrollArea>

class QVBoxLayout;

namespace corvane {

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
