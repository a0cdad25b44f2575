#pragma once

#include "Core/EnumNames.hpp"

#include <string>

namespace corvane {

// The main window's screens, in sidebar order.
enum class Screen { overview, processes, backgroundItems, internet, usage };

template <>
struct EnumNames<Screen> {
    static constexpr std::array values{std::string_view("overview"), std::string_view("processes"),
                                       std::string_view("backgroundItems"),
                                       std::string_view("internet"), std::string_view("usage")};
};

// The name shown in the sidebar and the screen menu.
std::string title(Screen screen);

// The symbol name shown beside the title.
std::string icon(Screen screen);

} // namespace corvane
