#include "CorvaneApp/CorvaneApp.hpp"
#include "CorvaneApp/Platform/SingleInstance.hpp"
#include "CorvaneApp/Platform/TerminationSignals.hpp"

#include <QApplication>

int main(int argc, char** argv)
{
    QApplication application(argc, argv);
    corvane::SingleInstance instance;
    if (!instance.claim())
        return 0;
    corvane::quitOnTerminationSignals();
    corvane::CorvaneApp app(application);
    QObject::connect(&instance, &corvane::SingleInstance::activationRequested, &app, &corvane::CorvaneApp::showMainWindow);
    app.showMainWindow();
    return application.exec();
}
