#pragma once

#include <QWidget>

namespace corvane {

struct ViewEnvironment;

// The Processes screen.
class ProcessesView : public QWidget {
    Q_OBJECT
public:
    explicit ProcessesView(ViewEnvironment& environment, QWidget* parent = nullptr);
};

} // namespace corvane
