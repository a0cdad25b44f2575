#pragma once

#include <mutex>

namespace corvane {

// Shared between one link-type request and its path handler, so that however
// many reports arrive, only the first one answers.
struct OnceFlag {
    std::mutex lock;
    bool used = false;

    // True for the first caller only. The lock is held just for the test-and-set.
    bool claim()
    {
        std::lock_guard guard(lock);
        if (used)
            return false;
        used = true;
        return true;
    }
};

} // namespace corvane
