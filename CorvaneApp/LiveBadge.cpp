#include "CorvaneApp/LiveBadge.hpp"

#include "CorvaneApp/Components.hpp"
#include "CorvaneApp/Fonts.hpp"
#include "CorvaneApp/ProcessTable.hpp"
#include "CorvaneApp/SymbolIcons.hpp"
#include "CorvaneApp/Theme.hpp"
#include "CorvaneApp/ViewEnvironment.hpp"

#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPushButton>

namespace corvane {

ColourDot::ColourDot(double diameter, const QColor& colour, QWidget* parent) : QWidget(parent), colour_(colour)
{
    setFixedSize(static_cast<int>(diameter), static_cast<int>(diameter));
}

void ColourDot::setColour(const QColor& colour)
{
    if (colour == colour_)
        return;
    colour_ = colour;
    update();
}

void ColourDot::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(colour_);
    painter.drawEllipse(QRectF(rect()));
}

LiveBadge::LiveBadge(ViewEnvironment& environment, QWidget* parent)
    : QWidget(parent),
      env_(environment),
      dot_(new ColourDot(7, Theme::green(), this)),
      text_(textLabel({}, Fonts::system(12.5), Theme::text2(), this)),
      button_(secondaryButton({}, this))
{
    button_->setFont(Fonts::system(12.5, QFont::Medium));
    // 12 for the symbol and 2 more, so the wide play symbol does not touch "Resume".
    button_->setIconSize(QSize(14, 12));
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(10);
    row->addWidget(dot_, 0, Qt::AlignVCenter);
    row->addWidget(text_, 0, Qt::AlignVCenter);
    row->addWidget(button_, 0, Qt::AlignVCenter);

    connect(button_, &QPushButton::clicked, &env_.monitor, &Monitor::togglePause);
    connect(&env_.monitor, &Monitor::isPausedChanged, this, &LiveBadge::refresh);
    connect(&env_.monitor, &Monitor::lastCheckedChanged, this, &LiveBadge::refresh);
    refresh();
}

LiveBadge::~LiveBadge()
{
    env_.scheduler.cancel(timer_);
}

QString LiveBadge::text() const
{
    return text_->text();
}

void LiveBadge::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    if (timer_ != 0)
        return;
    refresh();
    scheduleSecond();
}

void LiveBadge::hideEvent(QHideEvent* event)
{
    QWidget::hideEvent(event);
    env_.scheduler.cancel(timer_);
    timer_ = 0;
}

void LiveBadge::scheduleSecond()
{
    timer_ = env_.scheduler.schedule(1.0, this, [this] {
        refresh();
        scheduleSecond();
    });
}

void LiveBadge::refresh()
{
    const Monitor& monitor = env_.monitor;
    const auto model = liveBadge(monitor.isPaused(), monitor.lastChecked(), env_.clock.now());
    text_->setText(QString::fromStdString(model.text));
    dot_->setColour(themeColor(model.dot));
    // Redrawn every second: the button changes only with the pause state.
    const QString symbol = QString::fromStdString(model.buttonSymbol);
    button_->setText(QString::fromStdString(model.buttonTitle));
    if (button_->property("symbol").toString() != symbol) {
        button_->setIcon(SymbolIcons::icon(symbol, Theme::text()));
        button_->setProperty("symbol", symbol);
    }
}

} // namespace corvane
