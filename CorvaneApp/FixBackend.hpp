#pragma once

#include "Core/FixOutcome.hpp"
#include "Core/FixRunner.hpp"
#include "Core/ProcessGroup.hpp"
#include "Core/SettingsPane.hpp"

#include <chrono>
#include <cstdint>

namespace corvane {

// What the fix dispatcher asks of the system. Every call may block; the dispatcher
// makes them on a worker, one object shared by overlapping fixes.
class FixBackend {
public:
    virtual ~FixBackend() = default;
    virtual FixOutcome quit(const ProcessGroup& group, bool force, std::chrono::nanoseconds timeout) = 0;
    // False when nothing could be started to show the pane.
    virtual bool open(SettingsPane pane) = 0;
    virtual void openFerncourt() = 0;
    // Waits until a handler has the page, which may be as long as the browser it starts
    // runs; false when no handler took it.
    virtual bool openPage(const std::string& url) = 0;
    virtual FixOutcome rebuildSpotlightIndex() = 0;
    virtual FixOutcome restartMac() = 0;
};

// The engine's fix runner for the current user.
class SystemFixBackend final : public FixBackend {
public:
    explicit SystemFixBackend(uint32_t currentUID);
    FixOutcome quit(const ProcessGroup& group, bool force, std::chrono::nanoseconds timeout) override;
    bool open(SettingsPane pane) override;
    void openFerncourt() override;
    bool openPage(const std::string& url) override;
    FixOutcome rebuildSpotlightIndex() override;
    FixOutcome restartMac() override;

private:
    FixRunner runner_;
};

} // namespace corvane
