#pragma once

#include <QString>

#include <memory>

namespace corvane {

// Starting the app at login, as an XDG autostart entry "corvane.desktop" in a folder
// (normally $XDG_CONFIG_HOME/autostart). The item is enabled when the entry is a desktop
// entry that is neither hidden ("Hidden=true") nor switched off
// ("X-GNOME-Autostart-enabled=false"). The entry is read and written by KeptFile's rules,
// so one kept in the person's own files and linked into place stays a link.
class LoginItem {
public:
    // The entry of this program, in the session's autostart folder.
    static std::unique_ptr<LoginItem> mainApp();

    LoginItem(QString autostartFolder, QString executable);

    bool isEnabled() const;

    // Writes the entry (replacing a hidden or switched-off one) atomically, starting
    // this program. False, and the old entry left as it was, when it cannot be written.
    bool registerApp();

    // Removes a plain entry; one at the end of a link is hidden instead ("Hidden=true"
    // written through the link). An entry that is already gone counts as success.
    bool unregisterApp();

    QString entryPath() const;

    // The entry's text for an executable path, quoted as an Exec line requires.
    static QString entryText(const QString& executable);

private:
    QString folder_;
    QString executable_;
};

} // namespace corvane
