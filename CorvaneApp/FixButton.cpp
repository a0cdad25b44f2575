#include "CorvaneApp/FixButton.hpp"

#include "CorvaneApp/Components.hpp"
#include "CorvaneApp/FixActions.hpp"
#include "CorvaneApp/SymbolIcons.hpp"
#include "CorvaneApp/Theme.hpp"

namespace corvane {

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
    const bool changed = fix != fix_ || (group ? group->displayName : std::string()) !=
                                            (group_ ? group_->displayName : std::string());
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

QString FixButton::symbol() const
{
    return QString::fromStdString(corvane::symbol(fix_));
}

void FixButton::render()
{
    const std::string text = title(fix_, group_ ? &*group_ : nullptr);
    setText(buttonText(text));
    setAccessibleName(QString::fromStdString(text));
    if (prominent_)
        PrimaryButtonStyle::apply(this);
    else
        SecondaryButtonStyle::apply(this);
    setIcon(SymbolIcons::icon(symbol(), prominent_ ? QColor(Qt::white) : Theme::text()));
}

} // namespace corvane
