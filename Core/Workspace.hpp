#pragma once

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace corvane {

// How an application presents itself: an ordinary app, a menu-bar-only app, or a
// background-only one.
enum class ActivationPolicy { regular, accessory, prohibited };

// One application running for the current user.
class RunningApplication {
public:
    virtual ~RunningApplication() = default;
    // The app's bundle path (an installed app's root where it has no bundle) and its
    // executable, when they can be told.
    virtual std::optional<std::string> bundleURL() const = 0;
    virtual std::optional<std::string> executableURL() const = 0;
    virtual ActivationPolicy activationPolicy() const = 0;
    // Asks the app to quit, or ends it at once.
    virtual void terminate() = 0;
    virtual void forceTerminate() = 0;
    virtual bool isTerminated() const = 0;
};

// The desktop session: its running applications, and opening URLs and apps.
class Workspace {
public:
    using Application = std::shared_ptr<RunningApplication>;

    virtual ~Workspace() = default;
    virtual std::vector<Application> runningApplications() = 0;
    // Opens a URL with the system's handler for it; false when nothing could be started
    // for it. What the started program then does is not reported.
    virtual bool open(const std::string& url) = 0;
    // Opens a web page with the system's handler for it and waits until the handler has
    // taken it, which with some handlers is when the browser they start ends: false when
    // no handler could take it. What the handler says is not passed on.
    virtual bool openPage(const std::string& url) = 0;
    // Where the installed application with this bundle identifier is, if any.
    virtual std::optional<std::string> urlForApplication(std::string_view bundleIdentifier) = 0;
    // Launches the application found by urlForApplication; failures are not reported.
    virtual void openApplication(const std::string& url) = 0;
};

} // namespace corvane
