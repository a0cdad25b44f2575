#pragma once

#include "CorvaneApp/Platform/LoginItem.hpp"

#include <QWidget>

#include <memory>

class QCheckBox;
class QPushButton;

namespace corvane {

// The first-run sheet's content: what the app does in two lines, an offer to start
// at login, and "Get started". The presenter shows it once and closes it on done().
class Onboarding : public QWidget {
    Q_OBJECT

public:
    explicit Onboarding(QWidget* parent = nullptr, std::unique_ptr<LoginItem> loginItem = LoginItem::mainApp());
    ~Onboarding() override;

    QCheckBox* startAtLoginBox() const { return startAtLogin_; }
    QPushButton* getStartedButton() const { return getStarted_; }

Q_SIGNALS:
    // "Get started" was pressed; emitted once.
    void done();

private:
    void getStarted();

    std::unique_ptr<LoginItem> loginItem_;
    QCheckBox* startAtLogin_;
    QPushButton* getStarted_;
    bool finished_ = false;
};

} // namespace corvane
