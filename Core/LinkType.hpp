#pragma once

#include "Core/EnumNames.hpp"

namespace corvane {

// The kind of link carrying traffic right now.
enum class LinkType { wifi, ethernet, other, offline };

template <>
struct EnumNames<LinkType> {
    static constexpr std::array values{std::string_view("wifi"), std::string_view("ethernet"),
                                       std::string_view("other"), std::string_view("offline")};
};

} // namespace corvane
