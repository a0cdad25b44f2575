#pragma once

#include <QObject>

#include <memory>

namespace corvane {

// Tells when the machine is about to sleep and when it woke. This base class never
// emits by itself; tests emit its signals directly.
class SleepWatcher : public QObject {
    Q_OBJECT
public:
    explicit SleepWatcher(QObject* parent = nullptr) : QObject(parent) {}

    // Listens to logind's PrepareForSleep on the system bus. Without a system bus the
    // watcher simply never emits.
    static std::unique_ptr<SleepWatcher> logind();

Q_SIGNALS:
    void willSleep();
    void didWake();
};

} // namespace corvane
