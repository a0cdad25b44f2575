#include "Core/BrowserController.hpp"

#include "Core/BrowserError.hpp"
#include "Core/TabScript.hpp"
#include "Platform/BrowserProcesses.hpp"

#include <utility>

namespace corvane {

BrowserController::BrowserController(std::shared_ptr<ScriptRunner> runner, IsRunning isRunning)
    : runner(std::move(runner)), isRunning(std::move(isRunning))
{
}

BrowserController::IsRunning BrowserController::defaultIsRunning()
{
    return [](const std::string& bundleIdentifier) { return BrowserProcesses::isRunning(bundleIdentifier); };
}

std::string BrowserController::run(const std::string& script, ChromiumBrowser browser) const
{
    if (!isRunning(toString(browser)))
        throw BrowserError::notRunning();
    return runner->run(script);
}

std::vector<BrowserWindow> BrowserController::windows(ChromiumBrowser browser) const
{
    return TabScript::parse(run(TabScript::list(browser), browser), appName(browser));
}

void BrowserController::close(const std::vector<BrowserTab>& tabs, ChromiumBrowser browser) const
{
    if (tabs.empty())
        return;
    run(TabScript::close(tabs, browser), browser);
}

void BrowserController::merge(const MergePlan& plan, ChromiumBrowser browser) const
{
    run(TabScript::merge(plan, browser), browser);
}

void BrowserController::openMemorySaver(ChromiumBrowser browser) const
{
    run(TabScript::openMemorySaver(browser), browser);
}

} // namespace corvane
