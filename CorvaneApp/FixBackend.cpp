#include "CorvaneApp/FixBackend.hpp"

namespace corvane {

SystemFixBackend::SystemFixBackend(uint32_t currentUID) : runner_(currentUID) {}

FixOutcome SystemFixBackend::quit(const ProcessGroup& group, bool force, std::chrono::nanoseconds timeout)
{
    return runner_.quit(group, force, timeout);
}

bool SystemFixBackend::open(SettingsPane pane)
{
    return runner_.open(pane);
}

void SystemFixBackend::openFerncourt()
{
    runner_.openFerncourt();
}

bool SystemFixBackend::openPage(const std::string& url)
{
    return runner_.openPage(url);
}

FixOutcome SystemFixBackend::rebuildSpotlightIndex()
{
    return runner_.rebuildSpotlightIndex();
}

FixOutcome SystemFixBackend::restartMac()
{
    return runner_.restartMac();
}

} // namespace corvane
