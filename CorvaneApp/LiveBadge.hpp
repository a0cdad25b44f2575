#pragma once

#include "CorvaneApp/LiveBadgeModel.hpp"
#include "CorvaneApp/Scheduler.hpp"

#include <QWidget>

class QLabel;
class QPushButton;

namespace corvane {

class ColourDot;
struct ViewEnvironment;

// The live indicator of the screen headers: a running or paused dot, the seconds since
// the last check (redrawn every second) and a Pause or Resume button.
class LiveBadge : public QWidget {
    Q_OBJECT
public:
    explicit LiveBadge(ViewEnvironment& environment, QWidget* parent = nullptr);
    ~LiveBadge() override;

    QString text() const;
    QPushButton* button() const { return button_; }

private:
    void refresh();
    void scheduleSecond();

    ViewEnvironment& env_;
    ColourDot* dot_;
    QLabel* text_;
    QPushButton* button_;
    Scheduler::Token timer_ = 0;
};

// A filled circle; its colour is the "colour" property so tests can read it.
class ColourDot : public QWidget {
    Q_OBJECT
    Q_PROPERTY(QColor colour READ colour)
public:
    ColourDot(double diameter, const QColor& colour, QWidget* parent = nullptr);

    QColor colour() const { return colour_; }
    void setColour(const QColor& colour);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QColor colour_;
};

} // namespace corvane
