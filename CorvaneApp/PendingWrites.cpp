#include "CorvaneApp/PendingWrites.hpp"

#include <condition_variable>
#include <mutex>

namespace corvane::PendingWrites {
namespace {

struct State {
    std::mutex mutex;
    std::condition_variable released;
    int held = 0;
};

// Never destroyed: a worker or the termination watchdog may still use it while the
// process runs its exit handlers.
State& state()
{
    static State* const shared = new State;
    return *shared;
}

} // namespace

Hold hold()
{
    State& s = state();
    {
        const std::lock_guard lock(s.mutex);
        ++s.held;
    }
    return Hold(&s, [](State* counted) {
        {
            const std::lock_guard lock(counted->mutex);
            --counted->held;
        }
        counted->released.notify_all();
    });
}

bool waitUntil(std::chrono::steady_clock::time_point deadline)
{
    State& s = state();
    std::unique_lock lock(s.mutex);
    return s.released.wait_until(lock, deadline, [&] { return s.held == 0; });
}

} // namespace corvane::PendingWrites
