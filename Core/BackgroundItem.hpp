#pragma once

#include "Core/EnumNames.hpp"

#include <cstdint>
#include <optional>
#include <string>

namespace corvane {

// Where a background item was found.
enum class ItemScope { userAgent, systemAgent, systemDaemon, appBundled };

template <>
struct EnumNames<ItemScope> {
    static constexpr std::array values{std::string_view("userAgent"), std::string_view("systemAgent"),
                                       std::string_view("systemDaemon"), std::string_view("appBundled")};
};

// One launchd job or login item an app has installed.
struct BackgroundItem {
    std::string label;                    // the job's Label; a login item's bundle identifier
    std::optional<std::string> program;   // the executable it runs, when it can be told
    std::string source;                   // the property list, or the login item's bundle
    ItemScope scope = ItemScope::userAgent;
    std::optional<std::string> ownerApp;  // display name of the app it belongs to
    bool runAtLoad = false;
    bool keepAlive = false;
    std::optional<int32_t> pid;           // set by markRunning while it runs

    // The same label from two files gives two items.
    std::string id() const { return label + "|" + source; }

    bool operator==(const BackgroundItem&) const = default;
};

} // namespace corvane
