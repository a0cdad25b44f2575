#pragma once

#include <QMainWindow>

namespace corvane {

class RootView;
struct ViewEnvironment;

// The main window: "Corvane", 1200 by 860 at first, never smaller than 1000 by 700, with
// the root view as its content. Closing it only hides it; the app keeps running.
class MainWindow : public QMainWindow {
    Q_OBJECT
public:
    explicit MainWindow(ViewEnvironment& environment, QWidget* parent = nullptr);

    RootView* rootView() const { return root_; }

    // Shows the window, restores it when minimised and brings it forward.
    void bringForward();

private:
    RootView* root_;
};

} // namespace corvane
