#include "CorvaneApp/MainWindow.hpp"

#include "CorvaneApp/RootView.hpp"

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
}

} // namespace corvane
