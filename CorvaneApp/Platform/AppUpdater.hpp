#pragma once

#include <QObject>

#include <functional>
#include <memory>

namespace corvane {

// The four operations the app needs of a software-update framework.
class UpdaterBackend {
public:
    virtual ~UpdaterBackend() = default;

    virtual void startUpdater() = 0;
    // A check the user asked for, with the framework's own dialogs.
    virtual void checkForUpdates() = 0;
    virtual bool canCheckForUpdates() const = 0;
    virtual bool automaticallyChecksForUpdates() const = 0;
    virtual void setAutomaticallyChecksForUpdates(bool on) = 0;

    // Called with the new value whenever canCheckForUpdates changes.
    std::function<void(bool)> canCheckChanged;
};

// The app's one handle on software updates. A build without an update backend
// (the Linux build) is not configured: the update menu item and setting never show,
// and nothing but the creation ever happens here.
class AppUpdater : public QObject {
    Q_OBJECT

public:
    // Over the platform's backend, if the build has one.
    explicit AppUpdater(QObject* parent = nullptr);
    explicit AppUpdater(std::unique_ptr<UpdaterBackend> backend, QObject* parent = nullptr);
    ~AppUpdater() override;

    // Whether this build carries an update backend.
    static bool isConfigured();
    // Whether this wrapper has a backend to drive.
    bool configured() const { return backend_ != nullptr; }

    bool canCheckForUpdates() const { return canCheckForUpdates_; }
    bool started() const { return started_; }
    // Set by the app just before it starts the updater; never reset.
    void setStarted(bool started) { started_ = started; }

    void startUpdater();
    void checkForUpdates();
    bool automaticallyChecksForUpdates() const;
    void setAutomaticallyChecksForUpdates(bool on);

Q_SIGNALS:
    void canCheckForUpdatesChanged();

private:
    void setCanCheckForUpdates(bool value);

    std::unique_ptr<UpdaterBackend> backend_;
    bool canCheckForUpdates_ = false;
    bool started_ = false;
};

} // namespace corvane
