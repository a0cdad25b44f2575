#pragma once

#include <utility>

namespace corvane {

// The store rule of the published properties: every assignment stores the value, and
// the caller notifies observers only when this answers true (the value changed).
template <class T, class U>
bool store(T& field, U&& value)
{
    const bool changed = !(field == value);
    field = std::forward<U>(value);
    return changed;
}

} // namespace corvane
