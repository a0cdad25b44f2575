#pragma once

#include <QWidget>

class QCheckBox;
class QPushButton;

namespace corvane {

class StartAtLogin;

// The first-run sheet's content: what the app does in two lines, an offer to start
// at login, and "Get started". The presenter shows it once and closes it on done().
// Its box is the one "Start at login" setting the tray popover and Settings show too:
// it starts from the login item's state, follows their changes and changes it at once.
class Onboarding : public QWidget {
    Q_OBJECT

public:
    explicit Onboarding(StartAtLogin& startAtLogin, QWidget* parent = nullptr);
    ~Onboarding() override;

    QCheckBox* startAtLoginBox() const { return startAtLogin_; }
    QPushButton* getStartedButton() const { return getStarted_; }

Q_SIGNALS:
    // "Get started" was pressed; emitted once.
    void done();

private:
    void getStarted();
    void setStartAtLogin(bool on);

    StartAtLogin& setting_;
    QCheckBox* startAtLogin_;
    QPushButton* getStarted_;
    bool finished_ = false;
};

} // namespace corvane
