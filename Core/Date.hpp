#pragma once

#include <chrono>

namespace corvane {

// A moment in time, as the rest of the system speaks of it.
using Date = std::chrono::system_clock::time_point;

// Seconds between two moments, as a double.
inline double secondsBetween(Date from, Date to)
{
    return std::chrono::duration<double>(to - from).count();
}

} // namespace corvane
