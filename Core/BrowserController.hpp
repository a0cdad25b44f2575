#pragma once

#include "Core/BrowserWindow.hpp"
#include "Core/ChromiumBrowser.hpp"
#include "Core/MergePlan.hpp"
#include "Core/ScriptRunner.hpp"

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace corvane {

// The four things the app does to a browser through scripts. Each checks that
// the browser runs (BrowserError::notRunning when not) before running its script;
// the runner's errors pass through unchanged. Immutable, so tasks may share it.
class BrowserController {
public:
    // Answers, from any thread, whether the browser with this bundle identifier runs.
    using IsRunning = std::function<bool(const std::string& bundleIdentifier)>;

    // By default a browser runs when a process of the current user runs its executable.
    explicit BrowserController(std::shared_ptr<ScriptRunner> runner, IsRunning isRunning = defaultIsRunning());

    // The browser's windows with their tabs, in the browser's order.
    std::vector<BrowserWindow> windows(ChromiumBrowser browser) const;
    // Closes exactly these tabs; an empty list does nothing, not even the running check.
    void close(const std::vector<BrowserTab>& tabs, ChromiumBrowser browser) const;
    void merge(const MergePlan& plan, ChromiumBrowser browser) const;
    // Opens the browser's memory-saving settings in a new tab and brings it to the front.
    void openMemorySaver(ChromiumBrowser browser) const;

    static IsRunning defaultIsRunning();

    const std::shared_ptr<ScriptRunner> runner;
    const IsRunning isRunning;

private:
    std::string run(const std::string& script, ChromiumBrowser browser) const;
};

} // namespace corvane
