#pragma once

#include <QWidget>

namespace corvane {

struct ViewEnvironment;

// The Internet screen.
class InternetView : public QWidget {
    Q_OBJECT
public:
    explicit InternetView(ViewEnvironment& environment, QWidget* parent = nullptr);
};

} // namespace corvane
