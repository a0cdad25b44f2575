#include "CorvaneApp/Router.hpp"

#include "CorvaneApp/Published.hpp"

namespace corvane {

void Router::setScreen(Screen screen)
{
    if (screen_ == screen)
        return;
    screen_ = screen;
    Q_EMIT screenChanged();
}

void Router::setExpandedID(std::optional<std::string> id)
{
    if (store(expandedID_, std::move(id)))
        Q_EMIT expandedIDChanged();
}

void Router::setBrowser(std::optional<ChromiumBrowser> browser)
{
    if (store(browser_, browser))
        Q_EMIT browserChanged();
}

void Router::setFocusSearch(int value)
{
    if (focusSearch_ == value)
        return;
    focusSearch_ = value;
    Q_EMIT focusSearchChanged();
}

} // namespace corvane
