#pragma once

#include "Core/EnumNames.hpp"

#include <string>

namespace corvane {

// What the user is told about quitting a process.
enum class Verdict { safe, review, leave };

template <>
struct EnumNames<Verdict> {
    static constexpr std::array values{std::string_view("safe"), std::string_view("review"),
                                       std::string_view("leave")};
};

// "Safe to quit", "Review", "Leave it".
std::string label(Verdict verdict);

} // namespace corvane
