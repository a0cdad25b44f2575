#pragma once

#include "Core/Numbers.hpp"

#include <cstdint>
#include <string>

namespace corvane {

// The result of a fix. Equal when the cases are equal and, for failed, the reasons.
class FixOutcome {
public:
    enum class Case { failed, done, alreadyGone, stillRunning, cancelled, refused };

    // The reason: "osascript" when the script tool did not start, an AppleScript
    // error number in decimal, or the script tool's error output.
    static FixOutcome failed(std::string reason) { return FixOutcome(Case::failed, std::move(reason)); }
    static FixOutcome done() { return FixOutcome(Case::done); }
    static FixOutcome alreadyGone() { return FixOutcome(Case::alreadyGone); }
    static FixOutcome stillRunning() { return FixOutcome(Case::stillRunning); }
    static FixOutcome cancelled() { return FixOutcome(Case::cancelled); }
    static FixOutcome refused() { return FixOutcome(Case::refused); }

    // -128 (the user cancelled) gives cancelled; any other number failed with it in decimal.
    static FixOutcome fromAppleScriptErrorNumber(int64_t number)
    {
        return number == -128 ? cancelled() : failed(Numbers::toText(number));
    }

    Case kind() const { return case_; }
    // The reason of a failed outcome; empty for the others.
    const std::string& message() const { return message_; }

    bool operator==(const FixOutcome&) const = default;

private:
    explicit FixOutcome(Case kind, std::string message = {}) : case_(kind), message_(std::move(message)) {}
    Case case_;
    std::string message_;
};

} // namespace corvane
