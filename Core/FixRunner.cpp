#include "Core/FixRunner.hpp"

#include "Core/AppGrouper.hpp"
#include "Core/Numbers.hpp"
#include "Core/SafetyGate.hpp"
#include "Core/Utf8.hpp"
#include "Platform/LinuxContinuousClock.hpp"
#include "Platform/LinuxWorkspace.hpp"

#include <algorithm>
#include <system_error>

namespace corvane {
namespace {

constexpr std::string_view ferncourtIdentifier = "app.ferncourt.Ferncourt";
constexpr std::string_view ferncourtPage = "https://ferncourt.app/?ref=corvane";
constexpr std::chrono::milliseconds pollInterval{250};

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

// The first "(digits)" or "(-digits)" in the text, without its parentheses.
std::optional<std::string_view> firstParenthesisedInteger(std::string_view text)
{
    for (auto open = text.find('('); open != std::string_view::npos; open = text.find('(', open + 1)) {
        std::size_t end = open + 1;
        if (end < text.size() && text[end] == '-')
            ++end;
        const std::size_t digits = end;
        while (end < text.size() && isDigit(text[end]))
            ++end;
        if (end > digits && end < text.size() && text[end] == ')')
            return text.substr(open + 1, end - open - 1);
    }
    return std::nullopt;
}

} // namespace

FixRunner::FixRunner(uint32_t currentUID)
    : FixRunner(currentUID, std::make_shared<LinuxWorkspace>(), std::make_shared<LinuxContinuousClock>(), Shell::run)
{
}

FixRunner::FixRunner(uint32_t currentUID, std::shared_ptr<Workspace> workspace,
                     std::shared_ptr<ContinuousClock> clock, CommandRunner run)
    : currentUID_(currentUID), workspace_(std::move(workspace)), clock_(std::move(clock)), run_(std::move(run))
{
}

FixOutcome FixRunner::quit(const ProcessGroup& group, bool force, std::chrono::nanoseconds timeout)
{
    if (!group.appPath)
        return FixOutcome::refused();

    std::vector<Workspace::Application> matched;
    for (auto& app : workspace_->runningApplications()) {
        if (app->bundleURL() == group.appPath)
            matched.push_back(std::move(app));
    }
    if (matched.empty())
        return FixOutcome::alreadyGone();

    // Every application is judged before any is asked to quit, by the rule for what it is.
    const uint32_t owner = group.primary().uid;
    const auto gate = AppGrouper::outermostApp(*group.appPath) ? SafetyGate::canQuit : SafetyGate::canQuitInstalledApp;
    for (const auto& app : matched) {
        const std::string path = app->executableURL().value_or(*group.appPath);
        if (!gate(owner, currentUID_, path, group.displayName, isUserApp(app->activationPolicy())))
            return FixOutcome::refused();
    }

    for (const auto& app : matched) {
        if (force)
            app->forceTerminate();
        else
            app->terminate();
    }

    // Elapsed time against the timeout, so a huge timeout cannot overflow a deadline.
    const auto start = clock_->now();
    for (;;) {
        const bool expired = clock_->now() - start >= timeout;
        const bool allEnded = std::all_of(matched.begin(), matched.end(),
                                          [](const auto& app) { return app->isTerminated(); });
        if (allEnded)
            return FixOutcome::done();
        if (expired)
            return FixOutcome::stillRunning();
        clock_->sleep(pollInterval);
    }
}

bool FixRunner::open(SettingsPane pane)
{
    return workspace_->open(toString(pane));
}

FixOutcome FixRunner::rebuildSpotlightIndex()
{
    return osascript(rebuildScript, run_);
}

FixOutcome FixRunner::restartMac()
{
    return osascript(restartScript, run_);
}

void FixRunner::openFerncourt()
{
    if (const auto app = workspace_->urlForApplication(ferncourtIdentifier))
        workspace_->openApplication(*app);
    else
        workspace_->open(std::string(ferncourtPage));
}

bool FixRunner::openPage(const std::string& url)
{
    return workspace_->openPage(url);
}

bool FixRunner::isUserApp(ActivationPolicy policy)
{
    return policy != ActivationPolicy::prohibited;
}

FixOutcome FixRunner::osascript(std::string_view source, const CommandRunner& run)
{
    Shell::Output output;
    try {
        output = run("/usr/bin/osascript", {"-e", std::string(source)});
    } catch (const std::system_error&) {
        return FixOutcome::failed("osascript");
    }
    return outcome(output.status, output.stderr);
}

FixOutcome FixRunner::outcome(int32_t status, std::string_view stderr)
{
    if (status == 0)
        return FixOutcome::done();
    if (const auto number = firstParenthesisedInteger(stderr)) {
        if (const auto value = Numbers::parseInt<int64_t>(*number))
            return FixOutcome::fromAppleScriptErrorNumber(*value);
    }
    return FixOutcome::failed(Utf8::trimWhitespace(stderr));
}

} // namespace corvane
