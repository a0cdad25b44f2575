#pragma once

#include "Core/ProcessGroup.hpp"
#include "CorvaneApp/ProcessTableModel.hpp"

#include <QColor>
#include <QHBoxLayout>
#include <QLabel>
#include <QWidget>

#include <functional>
#include <string>

class QAbstractButton;
class QBoxLayout;
class QLabel;
class QVBoxLayout;

namespace corvane {

class ElidedLabel;
class FixButton;
class LeaveNote;
class ProcessIcon;
class VerdictPill;
struct ViewEnvironment;

// The label, wrapping onto as many lines as its text needs.
QLabel* wrappingLabel(QLabel* label);

// A 1-point line in the theme's line colour, across whatever holds it.
QWidget* horizontalRule(QWidget* parent = nullptr);

// Puts a button's icon after its title instead of before it.
void applyTrailingIcon(QAbstractButton* button);

// A fixed-width cell that lays its content at the leading edge and centres it vertically.
QWidget* fixedSlot(int width, QWidget* parent = nullptr);

// Sets a label's one-line text, shortened with "…" to fit `width`; the full text becomes
// its tool tip.
void setFittedText(QLabel* label, const QString& text, int width);

// Puts `content` into a slot made by fixedSlot, at its leading edge.
void fillSlot(QWidget* slot, QWidget* content);

// The line of the process table's six cells, which narrows the action cell when the
// line is too narrow for the name column's floor.
class ProcessColumnsLine final : public QHBoxLayout {
public:
    explicit ProcessColumnsLine(QWidget* action) : action_(action) {}

    void setGeometry(const QRect& rect) override;

    // Told the action cell's new width, so its content can be fitted to it.
    std::function<void(int width)> actionWidthChanged;

private:
    QWidget* action_;
};

// Lays the six cells of the process table out in its columns: icon, name, verdict,
// action, CPU and memory, with the table's spacing and side margins. The verdict and
// action cells are expected to be fixed slots; the CPU and memory cells are given
// their widths here.
ProcessColumnsLine* processColumns(QWidget* icon, QWidget* name, QWidget* verdict, QWidget* action, QLabel* cpu,
                                   QLabel* memory);

// The column titles of the process table.
class ProcessTableHeader : public QWidget {
    Q_OBJECT
public:
    explicit ProcessTableHeader(QWidget* parent = nullptr);
};

// One process group as a table row, updated in place as ticks bring new values.
class ProcessRow : public QWidget {
    Q_OBJECT
public:
    ProcessRow(const ProcessGroup& group, ViewEnvironment& environment, QWidget* parent = nullptr);

    void setGroup(const ProcessGroup& group);
    const ProcessGroup& group() const { return group_; }
    const ProcessRowModel& model() const { return model_; }
    // Null until the row first offers quitting.
    FixButton* quitButton() const { return quit_; }

    ElidedLabel* nameLabel() const { return name_; }

private:
    void refresh();
    void fitAction();

    ViewEnvironment& env_;
    ProcessGroup group_;
    ProcessRowModel model_;
    int actionWidth_ = ProcessColumns::action;
    ProcessIcon* icon_;
    ElidedLabel* name_;
    ElidedLabel* subtitle_;
    VerdictPill* verdict_;
    QWidget* actionSlot_;
    FixButton* quit_ = nullptr;
    LeaveNote* note_ = nullptr;
    QLabel* cpu_;
    QLabel* memory_;
};

} // namespace corvane
