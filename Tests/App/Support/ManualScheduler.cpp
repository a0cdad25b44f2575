#include "Tests/App/Support/ManualScheduler.hpp"

#include <algorithm>

namespace corvane::test {

Scheduler::Token ManualScheduler::schedule(double seconds, QObject* receiver, std::function<void()> callback)
{
    requested_.push_back(seconds);
    const auto due = clock_.now()
                     + std::chrono::duration_cast<Date::duration>(std::chrono::duration<double>(seconds));
    entries_.push_back({++next_, due, receiver, std::move(callback)});
    return next_;
}

void ManualScheduler::cancel(Token token)
{
    std::erase_if(entries_, [&](const Entry& entry) { return entry.token == token; });
}

void ManualScheduler::advance(double seconds)
{
    const auto end = clock_.now()
                     + std::chrono::duration_cast<Date::duration>(std::chrono::duration<double>(seconds));
    for (;;) {
        std::erase_if(entries_, [](const Entry& entry) { return !entry.receiver; });
        const auto earliest = std::min_element(entries_.begin(), entries_.end(), [](const Entry& a, const Entry& b) {
            return a.due < b.due || (a.due == b.due && a.token < b.token);
        });
        if (earliest == entries_.end() || earliest->due > end)
            break;
        auto callback = std::move(earliest->callback);
        clock_.set(earliest->due);
        entries_.erase(earliest);
        callback();
    }
    clock_.set(end);
}

std::size_t ManualScheduler::pending() const
{
    return static_cast<std::size_t>(
        std::count_if(entries_.begin(), entries_.end(), [](const Entry& entry) { return !entry.receiver.isNull(); }));
}

double ManualScheduler::nextDelay() const
{
    double best = -1;
    for (const auto& entry : entries_) {
        if (!entry.receiver)
            continue;
        const double delay = secondsBetween(clock_.now(), entry.due);
        if (best < 0 || delay < best)
            best = delay;
    }
    return best;
}

} // namespace corvane::test
