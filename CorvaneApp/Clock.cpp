#include "CorvaneApp/Clock.hpp"

namespace corvane {

Date SystemClock::now() const
{
    return std::chrono::system_clock::now();
}

} // namespace corvane
