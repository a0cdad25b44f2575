#include "CorvaneApp/Platform/AppUpdater.hpp"

namespace corvane {

namespace {

// Linux builds ship through their distribution's package manager, which updates them;
// there is no in-app update framework here.
std::unique_ptr<UpdaterBackend> platformBackend()
{
    return nullptr;
}

} // namespace

AppUpdater::AppUpdater(QObject* parent) : AppUpdater(platformBackend(), parent) {}

AppUpdater::AppUpdater(std::unique_ptr<UpdaterBackend> backend, QObject* parent)
    : QObject(parent), backend_(std::move(backend))
{
    if (!backend_)
        return;
    backend_->canCheckChanged = [this](bool value) { setCanCheckForUpdates(value); };
    setCanCheckForUpdates(backend_->canCheckForUpdates());
}

AppUpdater::~AppUpdater()
{
    if (backend_)
        backend_->canCheckChanged = nullptr;
}

bool AppUpdater::isConfigured()
{
    return platformBackend() != nullptr;
}

void AppUpdater::startUpdater()
{
    if (backend_)
        backend_->startUpdater();
}

void AppUpdater::checkForUpdates()
{
    if (backend_)
        backend_->checkForUpdates();
}

bool AppUpdater::automaticallyChecksForUpdates() const
{
    return backend_ && backend_->automaticallyChecksForUpdates();
}

void AppUpdater::setAutomaticallyChecksForUpdates(bool on)
{
    if (backend_)
        backend_->setAutomaticallyChecksForUpdates(on);
}

void AppUpdater::setCanCheckForUpdates(bool value)
{
    if (value == canCheckForUpdates_)
        return;
    canCheckForUpdates_ = value;
    Q_EMIT canCheckForUpdatesChanged();
}

} // namespace corvane
