#include "CorvaneApp/Scheduler.hpp"

#include <QTimer>

#include <cmath>

namespace corvane {

TimerScheduler::~TimerScheduler()
{
    for (auto& [token, timer] : timers_)
        delete timer.data();
}

Scheduler::Token TimerScheduler::schedule(double seconds, QObject* receiver, std::function<void()> callback)
{
    // Timers deleted with their receivers leave empty entries behind.
    std::erase_if(timers_, [](const auto& entry) { return entry.second.isNull(); });
    const Token token = ++next_;
    auto* timer = new QTimer(receiver);
    timer->setSingleShot(true);
    timer->setTimerType(Qt::PreciseTimer);
    const double milliseconds = std::isfinite(seconds) ? std::max(0.0, seconds * 1000.0) : 0.0;
    timer->setInterval(static_cast<int>(std::min(milliseconds, 2.0e9)));
    QObject::connect(timer, &QTimer::timeout, timer, [this, token, timer, callback = std::move(callback)] {
        timers_.erase(token);
        timer->deleteLater();
        callback();
    });
    timers_.emplace(token, timer);
    timer->start();
    return token;
}

void TimerScheduler::cancel(Token token)
{
    const auto found = timers_.find(token);
    if (found == timers_.end())
        return;
    if (QTimer* timer = found->second.data()) {
        timer->stop();
        timer->deleteLater();
    }
    timers_.erase(found);
}

} // namespace corvane
