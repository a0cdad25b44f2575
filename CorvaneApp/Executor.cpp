#include "CorvaneApp/Executor.hpp"

#include <QThreadPool>

#include <system_error>
#include <thread>

namespace corvane {

// Where workers hand their deliveries to the GUI thread. A detached job may finish after
// the executor is gone: it finds the relay's object cleared then, and its delivery is dropped.
struct ThreadPoolExecutor::Relay {
    std::mutex mutex;
    std::unique_ptr<QObject> object = std::make_unique<QObject>();

    void deliver(const QPointer<QObject>& guard, std::shared_ptr<Executor::Delivery> delivery)
    {
        const std::lock_guard lock(mutex);
        if (!object)
            return;
        QMetaObject::invokeMethod(
            object.get(),
            [guard, delivery] {
                if (guard)
                    (*delivery)();
            },
            Qt::QueuedConnection);
    }
};

ThreadPoolExecutor::ThreadPoolExecutor(int maxThreads)
    : shared_(std::make_unique<QThreadPool>()), tick_(std::make_unique<QThreadPool>()),
      relay_(std::make_shared<Relay>())
{
    shared_->setMaxThreadCount(maxThreads);
    tick_->setMaxThreadCount(1);
    // Idle workers end soon, so a hidden app holds no spare threads between ticks.
    shared_->setExpiryTimeout(5000);
    tick_->setExpiryTimeout(5000);
}

ThreadPoolExecutor::~ThreadPoolExecutor()
{
    shared_->waitForDone();
    tick_->waitForDone();
    std::unique_ptr<QObject> object;
    {
        const std::lock_guard lock(relay_->mutex);
        object = std::move(relay_->object);
    }
    // Deleting it drops the deliveries still queued to it.
}

void ThreadPoolExecutor::submit(Lane lane, QObject* receiver, Job job)
{
    QPointer<QObject> guard = receiver;
    std::function<void()> work = [relay = relay_, guard, job = std::move(job)] {
        relay->deliver(guard, std::make_shared<Delivery>(job()));
    };
    if (lane == Lane::detached) {
        try {
            std::thread(work).detach();
            return;
        } catch (const std::system_error&) {
            // No thread to be had: the job waits its turn among the shared ones instead.
        }
    }
    (lane == Lane::tick ? *tick_ : *shared_).start(std::move(work));
}

} // namespace corvane
