#include "Core/Responsiveness.hpp"

namespace corvane {

Responsiveness responsiveness(int64_t rpm)
{
    if (rpm >= 1000)
        return Responsiveness::high;
    if (rpm >= 300)
        return Responsiveness::medium;
    return Responsiveness::low;
}

std::string label(Responsiveness responsiveness)
{
    std::string text = toString(responsiveness);
    text.front() = static_cast<char>(text.front() - 'a' + 'A');
    return text;
}

} // namespace corvane
