#include "CorvaneApp/FixActions.hpp"

#include "Core/ChromiumBrowser.hpp"
#include "Core/Utf8.hpp"
#include "CorvaneApp/Executor.hpp"
#include "CorvaneApp/Logging.hpp"
#include "CorvaneApp/Monitor.hpp"
#include "CorvaneApp/Published.hpp"
#include "CorvaneApp/Router.hpp"

#include <unistd.h>

namespace corvane {
namespace {

FixActions::Confirmation makeConfirmation(std::string title, std::string message, std::string confirm,
                                          bool destructive, std::function<void()> action)
{
    return {QUuid::createUuid(), std::move(title), std::move(message), std::move(confirm), destructive,
            std::move(action)};
}

// The outcome as the log shows it: its case name, and failed("<message>") for a failure.
std::string describe(const FixOutcome& outcome)
{
    switch (outcome.kind()) {
    case FixOutcome::Case::failed: return "failed(\"" + outcome.message() + "\")";
    case FixOutcome::Case::done: return "done";
    case FixOutcome::Case::alreadyGone: return "alreadyGone";
    case FixOutcome::Case::stillRunning: return "stillRunning";
    case FixOutcome::Case::cancelled: return "cancelled";
    case FixOutcome::Case::refused: return "refused";
    }
    return "done";
}

// The pane as the toast names it.
std::string settingsName(SettingsPane pane)
{
    switch (pane) {
    case SettingsPane::spotlight: return "Spotlight";
    case SettingsPane::loginItems: return "Login Items";
    case SettingsPane::displays: return "Displays";
    case SettingsPane::accessibilityDisplay: return "Accessibility";
    case SettingsPane::automation: return "Automation";
    case SettingsPane::battery: return "Battery";
    case SettingsPane::wifi: return "Wi-Fi";
    }
    return "System";
}

} // namespace

FixActions::FixActions(Monitor& monitor, Router& router, Executor& executor, std::shared_ptr<FixBackend> backend,
                       QObject* parent)
    : QObject(parent), monitor_(monitor), router_(router), executor_(executor),
      backend_(backend ? std::move(backend) : std::make_shared<SystemFixBackend>(::getuid()))
{
}

void FixActions::setConfirmation(std::optional<Confirmation> confirmation)
{
    confirmation_ = std::move(confirmation);
    Q_EMIT confirmationChanged();
}

void FixActions::setToast(std::optional<std::string> toast)
{
    if (store(toast_, std::move(toast)))
        Q_EMIT toastChanged();
}

void FixActions::setStuckAlert(std::optional<std::string> app)
{
    if (store(stuckAlert_, std::move(app)))
        Q_EMIT stuckAlertChanged();
}

void FixActions::perform(FixID fix, const std::optional<ProcessGroup>& group)
{
    switch (fix) {
    case FixID::explain:
        router_.setExpandedID(group ? std::optional(group->id) : std::nullopt);
        router_.setScreen(Screen::processes);
        return;
    case FixID::openSpotlightSettings: openSettings(SettingsPane::spotlight); return;
    case FixID::openLoginItemsSettings: openSettings(SettingsPane::loginItems); return;
    case FixID::openDisplaySettings: openSettings(SettingsPane::displays); return;
    case FixID::openAccessibilityDisplay: openSettings(SettingsPane::accessibilityDisplay); return;
    case FixID::openBatterySettings: openSettings(SettingsPane::battery); return;
    case FixID::openWiFiSettings: openSettings(SettingsPane::wifi); return;
    case FixID::quitApp:
        if (group)
            confirmQuit(*group);
        return;
    case FixID::rebuildSpotlightIndex:
        setConfirmation(makeConfirmation(
            "Rebuild the Spotlight index?",
            "macOS will ask for your password. Search results may be incomplete for a few hours while it rebuilds.",
            "Rebuild", false, [this] {
                executor_.run(
                    this, [backend = backend_] { return backend->rebuildSpotlightIndex(); },
                    [this](WorkResult<FixOutcome> outcome) {
                        report(outcome ? outcome.value() : FixOutcome::failed(outcome.errorMessage()), std::nullopt);
                    });
            }));
        return;
    case FixID::reviewTabs:
        if (group && group->appPath) {
            if (const auto browser = browserFromAppPath(*group->appPath))
                router_.setBrowser(browser);
        }
        return;
    case FixID::openFerncourt:
        executor_.run(this, [backend = backend_] { backend->openFerncourt(); });
        return;
    case FixID::restartMac: confirmRestart(); return;
    }
}

void FixActions::openSettings(SettingsPane pane)
{
    openOrSay(
        Executor::Lane::shared, [pane](FixBackend& backend) { return backend.open(pane); },
        "Couldn't open " + settingsName(pane) + " settings.");
}

void FixActions::openGuide(const std::string& url)
{
    // The wait may last as long as the browser it starts, so it holds no shared worker.
    openOrSay(
        Executor::Lane::detached, [url](FixBackend& backend) { return backend.openPage(url); },
        "Couldn't open the guide.");
}

void FixActions::openOrSay(Executor::Lane lane, std::function<bool(FixBackend&)> open, std::string failure)
{
    executor_.run(
        lane, this, [backend = backend_, open = std::move(open)] { return open(*backend); },
        [this, failure = std::move(failure)](WorkResult<bool> opened) {
            if (!opened || !opened.value())
                setToast(failure);
        });
}

void FixActions::confirmQuit(const ProcessGroup& group)
{
    const std::string name = Utf8::nameForDisplay(group.displayName);
    setConfirmation(makeConfirmation("Quit " + name + "?", name + " may ask you to save your work first.",
                                     "Quit " + name, false, [this, group] { quit(group, false); }));
}

void FixActions::confirmRestart()
{
    setConfirmation(makeConfirmation(
        "Restart your Mac?", "Save your work first. macOS will ask you to confirm.", "Restart\u2026", false, [this] {
            executor_.run(
                this, [backend = backend_] { return backend->restartMac(); },
                [this](WorkResult<FixOutcome> outcome) {
                    if (!outcome || outcome.value().kind() == FixOutcome::Case::failed)
                        setToast("Choose Apple menu > Restart.");
                });
        }));
}

void FixActions::quit(const ProcessGroup& group, bool force)
{
    executor_.run(
        this, [backend = backend_, group, force] { return backend->quit(group, force, quitTimeout); },
        [this, group, force](WorkResult<FixOutcome> outcome) {
            afterQuit(group, force, outcome ? outcome.value() : FixOutcome::failed(outcome.errorMessage()));
        });
}

void FixActions::afterQuit(const ProcessGroup& group, bool force, const FixOutcome& outcome)
{
    qCInfo(fixesLog, "quit outcome: %s", describe(outcome).c_str());
    const std::string name = Utf8::nameForDisplay(group.displayName);
    if (outcome.kind() != FixOutcome::Case::stillRunning) {
        report(outcome, name);
        monitor_.checkNow();
        return;
    }
    if (!force) {
        setConfirmation(makeConfirmation(name + " isn't responding.",
                                         "Force quit it? Unsaved work in " + name + " will be lost.", "Force Quit",
                                         true, [this, group] { quit(group, true); }));
        return;
    }
    // The monitor matches the app by its own name; the alert shows it.
    monitor_.setStuckApp(group.displayName);
    monitor_.checkNow();
    setStuckAlert(name);
}

void FixActions::report(const FixOutcome& outcome, const std::optional<std::string>& app)
{
    switch (outcome.kind()) {
    case FixOutcome::Case::done: setToast("Done"); return;
    case FixOutcome::Case::alreadyGone: setToast(app.value_or("It") + " already quit"); return;
    case FixOutcome::Case::stillRunning: setToast(app.value_or("It") + " is still running"); return;
    case FixOutcome::Case::cancelled: setToast("Cancelled"); return;
    case FixOutcome::Case::refused:
        setToast(app.value_or("That app") + " is protected, so Corvane won't quit it.");
        return;
    case FixOutcome::Case::failed: setToast("Couldn't finish: " + outcome.message()); return;
    }
}

} // namespace corvane
