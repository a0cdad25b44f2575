#pragma once

#include "Core/ChromiumBrowser.hpp"

#include <QDialog>
#include <QMessageBox>
#include <QPointer>
#include <QUuid>
#include <QWidget>

#include <optional>
#include <string>

class QVBoxLayout;

namespace corvane {

class Sidebar;
class ToastView;
struct ViewEnvironment;

// The main window's content: the sidebar beside the current screen, the toast over the
// bottom edge, the pending confirmation and the stuck-app notice as alerts, the first-run
// sheet and the browser-tabs sheet. One sheet or alert at a time: one asked for while
// another (or a screen's own alert) is open waits until that one closes. Tells the monitor
// whether it is on screen.
class RootView : public QWidget {
    Q_OBJECT
public:
    explicit RootView(ViewEnvironment& environment, QWidget* parent = nullptr);

    Sidebar* sidebar() const { return sidebar_; }
    // The current screen, the catalog message, or null while the window is hidden.
    QWidget* content() const { return content_; }
    // The alert on screen, if any.
    QMessageBox* alert() const { return alert_; }
    QDialog* browserSheet() const { return browserSheet_; }
    QDialog* onboardingSheet() const { return onboardingSheet_; }
    ToastView* toast() const { return toast_; }
    // The sheet or alert open over the window (its own or a screen's), if any.
    QDialog* modal() const;

    static const QString catalogMessage;

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void rebuildContent();
    QWidget* makeScreen();
    // Closes what is no longer wanted, then shows the next wanted sheet or alert when
    // nothing else is open over the window.
    void present();
    void closeStale();
    bool onboardingWanted() const;
    void showOnboarding();
    void showConfirmation();
    void showStuckAlert();
    void showBrowser();
    void placeToast();

    ViewEnvironment& environment_;
    Sidebar* sidebar_;
    QVBoxLayout* contentLayout_;
    QWidget* content_ = nullptr;
    ToastView* toast_;

    enum class AlertKind { confirmation, stuckApp };
    QPointer<QMessageBox> alert_;
    AlertKind alertKind_ = AlertKind::confirmation;
    QUuid shownConfirmation_;
    std::optional<std::string> shownStuckApp_;

    QPointer<QDialog> browserSheet_;
    ChromiumBrowser sheetBrowser_ = ChromiumBrowser::chrome;
    QPointer<QDialog> onboardingSheet_;
};

} // namespace corvane
