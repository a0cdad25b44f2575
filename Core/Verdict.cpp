#include "Core/Verdict.hpp"

namespace corvane {

std::string label(Verdict verdict)
{
    switch (verdict) {
    case Verdict::safe: return "Safe to quit";
    case Verdict::review: return "Review";
    case Verdict::leave: return "Leave it";
    }
    return "Review";
}

} // namespace corvane
