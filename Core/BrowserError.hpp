#pragma once

#include <exception>
#include <string>
#include <utility>

namespace corvane {

// Why a browser script did not do its job.
class BrowserError : public std::exception {
public:
    enum class Case { failed, notPermitted, notRunning };

    // The script failed for another reason; `message` is the tool's error text.
    static BrowserError failed(std::string message) { return BrowserError(Case::failed, std::move(message)); }
    // The user has not allowed this app to control the browser.
    static BrowserError notPermitted() { return BrowserError(Case::notPermitted, {}); }
    static BrowserError notRunning() { return BrowserError(Case::notRunning, {}); }

    Case kind() const { return kind_; }
    // The payload of `failed`; empty for the other cases.
    const std::string& message() const { return message_; }
    const char* what() const noexcept override { return description_.c_str(); }

    bool operator==(const BrowserError& other) const
    {
        return kind_ == other.kind_ && message_ == other.message_;
    }

private:
    BrowserError(Case kind, std::string message);
    Case kind_;
    std::string message_;
    std::string description_;
};

} // namespace corvane
