#pragma once

#include <QObject>
#include <QPointer>

#include <cstdint>
#include <functional>
#include <unordered_map>

class QTimer;

namespace corvane {

// Runs a callback once after a delay. The callback is bound to a receiver and never
// runs once the receiver is gone; a pending callback can be cancelled by its token.
class Scheduler {
public:
    using Token = std::uint64_t;

    virtual ~Scheduler() = default;

    // Runs `callback` on the GUI thread `seconds` from now (0 = at the next turn of the
    // event loop, never inline). The token is never 0.
    virtual Token schedule(double seconds, QObject* receiver, std::function<void()> callback) = 0;

    // Forgets a pending callback; unknown or spent tokens are ignored.
    virtual void cancel(Token token) = 0;
};

// Single-shot precise timers, each a child of its receiver.
class TimerScheduler final : public Scheduler {
public:
    TimerScheduler() = default;
    TimerScheduler(const TimerScheduler&) = delete;
    TimerScheduler& operator=(const TimerScheduler&) = delete;
    ~TimerScheduler() override;

    Token schedule(double seconds, QObject* receiver, std::function<void()> callback) override;
    void cancel(Token token) override;

private:
    Token next_ = 0;
    std::unordered_map<Token, QPointer<QTimer>> timers_;
};

} // namespace corvane
