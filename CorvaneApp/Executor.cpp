#include "CorvaneApp/Executor.hpp"

#include <QThreadPool>

namespace corvane {

ThreadPoolExecutor::ThreadPoolExecutor(int maxThreads)
    : pool_(std::make_unique<QThreadPool>()), relay_(std::make_unique<QObject>())
{
    pool_->setMaxThreadCount(maxThreads);
    // Idle workers end soon, so a hidden app holds no spare threads between ticks.
    pool_->setExpiryTimeout(5000);
}

ThreadPoolExecutor::~ThreadPoolExecutor()
{
    pool_->waitForDone();
}

void ThreadPoolExecutor::submit(QObject* receiver, Job job)
{
    QObject* relay = relay_.get();
    QPointer<QObject> guard = receiver;
    pool_->start([relay, guard, job = std::move(job)]() mutable {
        auto delivery = std::make_shared<Delivery>(job());
        // The relay outlives the pool (destroyed after waitForDone), so it is valid here.
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
