#pragma once

#include "Core/Date.hpp"
#include "Core/Finding.hpp"
#include "Core/FixID.hpp"
#include "Core/ProcessGroup.hpp"
#include "Core/SystemSignals.hpp"
#include "CorvaneApp/ProcessTableModel.hpp"

#include <array>
#include <optional>
#include <string>
#include <vector>

namespace corvane {

// A fix button, or the note pill shown where a cause has no fix.
struct CauseAction {
    enum class Kind { fix, note };
    Kind kind = Kind::fix;
    FixID fix = FixID::explain;
    std::optional<ProcessGroup> group;
    bool prominent = false;
    std::string note;

    bool operator==(const CauseAction&) const = default;
};

// One line of the other causes.
struct CauseLine {
    std::string id;  // the finding's, so a line keeps its widgets across ticks
    ColorRole dot = ColorRole::amber;
    std::string headline;
    std::optional<CauseAction> action;

    bool operator==(const CauseLine&) const = default;
};

// The status card at the top of the Overview.
struct HeroModel {
    enum class Body { checking, smooth, finding };
    std::string symbol;
    ColorRole iconTone = ColorRole::green;
    ColorRole squareTone = ColorRole::greenBG;
    Status pillStatus = Status::quiet;
    Body body = Body::checking;
    std::string headline;
    std::string detail;                // empty while checking
    std::vector<CauseAction> buttons;
    std::string moreLabel;             // empty when there are no other causes
    std::vector<CauseLine> more;

    bool operator==(const HeroModel&) const = default;
};

// One of the three signal tiles.
struct SignalTile {
    std::string title;
    std::string symbol;
    std::string value;
    ColorRole valueTone = ColorRole::text;
    std::string note;

    bool operator==(const SignalTile&) const = default;
};

// Green when normal, amber when warm, red when hot or worse.
ColorRole thermalTone(Thermal thermal);

// The first group in `groups` with that id, or none.
std::optional<ProcessGroup> groupWithID(const std::vector<ProcessGroup>& groups,
                                        const std::optional<std::string>& id);

// The hero's buttons: explain for a known group unless the fix is explain itself, then
// the primary fix, else the leave note.
std::vector<CauseAction> heroButtons(const Finding& hero, const std::optional<ProcessGroup>& group);

// "And N more cause" / "causes".
std::string moreCausesLabel(std::size_t count);

HeroModel heroCard(const DiagnosisResult& result, std::optional<Date> lastChecked,
                   const std::vector<ProcessGroup>& groups);

// CPU load, memory pressure and thermal state, with dashes before the first reading.
std::array<SignalTile, 3> signalTiles(const std::optional<SystemSignals>& signals);

// The five busiest groups, in the monitor's order.
std::vector<ProcessGroup> topGroups(const std::vector<ProcessGroup>& groups);

} // namespace corvane
