#pragma once

#include "Core/BrowserController.hpp"
#include "Core/BrowserWindow.hpp"
#include "Core/ChromiumBrowser.hpp"
#include "Core/MergePlan.hpp"
#include "Core/TabCleanup.hpp"

#include <exception>
#include <functional>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

// The browser-tabs panel's state and everything it shows, derived from that state.
// Plain data and functions, so every phase and text is checked without widgets.
namespace corvane::BrowserPanelModel {

// Where the panel is: reading, showing the windows, or one of the ways reading failed.
struct Phase {
    enum class Case { failed, primer, loading, loaded, notPermitted, notRunning };

    Case kind = Case::loading;
    std::string message;  // the body shown for `failed`

    static Phase failed(std::string message) { return {Case::failed, std::move(message)}; }
    static Phase primer() { return {Case::primer, {}}; }
    static Phase loading() { return {Case::loading, {}}; }
    static Phase loaded() { return {Case::loaded, {}}; }
    static Phase notPermitted() { return {Case::notPermitted, {}}; }
    static Phase notRunning() { return {Case::notRunning, {}}; }

    bool operator==(const Phase&) const = default;
};

// A close or merge waiting for the user's go-ahead. `run` blocks (it talks to the
// browser), so it runs on a worker; what it throws becomes the panel's phase.
struct Confirm {
    std::string id;  // fresh for each confirmation
    std::string title;
    std::string message;
    std::string button;
    std::function<void()> run;
};

// The panel's state for as long as the sheet is shown.
struct State {
    ChromiumBrowser browser = ChromiumBrowser::chrome;
    Phase phase;
    std::vector<BrowserWindow> windows;
    std::optional<TabCleanup::ExtensionUsage> extensions;
    std::set<std::string> selected;  // tab ids
    std::optional<Confirm> confirm;
    bool working = false;
};

// The phase an error of reading or of a confirmed action leads to.
Phase phaseFor(const std::exception_ptr& error);

// What a button of the phase views does.
enum class Action { notNow, proceed, openAutomation, tryAgain, close };

struct Button {
    std::string title;
    bool primary = false;
    Action action = Action::close;

    bool operator==(const Button&) const = default;
};

// The primer and the failure phases' message views.
struct MessageView {
    std::string title;
    std::string body;
    std::vector<Button> buttons;

    bool operator==(const MessageView&) const = default;
};

inline constexpr const char* primerSymbol = "hand.raised";
MessageView primer(ChromiumBrowser browser);

// The failure message for notPermitted, notRunning and failed; nothing for the other phases.
std::optional<MessageView> message(const Phase& phase, ChromiumBrowser browser);

// "Reading your Google Chrome tabs…"
std::string loadingText(ChromiumBrowser browser);

// The loaded phase, ready to draw.
struct TabRow {
    std::string id;
    std::string text;  // the title, or the address when the title is empty
    std::string host;
    bool isActive = false;
    bool checked = false;
    bool checkable = false;  // never in an incognito window

    bool operator==(const TabRow&) const = default;
};

struct WindowSection {
    std::string id;
    std::string symbol;  // "eyeglasses" or "macwindow"
    std::string name;
    std::string count;  // "· 3 tabs"
    std::vector<TabRow> rows;

    bool operator==(const WindowSection&) const = default;
};

inline constexpr const char* noDuplicatesText = "No duplicate tabs";
inline constexpr const char* memorySaverTitle = "Memory Saver settings";
inline constexpr const char* memorySaverSymbol = "leaf";
inline constexpr const char* activeText = "Active";

struct Loaded {
    std::string title;                         // "7 tabs in 2 windows"
    std::optional<std::string> extensionsLine;  // "Extensions: 3 running, 120 MB"
    std::vector<WindowSection> windows;
    std::vector<BrowserTab> duplicates;
    std::optional<std::string> duplicatesButton;  // absent: noDuplicatesText
    std::vector<BrowserTab> picked;
    std::optional<std::string> closeSelectedButton;  // shown while anything is selected
    std::optional<MergePlan> plan;
    int profileCount = 0;
    std::optional<std::string> mergeButton;
    bool actionsEnabled = true;
    std::string footnote;
};

Loaded loaded(const State& state);

// The titles of the two close confirmations: "Close 2 duplicate tabs?", "Close 1 tab?".
std::string closeDuplicatesTitle(size_t count);
std::string closeSelectedTitle(size_t count);

// The confirmations whose actions call the browser through `controller`.
Confirm closeConfirm(const std::vector<BrowserTab>& tabs, std::string title, ChromiumBrowser browser,
                     std::shared_ptr<const BrowserController> controller);
Confirm mergeConfirm(const MergePlan& plan, int profileCount, ChromiumBrowser browser,
                     std::shared_ptr<const BrowserController> controller);

} // namespace corvane::BrowserPanelModel
