#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace corvane {

// An address split into its generic parts (scheme://user@host:port/path?query#fragment),
// each kept in its percent-encoded form. Only texts that follow the generic address
// syntax parse; anything else (spaces, stray "%", non-ASCII) is refused.
struct URLComponents {
    std::optional<std::string> scheme;
    std::optional<std::string> user;
    // Present exactly when the address has an authority ("//..."); it may be empty.
    // An IP literal keeps its brackets.
    std::optional<std::string> host;
    std::optional<std::string> port;
    std::string path;
    std::optional<std::string> query;
    std::optional<std::string> fragment;

    static std::optional<URLComponents> parse(std::string_view text);

    // The address the parts form.
    std::string text() const;

    bool operator==(const URLComponents&) const = default;
};

} // namespace corvane
