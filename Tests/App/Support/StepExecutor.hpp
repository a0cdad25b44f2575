#pragma once

#include "CorvaneApp/Executor.hpp"

#include <QPointer>

#include <deque>

namespace corvane::test {

// Background work that waits until the test runs it, on the test's thread, in any
// order; its delivery follows at once unless the receiver is gone.
class StepExecutor final : public Executor {
public:
    std::size_t pending() const { return jobs_.size(); }
    std::size_t pending(Lane lane) const;
    // Runs the oldest queued job (or the one at `index`); false when there is none.
    bool runNext(std::size_t index = 0);
    // Runs the oldest job queued on `lane`, leaving the others waiting; false when there is none.
    bool runNext(Lane lane);
    // Runs jobs, including those the deliveries queue, until none is left.
    void runAll();

protected:
    void submit(Lane lane, QObject* receiver, Job job) override;

private:
    struct Entry {
        Lane lane;
        QPointer<QObject> receiver;
        Job job;
    };
    std::deque<Entry> jobs_;
};

} // namespace corvane::test
