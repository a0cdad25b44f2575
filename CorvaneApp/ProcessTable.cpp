#include "CorvaneApp/ProcessTable.hpp"

#include "CorvaneApp/Components.hpp"
#include "CorvaneApp/ElidedLabel.hpp"
#include "CorvaneApp/FixButton.hpp"
#include "CorvaneApp/Fonts.hpp"
#include "CorvaneApp/Theme.hpp"
#include "CorvaneApp/ViewEnvironment.hpp"

#include <QAbstractButton>
#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

namespace corvane {

QWidget* horizontalRule(QWidget* parent)
{
    auto* rule = new QWidget(parent);
    rule->setFixedHeight(1);
    rule->setAutoFillBackground(true);
    QPalette palette = rule->palette();
    palette.setColor(QPalette::Window, Theme::line());
    rule->setPalette(palette);
    return rule;
}

void applyTrailingIcon(QAbstractButton* button)
{
    // Mirroring the button's layout moves the icon behind the title; the title itself
    // still reads left to right.
    button->setLayoutDirection(Qt::RightToLeft);
}

QWidget* fixedSlot(int width, QWidget* parent)
{
    auto* slot = new QWidget(parent);
    slot->setFixedWidth(width);
    auto* layout = new QHBoxLayout(slot);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addStretch(1);
    return slot;
}

void ProcessColumnsLine::setGeometry(const QRect& rect)
{
    const int width = actionColumnWidth(rect.width());
    if (action_->minimumWidth() != width || action_->maximumWidth() != width) {
        action_->setFixedWidth(width);
        if (actionWidthChanged)
            actionWidthChanged(width);
    }
    QHBoxLayout::setGeometry(rect);
}

ProcessColumnsLine* processColumns(QWidget* icon, QWidget* name, QWidget* verdict, QWidget* action, QLabel* cpu,
                                   QLabel* memory)
{
    auto* line = new ProcessColumnsLine(action);
    line->setContentsMargins(ProcessColumns::margin, 0, ProcessColumns::margin, 0);
    line->setSpacing(ProcessColumns::spacing);
    icon->setFixedWidth(ProcessColumns::icon);
    cpu->setFixedWidth(ProcessColumns::cpu);
    cpu->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    memory->setFixedWidth(ProcessColumns::memory);
    memory->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    line->addWidget(icon, 0, Qt::AlignVCenter);
    line->addWidget(name, 1);
    line->addWidget(verdict);
    line->addWidget(action);
    line->addWidget(cpu);
    line->addWidget(memory);
    return line;
}

void fillSlot(QWidget* slot, QWidget* content)
{
    // Before the stretch that keeps the content at the leading edge.
    static_cast<QHBoxLayout*>(slot->layout())->insertWidget(0, content, 0, Qt::AlignVCenter);
}

QLabel* wrappingLabel(QLabel* label)
{
    label->setWordWrap(true);
    label->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Minimum);
    return label;
}

void setFittedText(QLabel* label, const QString& text, int width)
{
    const QString fitted = label->fontMetrics().elidedText(text, Qt::ElideRight, width);
    label->setToolTip(fitted == text ? QString() : text);
    label->setText(fitted);
}

ProcessTableHeader::ProcessTableHeader(QWidget* parent) : QWidget(parent)
{
    const QFont font = Fonts::system(12.5);
    auto title = [&](const char* text) { return textLabel(QString::fromUtf8(text), font, Theme::text3(), this); };
    auto* verdict = fixedSlot(ProcessColumns::verdict, this);
    fillSlot(verdict, title("Verdict"));
    auto* action = fixedSlot(ProcessColumns::action, this);
    fillSlot(action, title("Action"));
    auto* columns = processColumns(title(""), title("Process"), verdict, action, title("CPU"), title("Memory"));

    auto* layout = bareColumn(this, 0);
    layout->addLayout(columns);
    layout->addSpacing(10);
    layout->addWidget(horizontalRule(this));
}

ProcessRow::ProcessRow(const ProcessGroup& group, ViewEnvironment& environment, QWidget* parent)
    : QWidget(parent),
      env_(environment),
      group_(group),
      icon_(new ProcessIcon(environment.icons, group, QStringLiteral("gearshape"), ProcessColumns::icon, this)),
      name_(new ElidedLabel(Theme::mono(), Theme::text(), this)),
      subtitle_(new ElidedLabel(Fonts::system(12.5), Theme::text2(), this)),
      verdict_(new VerdictPill(Verdict::review, this)),
      cpu_(textLabel({}, Fonts::system(13.5), Theme::text(), this)),
      memory_(textLabel({}, Fonts::system(13.5), Theme::text(), this))
{
    auto* names = new QWidget(this);
    auto* nameColumn = bareColumn(names, 3);
    nameColumn->addWidget(name_);
    nameColumn->addWidget(subtitle_);

    auto* verdictSlot = fixedSlot(ProcessColumns::verdict, this);
    fillSlot(verdictSlot, verdict_);
    actionSlot_ = fixedSlot(ProcessColumns::action, this);

    auto* columns = processColumns(icon_, names, verdictSlot, actionSlot_, cpu_, memory_);
    columns->setContentsMargins(ProcessColumns::margin, 12, ProcessColumns::margin, 12);
    columns->actionWidthChanged = [this](int width) {
        actionWidth_ = width;
        fitAction();
    };
    auto* layout = bareColumn(this, 0);
    layout->addLayout(columns);
    layout->addWidget(horizontalRule(this));

    connect(&env_.monitor, &Monitor::explanationsChanged, this, &ProcessRow::refresh);
    refresh();
}

void ProcessRow::setGroup(const ProcessGroup& group)
{
    if (group == group_)
        return;
    group_ = group;
    refresh();
}

void ProcessRow::refresh()
{
    model_ = processRow(group_, env_.monitor.explanation(group_));
    icon_->setGroup(group_, QString::fromStdString(model_.symbol));
    name_->setText(QString::fromStdString(model_.name));
    subtitle_->setFullText(QString::fromStdString(model_.subtitle));
    verdict_->setVisible(model_.verdict.has_value());
    if (model_.verdict)
        verdict_->setVerdict(*model_.verdict);
    // Most rows offer nothing, so the button and the note are made on first need.
    const bool quit = model_.action.kind == RowAction::Kind::quit;
    if (quit && !quit_) {
        quit_ = new FixButton(FixID::quitApp, group_, false, env_.fixActions, actionSlot_);
        fillSlot(actionSlot_, quit_);
    }
    if (quit_) {
        quit_->setVisible(quit);
        quit_->setFix(FixID::quitApp, group_);
    }
    const bool note = model_.action.kind == RowAction::Kind::note;
    if (note && !note_) {
        note_ = new LeaveNote({}, actionSlot_);
        fillSlot(actionSlot_, note_);
    }
    if (note_)
        note_->setVisible(note);
    fitAction();
    cpu_->setText(QString::fromStdString(model_.cpu));
    setForeground(cpu_, themeColor(model_.cpuTone));
    memory_->setText(QString::fromStdString(model_.memory));
}

void ProcessRow::fitAction()
{
    if (quit_) {
        quit_->setMaximumWidth(actionWidth_);
        quit_->setFitWidth(actionWidth_);
    }
    if (note_)
        setFittedText(note_, qs(model_.action.note), actionWidth_);
}

} // namespace corvane
