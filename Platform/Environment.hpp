#pragma once

#include <functional>
#include <string>

namespace corvane {

// Where the readers of the session's settings find its environment variables:
// std::getenv in the program, a table of their own in tests. A variable that is not
// set gives nullptr.
using Environment = std::function<const char*(const char* name)>;

// The value of `name`; empty when it is not set.
inline std::string valueOf(const Environment& environment, const char* name)
{
    const char* value = environment(name);
    return value ? value : "";
}

} // namespace corvane
