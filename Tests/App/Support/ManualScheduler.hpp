#pragma once

#include "CorvaneApp/Scheduler.hpp"
#include "Tests/App/Support/VirtualClock.hpp"

#include <QPointer>

#include <vector>

namespace corvane::test {

// A scheduler on virtual time: callbacks run only when the test advances it, in order
// of due time (then of scheduling), each with the clock set to its due time.
class ManualScheduler final : public Scheduler {
public:
    explicit ManualScheduler(VirtualClock& clock) : clock_(clock) {}

    Token schedule(double seconds, QObject* receiver, std::function<void()> callback) override;
    void cancel(Token token) override;

    // Moves the clock forward by `seconds`, running every callback that falls due.
    void advance(double seconds);
    // Callbacks still waiting (cancelled ones and those of destroyed receivers excluded).
    std::size_t pending() const;
    // Seconds from now to the earliest pending callback; negative when none.
    double nextDelay() const;
    // The delays asked for, in order, for cadence checks.
    const std::vector<double>& requestedDelays() const { return requested_; }

private:
    struct Entry {
        Token token;
        Date due;
        QPointer<QObject> receiver;
        std::function<void()> callback;
    };
    VirtualClock& clock_;
    Token next_ = 0;
    std::vector<Entry> entries_;
    std::vector<double> requested_;
};

} // namespace corvane::test
