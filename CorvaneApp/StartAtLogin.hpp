#pragma once

#include "CorvaneApp/Platform/LoginItem.hpp"

#include <QObject>

class QCheckBox;

namespace corvane {

// The one "Start at login" setting that the onboarding sheet, the tray popover and the
// Settings window all show: the login item's state, kept in one place so a switch flipped
// in one of them shows in the others at once. Lives on the GUI thread.
class StartAtLogin : public QObject {
    Q_OBJECT
public:
    explicit StartAtLogin(LoginItem item, QObject* parent = nullptr);

    bool on() const { return on_; }
    const LoginItem& item() const { return item_; }

    // Registers or unregisters the login item; false when that failed, and the setting
    // then holds what the system really has.
    bool set(bool on);
    // Reads the login item again, for a change made outside the app.
    void reload();

    // Shows the setting, read again now, in `box` and keeps it in step with every change
    // made anywhere; the box does not report those as toggles of its own.
    void showIn(QCheckBox* box);

Q_SIGNALS:
    void changed(bool on);

private:
    void store(bool on);

    LoginItem item_;
    bool on_;
};

} // namespace corvane
