#pragma once

#include "Core/Finding.hpp"

#include <QMenu>
#include <QObject>
#include <QRect>
#include <QSystemTrayIcon>

#include <optional>

namespace corvane {

// The status dot in the desktop's tray. A click asks for the popover; its menu offers the
// window and quitting, for trays that only show menus.
class TrayIcon : public QObject {
    Q_OBJECT
public:
    explicit TrayIcon(QObject* parent = nullptr);

    // None shows the neutral dot of an app that checks nothing.
    void setStatus(std::optional<Status> status);

    // Shows or hides the dot; without a tray host nothing shows and the app works from its window.
    void setShown(bool shown);

    // Where the dot sits on screen, or an empty rectangle when the tray does not say.
    QRect geometry() const;

    const QSystemTrayIcon& icon() const { return icon_; }
    QMenu& menu() { return menu_; }

Q_SIGNALS:
    void clicked();
    void openRequested();
    void quitRequested();

private:
    QMenu menu_;
    QSystemTrayIcon icon_;
};

} // namespace corvane
