#include "CorvaneApp/ToolScreen.hpp"

#include "CorvaneApp/Theme.hpp"

#include <QVBoxLayout>

namespace corvane {

QScrollArea* pageScroll(QWidget* parent)
{
    auto* scroll = new QScrollArea(parent);
    scroll->setWidgetResizable(true);
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    scroll->setFocusPolicy(Qt::ClickFocus);
    return scroll;
}

QVBoxLayout* scrollColumn(QWidget* screen)
{
    auto* scroll = pageScroll(screen);
    auto* body = new QWidget;
    body->setAutoFillBackground(false);
    scroll->setWidget(body);
    scroll->viewport()->setAutoFillBackground(false);
    auto* outer = new QVBoxLayout(screen);
    outer->setContentsMargins(0, 0, 0, 0);
    outer->addWidget(scroll);
    auto* column = new QVBoxLayout(body);
    column->setContentsMargins(34, 28, 34, 28);
    column->setSpacing(22);
    return column;
}

BusyIndicator::BusyIndicator(QWidget* parent) : QProgressBar(parent)
{
    setRange(0, 0);
    setTextVisible(false);
    setFixedSize(64, 6);
    setStyleSheet(QStringLiteral("QProgressBar { background: %1; border: none; border-radius: 3px; }"
                                 "QProgressBar::chunk { background: %2; border-radius: 3px; }")
                      .arg(Theme::css(Theme::raised()), Theme::css(Theme::accentLight())));
}

} // namespace corvane
