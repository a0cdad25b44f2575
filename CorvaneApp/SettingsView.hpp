#pragma once

#include <QMessageBox>
#include <QPointer>
#include <QWidget>

#include <functional>

class QCheckBox;
class QLabel;

class QPushButton;

namespace corvane {

class AppUpdater;
struct ViewEnvironment;

// The Settings window's form: start at login, the tray status, automatic update checks
// (only when updates are configured), keeping usage history and clearing it.
class SettingsView : public QWidget {
    Q_OBJECT

public:
    // Removes the usage history; throws when it cannot.
    using HistoryClearer = std::function<void()>;

    // `clearHistory` defaults to clearing the Monitor's usage store.
    SettingsView(AppUpdater& updater, ViewEnvironment& environment, QWidget* parent = nullptr,
                 HistoryClearer clearHistory = {});
    ~SettingsView() override;

    QCheckBox* startAtLoginBox() const { return startAtLogin_; }
    QCheckBox* showMenuBarBox() const { return showMenuBar_; }
    QCheckBox* automaticUpdatesBox() const { return automaticUpdates_; }
    QCheckBox* keepHistoryBox() const { return keepHistory_; }
    QPushButton* clearButton() const { return clear_; }
    QLabel* clearFailedLabel() const { return clearFailed_; }
    // The open clear-history confirmation, if any.
    QMessageBox* clearConfirmation() const { return confirmation_; }

    static constexpr const char* clearFailedText = "Couldn't clear usage history.";

protected:
    void showEvent(QShowEvent* event) override;

private:
    void setStartAtLogin(bool on);
    void refresh();
    void askClear();
    void clearHistory();

    AppUpdater& updater_;
    ViewEnvironment& environment_;
    HistoryClearer clearHistory_;
    QCheckBox* startAtLogin_;
    QCheckBox* showMenuBar_;
    QCheckBox* automaticUpdates_ = nullptr;
    QCheckBox* keepHistory_;
    QPushButton* clear_;
    QLabel* clearFailed_;
    QPointer<QMessageBox> confirmation_;
    bool cleared_ = false;
};

} // namespace corvane
