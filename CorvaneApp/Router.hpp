#pragma once

#include "Core/ChromiumBrowser.hpp"
#include "CorvaneApp/Screen.hpp"

#include <QObject>

#include <optional>
#include <string>

namespace corvane {

// The main window's navigation: the screen shown, the expanded process row, the open
// browser-tabs sheet and the search-focus counter. Lives on the GUI thread.
class Router : public QObject {
    Q_OBJECT
public:
    explicit Router(QObject* parent = nullptr) : QObject(parent) {}

    Screen screen() const { return screen_; }
    const std::optional<std::string>& expandedID() const { return expandedID_; }
    std::optional<ChromiumBrowser> browser() const { return browser_; }
    int focusSearch() const { return focusSearch_; }

    // An equal screen or counter is not stored at all; an equal expanded id or browser
    // is stored without notifying.
    void setScreen(Screen screen);
    void setExpandedID(std::optional<std::string> id);
    void setBrowser(std::optional<ChromiumBrowser> browser);
    void setFocusSearch(int value);

Q_SIGNALS:
    void screenChanged();
    void expandedIDChanged();
    void browserChanged();
    void focusSearchChanged();

private:
    Screen screen_ = Screen::overview;
    std::optional<std::string> expandedID_;
    std::optional<ChromiumBrowser> browser_;
    int focusSearch_ = 0;
};

} // namespace corvane
