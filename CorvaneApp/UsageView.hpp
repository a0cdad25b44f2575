#pragma once

#include <QWidget>

namespace corvane {

struct ViewEnvironment;

// The Usage screen.
class UsageView : public QWidget {
    Q_OBJECT
public:
    explicit UsageView(ViewEnvironment& environment, QWidget* parent = nullptr);
};

} // namespace corvane
