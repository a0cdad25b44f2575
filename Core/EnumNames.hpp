#pragma once

#include <array>
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace corvane {

// Raw text values of an enumeration, in declaration order. Each enumeration
// whose raw value is its case name specialises this next to its declaration:
//   template <> struct EnumNames<Verdict> { static constexpr std::array values{...}; };
template <typename E>
struct EnumNames;

template <typename E>
std::string toString(E value)
{
    return std::string(EnumNames<E>::values.at(static_cast<std::size_t>(value)));
}

template <typename E>
std::optional<E> fromString(std::string_view text)
{
    const auto& values = EnumNames<E>::values;
    for (std::size_t i = 0; i < values.size(); ++i) {
        if (values[i] == text)
            return static_cast<E>(i);
    }
    return std::nullopt;
}

// Every case of an enumeration, in declaration order.
template <typename E>
constexpr auto allCases()
{
    std::array<E, EnumNames<E>::values.size()> cases{};
    for (std::size_t i = 0; i < cases.size(); ++i)
        cases[i] = static_cast<E>(i);
    return cases;
}

} // namespace corvane
