#pragma once

#include "Core/EnumNames.hpp"

#include <cstdint>
#include <string>

namespace corvane {

// How well a connection keeps up under load.
enum class Responsiveness { high, medium, low };

template <>
struct EnumNames<Responsiveness> {
    static constexpr std::array values{std::string_view("high"), std::string_view("medium"),
                                       std::string_view("low")};
};

// 1000 round trips per minute or more is high, 300 to 999 medium, below 300 low.
Responsiveness responsiveness(int64_t rpm);

// "High", "Medium", "Low".
std::string label(Responsiveness responsiveness);

} // namespace corvane
