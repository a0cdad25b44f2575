#pragma once

#include <chrono>
#include <memory>

// Writes the app must not end in the middle of: a usage-history record already taken, a
// settings change. Each holds a Hold from when it is handed to a worker until its file is
// written (or the work is dropped); the app's end waits for them, within a bound, however
// it comes (a quit, a termination signal the GUI thread cannot answer).
namespace corvane::PendingWrites {

using Hold = std::shared_ptr<const void>;

// Counts one write until the returned hold and every copy of it are gone.
Hold hold();

// Waits until no write is held or `deadline` passes; true when none is held.
bool waitUntil(std::chrono::steady_clock::time_point deadline);

} // namespace corvane::PendingWrites
