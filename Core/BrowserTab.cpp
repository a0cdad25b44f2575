#include "Core/BrowserTab.hpp"

#include "Core/URLComponents.hpp"

namespace corvane {

std::string BrowserTab::host() const
{
    const auto parts = URLComponents::parse(url);
    if (parts && parts->host && !parts->host->empty())
        return *parts->host;
    return url;
}

} // namespace corvane
