#include "CorvaneApp/Screen.hpp"

namespace corvane {

std::string title(Screen screen)
{
    switch (screen) {
    case Screen::overview: return "Overview";
    case Screen::processes: return "Processes";
    case Screen::backgroundItems: return "Background Items";
    case Screen::internet: return "Internet";
    case Screen::usage: return "Usage";
    }
    return {};
}

std::string icon(Screen screen)
{
    switch (screen) {
    case Screen::overview: return "square.grid.2x2";
    case Screen::processes: return "waveform.path.ecg";
    case Screen::backgroundItems: return "square.stack.3d.up";
    case Screen::internet: return "wifi";
    case Screen::usage: return "chart.xyaxis.line";
    }
    return {};
}

} // namespace corvane
