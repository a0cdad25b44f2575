#pragma once

#include "Core/FixID.hpp"
#include "Core/ProcessGroup.hpp"

#include <QPushButton>

#include <optional>

namespace corvane {

class FixActions;

// The one-click fix button: its symbol and title for the fix and group; a click
// asks the fix dispatcher to perform the fix for the group. Prominent buttons use
// the primary look, the others the secondary one. A button given a width to fit
// shortens its drawn title with "…"; its tool tip and accessible name keep the whole.
class FixButton : public QPushButton {
    Q_OBJECT
    Q_PROPERTY(QString symbol READ symbol)

public:
    FixButton(FixID fix, std::optional<ProcessGroup> group, bool prominent, FixActions& actions,
              QWidget* parent = nullptr);

    // Updates the button in place, for views that refresh on every tick.
    void setFix(FixID fix, std::optional<ProcessGroup> group);
    void setProminent(bool prominent);
    // The widest the whole button may be; 0 never shortens the title.
    void setFitWidth(int width);

    FixID fix() const { return fix_; }
    const std::optional<ProcessGroup>& group() const { return group_; }
    bool prominent() const { return prominent_; }
    QString symbol() const;
    // The whole title, however much of it is drawn.
    const QString& title() const { return title_; }

private:
    void render();
    void showTitle();

    FixID fix_;
    std::optional<ProcessGroup> group_;
    bool prominent_;
    FixActions& actions_;
    QString title_;
    int fitWidth_ = 0;
};

} // namespace corvane
