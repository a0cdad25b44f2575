#include "CorvaneApp/Executor.hpp"

#include <QThreadPool>

namespace corvane {

ThreadPoolExecutor::ThreadPoolExecutor(int maxThreads)
    : shared_(std::make_unique<QThreadPool>()), tick_(std::make_unique<QThreadPool>()),
      relay_(std::make_unique<QObject>())
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
}

void ThreadPoolExecutor::submit(Lane lane, QObject* receiver, Job job)
{
    QObject* relay = relay_.get();
    QPointer<QObject> guard = receiver;
    QThreadPool& pool = lane == Lane::tick ? *tick_ : *shared_;
    pool.start([relay, guard, job = std::move(job)]() mutable {
        auto delivery = std::make_shared<Delivery>(job());
        // The relay outlives the pools (destroyed after waitForDone), so it is valid here.
        QMetaObject::invokeMethod(
            relay,
            [guard, delivery] {
                if (guard)
                    (*delivery)();
            },
            Qt::QueuedConnection);
    });
}

} // namespace corvane
