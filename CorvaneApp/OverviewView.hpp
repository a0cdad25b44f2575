#pragma once

#include <QWidget>

namespace corvane {

struct ViewEnvironment;

// The Overview screen.
class OverviewView : public QWidget {
    Q_OBJECT
public:
    explicit OverviewView(ViewEnvironment& environment, QWidget* parent = nullptr);
};

} // namespace corvane
