#pragma once

#include <string>

namespace corvane {

// One tab of a browser window, as the tab listing reports it.
struct BrowserTab {
    std::string id;        // windowID + "/" + tabID, unique across the browser
    std::string windowID;
    std::string tabID;
    std::string title;
    std::string url;       // as the browser reports it
    bool isActive = false; // the window's active tab

    // The host of `url` (percent-encoded), or `url` itself when it has none.
    std::string host() const;

    bool operator==(const BrowserTab&) const = default;
};

} // namespace corvane
