#pragma once

#include <atomic>
#include <functional>

namespace corvane {

// Whether the machine is in its energy-saving mode, cached: the GUI thread reads the
// cached answer and never blocks; a worker refreshes it.
class LowPowerProbe {
public:
    // `read` blocks on the system's files; the default reads the platform profile.
    explicit LowPowerProbe(std::function<bool()> read = defaultRead());

    // The answer of the last refresh; false before the first one. Any thread.
    bool enabled() const { return cached_.load(std::memory_order_relaxed); }

    // Reads the system again. Blocks; call it off the GUI thread.
    void refresh() { cached_.store(read_(), std::memory_order_relaxed); }

    static std::function<bool()> defaultRead();

private:
    std::function<bool()> read_;
    std::atomic<bool> cached_{false};
};

} // namespace corvane
