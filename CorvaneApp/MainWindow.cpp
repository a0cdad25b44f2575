#include "CorvaneApp/MainWindow.hpp"

#include "CorvaneApp/RootView.hpp"

#include <QDialog>

namespace corvane {

MainWindow::MainWindow(ViewEnvironment& environment, QWidget* parent)
    : QMainWindow(parent)
    , root_(new RootView(environment, this))
{
    setWindowTitle(QStringLiteral("Corvane"));
    setObjectName(QStringLiteral("main"));
    setMinimumSize(1000, 700);
    resize(1200, 860);
    setCentralWidget(root_);
}

void MainWindow::bringForward()
{
    if (isMinimized())
        showNormal();
    else
        show();
    raise();
    activateWindow();
    // A sheet or alert over the window is what a person can act on: it gets the keyboard.
    if (QWidget* modal = root_->modal())
        modal->activateWindow();
}

} // namespace corvane
