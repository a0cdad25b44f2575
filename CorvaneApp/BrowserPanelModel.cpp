#include "CorvaneApp/BrowserPanelModel.hpp"

#include "Core/BrowserError.hpp"
#include "Core/Format.hpp"
#include "Core/Numbers.hpp"
#include "Core/Utf8.hpp"

#include <QUuid>

#include <algorithm>

namespace corvane::BrowserPanelModel {

namespace {

std::string count(size_t value)
{
    return Numbers::toText(static_cast<uint64_t>(value));
}

std::string freshID()
{
    return QUuid::createUuid().toString(QUuid::WithoutBraces).toStdString();
}

std::string profileName(const std::optional<std::string>& profile)
{
    return profile ? Utf8::nameForDisplay(*profile) : "Default profile";
}

// A page names itself, so its title is shown as a name is.
std::string tabText(const BrowserTab& tab, const std::string& whenUntitled)
{
    return Utf8::nameForDisplay(tab.title.empty() ? whenUntitled : tab.title);
}

const Button tryAgainButton{"Try again", false, Action::tryAgain};
const Button closeButton{"Close", false, Action::close};

} // namespace

Phase phaseFor(const std::exception_ptr& error)
{
    try {
        std::rethrow_exception(error);
    } catch (const BrowserError& browserError) {
        switch (browserError.kind()) {
        case BrowserError::Case::notPermitted: return Phase::notPermitted();
        case BrowserError::Case::notRunning: return Phase::notRunning();
        case BrowserError::Case::failed: return Phase::failed(browserError.message());
        }
    } catch (const std::exception& other) {
        return Phase::failed(other.what());
    } catch (...) {
    }
    return Phase::failed("The operation couldn\u2019t be completed.");
}

MessageView primer(ChromiumBrowser browser)
{
    const std::string app = appName(browser);
    return {"Let Corvane see your " + app + " tabs",
            "macOS will ask you to allow Corvane to control " + app +
                ". Corvane only reads tab titles and addresses, and only closes tabs you choose.",
            {{"Not now", false, Action::notNow}, {"Continue", true, Action::proceed}}};
}

std::optional<MessageView> message(const Phase& phase, ChromiumBrowser browser)
{
    const std::string app = appName(browser);
    switch (phase.kind) {
    case Phase::Case::notPermitted:
        return MessageView{"Corvane needs permission to see your tabs.",
                           "Turn on " + app +
                               " for Corvane in System Settings > Privacy & Security > Automation, then try again.",
                           {{"Open Automation settings", true, Action::openAutomation}, tryAgainButton, closeButton}};
    case Phase::Case::notRunning:
        return MessageView{app + " isn't running.", "Open it and try again.", {tryAgainButton, closeButton}};
    case Phase::Case::failed:
        return MessageView{"Couldn't read your tabs.", phase.message, {tryAgainButton, closeButton}};
    case Phase::Case::primer:
    case Phase::Case::loading:
    case Phase::Case::loaded: break;
    }
    return std::nullopt;
}

std::string loadingText(ChromiumBrowser browser)
{
    return "Reading your " + appName(browser) + " tabs\u2026";
}

Loaded loaded(const State& state)
{
    Loaded view;
    size_t totalTabs = 0;
    size_t normalWindows = 0;
    std::set<std::string> profiles;
    for (const auto& window : state.windows) {
        totalTabs += window.tabs.size();
        if (!window.isIncognito) {
            ++normalWindows;
            profiles.insert(window.profile.value_or(""));
        }

        WindowSection section{window.id,
                              window.isIncognito ? "eyeglasses" : "macwindow",
                              window.isIncognito ? "Incognito (not touched)" : profileName(window.profile),
                              "\u00B7 " + count(window.tabs.size()) + " tabs",
                              {}};
        for (const auto& tab : window.tabs) {
            section.rows.push_back({tab.id, tabText(tab, tab.url), Utf8::nameForDisplay(tab.host()), tab.isActive,
                                    state.selected.count(tab.id) > 0, !window.isIncognito});
            if (!state.selected.empty() && state.selected.count(tab.id) > 0)
                view.picked.push_back(tab);
        }
        view.windows.push_back(std::move(section));
    }

    const size_t windowCount = state.windows.size();
    view.title = count(totalTabs) + " tabs in " + count(windowCount) + (windowCount == 1 ? " window" : " windows");
    if (state.extensions)
        view.extensionsLine = "Extensions: " + Numbers::toText(state.extensions->count) + " running, " +
                              Format::bytes(state.extensions->memoryBytes);

    view.duplicates = TabCleanup::duplicates(state.windows);
    if (!view.duplicates.empty()) {
        const size_t n = view.duplicates.size();
        view.duplicatesButton = "Close " + count(n) + " duplicate" + (n == 1 ? "" : "s");
    }
    if (!state.selected.empty())
        view.closeSelectedButton = "Close selected (" + count(view.picked.size()) + ")";

    view.plan = TabCleanup::mergePlan(state.windows);
    view.profileCount = static_cast<int>(profiles.size());
    if (view.plan)
        view.mergeButton = view.profileCount >= 2 ? "Merge " + profileName(view.plan->profile) + " windows"
                                                  : std::string("Merge into one window");

    view.actionsEnabled = !state.working;
    view.footnote = appName(state.browser) + " doesn't share memory per tab, so totals are for the whole browser.";
    if (normalWindows < windowCount)
        view.footnote += " Incognito windows are never touched.";
    return view;
}

std::string closeDuplicatesTitle(size_t n)
{
    return "Close " + count(n) + " duplicate " + (n == 1 ? "tab" : "tabs") + "?";
}

std::string closeSelectedTitle(size_t n)
{
    return "Close " + count(n) + " " + (n == 1 ? "tab" : "tabs") + "?";
}

Confirm closeConfirm(const std::vector<BrowserTab>& tabs, std::string title, ChromiumBrowser browser,
                     std::shared_ptr<const BrowserController> controller)
{
    constexpr size_t listed = 5;
    std::string text;
    for (size_t i = 0; i < std::min(tabs.size(), listed); ++i) {
        if (i > 0)
            text += "\n";
        text += "\u2022 " + tabText(tabs[i], tabs[i].host());
    }
    if (tabs.size() > listed)
        text += "\nand " + count(tabs.size() - listed) + " more";
    return {freshID(), std::move(title), std::move(text), "Close Tabs",
            [tabs, browser, controller = std::move(controller)] { controller->close(tabs, browser); }};
}

Confirm mergeConfirm(const MergePlan& plan, int profileCount, ChromiumBrowser browser,
                     std::shared_ptr<const BrowserController> controller)
{
    const std::string title = profileCount >= 2 ? "Merge your " + profileName(plan.profile) + " windows?"
                                                : std::string("Merge into one window?");
    const std::string text = "Tabs from " + count(plan.windowsToClose.size() + 1) +
                             " windows move into one. They'll reload. Other profiles and incognito windows "
                             "aren't touched.";
    return {freshID(), title, text, "Merge",
            [plan, browser, controller = std::move(controller)] { controller->merge(plan, browser); }};
}

} // namespace corvane::BrowserPanelModel
