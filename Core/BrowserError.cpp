#include "Core/BrowserError.hpp"

namespace corvane {

BrowserError::BrowserError(Case kind, std::string message)
    : kind_(kind), message_(std::move(message))
{
    switch (kind_) {
    case Case::failed: description_ = "failed(" + message_ + ")"; break;
    case Case::notPermitted: description_ = "notPermitted"; break;
    case Case::notRunning: description_ = "notRunning"; break;
    }
}

} // namespace corvane
