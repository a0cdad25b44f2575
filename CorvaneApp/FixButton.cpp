#include "CorvaneApp/FixButton.hpp"

#include "CorvaneApp/Components.hpp"
#include "CorvaneApp/FixActions.hpp"
#include "CorvaneApp/SymbolIcons.hpp"
#include "CorvaneApp/Theme.hpp"

#include <QFontMetrics>

namespace corvane {

namespace {

QString titleOf(FixID fix, const std::optional<ProcessGroup>& group)
{
    return QString::fromStdString(title(fix, group ? &*group : nullptr));
}

} // namespace

FixButton::FixButton(FixID fix, std::optional<ProcessGroup> group, bool prominent, FixActions& actions,
                     QWidget* parent)
    : QPushButton(parent), fix_(fix), group_(std::move(group)), prominent_(prominent), actions_(actions)
{
    // 14 for the symbol and 2 more, so that with the style's own gap it stands 6 from the title.
    setIconSize(QSize(16, 14));
    render();
    connect(this, &QPushButton::clicked, this, [this] { actions_.perform(fix_, group_); });
}

void FixButton::setFix(FixID fix, std::optional<ProcessGroup> group)
{
    const bool changed = fix != fix_ || titleOf(fix, group) != title_;
    fix_ = fix;
    group_ = std::move(group);
    if (changed)
        render();
}

void FixButton::setProminent(bool prominent)
{
    if (prominent == prominent_)
        return;
    prominent_ = prominent;
    render();
}

void FixButton::setFitWidth(int width)
{
    if (width == fitWidth_)
        return;
    fitWidth_ = width;
    showTitle();
}

QString FixButton::symbol() const
{
    return QString::fromStdString(corvane::symbol(fix_));
}

void FixButton::render()
{
    title_ = titleOf(fix_, group_);
    setAccessibleName(title_);
    if (prominent_)
        PrimaryButtonStyle::apply(this);
    else
        SecondaryButtonStyle::apply(this);
    setIcon(SymbolIcons::icon(symbol(), prominent_ ? QColor(Qt::white) : Theme::text()));
    showTitle();
}

void FixButton::showTitle()
{
    // Measured from the whole title each time, never from what is drawn now.
    setText(buttonText(title_.toStdString()));
    QString shown = title_;
    if (fitWidth_ > 0) {
        const QFontMetrics metrics = fontMetrics();
        const int chrome = sizeHint().width() - metrics.horizontalAdvance(title_);
        shown = metrics.elidedText(title_, Qt::ElideRight, fitWidth_ - chrome);
        setText(buttonText(shown.toStdString()));
    }
    setToolTip(shown == title_ ? QString() : title_);
}

} // namespace corvane
