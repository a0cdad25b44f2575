#pragma once

#include <QWidget>

namespace corvane {

struct ViewEnvironment;

// The Background Items screen.
class BackgroundItemsView : public QWidget {
    Q_OBJECT
public:
    explicit BackgroundItemsView(ViewEnvironment& environment, QWidget* parent = nullptr);
};

} // namespace corvane
