#pragma once

#include "Core/ContinuousClock.hpp"
#include "Core/FixOutcome.hpp"
#include "Core/ProcessGroup.hpp"
#include "Core/SettingsPane.hpp"
#include "Core/Shell.hpp"
#include "Core/Workspace.hpp"

#include <chrono>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

namespace corvane {

// Carries out the one-click fixes that act on the system. Never throws: the fixes
// that can fail answer a FixOutcome, opening a pane whether it could start, and
// opening the disk-cleaning app nothing. Quitting and the scripts block until they
// have an outcome; callers run them off the GUI thread.
class FixRunner {
public:
    // Erases the startup volume's search index with administrator rights, so it is rebuilt.
    static constexpr std::string_view rebuildScript =
        "do shell script \"/usr/bin/mdutil -E /\" with administrator privileges";
    // Asks the login window to restart; the system then asks the user to confirm.
    static constexpr std::string_view restartScript =
        "tell application \"loginwindow\" to \u00ABevent aevtrrst\u00BB";

    // The machine's own workspace and clock, tools run through Shell::run.
    explicit FixRunner(uint32_t currentUID);
    FixRunner(uint32_t currentUID, std::shared_ptr<Workspace> workspace, std::shared_ptr<ContinuousClock> clock,
              CommandRunner run);

    uint32_t currentUID() const { return currentUID_; }

    // Asks every running application of the group's app to quit (or ends them
    // when `force`) and waits up to `timeout` for all of them to end.
    FixOutcome quit(const ProcessGroup& group, bool force, std::chrono::nanoseconds timeout);
    // False when nothing could be started to show the pane.
    bool open(SettingsPane pane);
    FixOutcome rebuildSpotlightIndex();
    FixOutcome restartMac();
    // Launches the disk-cleaning app, or opens its web page when it is not installed.
    void openFerncourt();
    // Opens a web page and waits until a handler has it; false when none took it.
    bool openPage(const std::string& url);

    // Everything but a background-only application counts as a user app.
    static bool isUserApp(ActivationPolicy policy);
    // Runs an AppleScript text through the script tool, as one argument.
    static FixOutcome osascript(std::string_view source, const CommandRunner& run = Shell::run);
    // The outcome of a script run from its exit status and error output.
    static FixOutcome outcome(int32_t status, std::string_view stderr);

private:
    uint32_t currentUID_;
    std::shared_ptr<Workspace> workspace_;
    std::shared_ptr<ContinuousClock> clock_;
    CommandRunner run_;
};

} // namespace corvane
