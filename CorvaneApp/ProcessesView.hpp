#pragma once

#include "CorvaneApp/ProcessDetail.hpp"
#include "CorvaneApp/ProcessList.hpp"
#include "CorvaneApp/ProcessesModel.hpp"

#include <QAbstractButton>
#include <QWidget>

#include <array>
#include <vector>

class QLabel;
class QLineEdit;
class QPushButton;

namespace corvane {

class LeaveNote;
class ProcessRow;
class SymbolLabel;
struct ViewEnvironment;

// The fixed row for the kernel's heat control, following the thermal state.
class KernelRow : public QWidget {
    Q_OBJECT
public:
    explicit KernelRow(ViewEnvironment& environment, QWidget* parent = nullptr);

    const KernelRowModel& model() const { return model_; }

private:
    void refresh();

    ViewEnvironment& env_;
    KernelRowModel model_;
    int actionWidth_ = ProcessColumns::action;
    LeaveNote* note_;
    QLabel* heat_;
};

// The clickable part of a list row: chevron and row, on the card colour while expanded.
class RowButton : public QAbstractButton {
    Q_OBJECT
public:
    explicit RowButton(QWidget* parent = nullptr);

    void setExpanded(bool expanded);
    SymbolLabel* chevron() const { return chevron_; }
    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    SymbolLabel* chevron_;
    bool expanded_ = false;
};

// One row of the list with its detail beneath it while expanded.
class ExpandableRow : public QWidget {
    Q_OBJECT
public:
    ExpandableRow(const ProcessGroup& group, ViewEnvironment& environment, const DetailProbes& probes,
                  QWidget* parent = nullptr);

    void setGroup(const ProcessGroup& group);
    void setExpanded(bool expanded);
    bool expanded() const { return detail_ != nullptr; }
    const ProcessGroup& group() const { return group_; }
    RowButton* button() const { return button_; }
    ProcessRow* row() const { return row_; }
    ProcessDetail* detail() const { return detail_; }

private:
    ViewEnvironment& env_;
    const DetailProbes& probes_;
    ProcessGroup group_;
    RowButton* button_;
    ProcessRow* row_ = nullptr;  // absent for the kernel row
    QWidget* detailBox_ = nullptr;
    ProcessDetail* detail_ = nullptr;
};

// Every app and lone process, with search, verdict chips, a CPU or memory sort and
// rows that expand into their detail.
class ProcessesView : public QWidget {
    Q_OBJECT
public:
    explicit ProcessesView(ViewEnvironment& environment, QWidget* parent = nullptr);
    // With the readers of the detail's advice sections given.
    ProcessesView(ViewEnvironment& environment, DetailProbes probes, QWidget* parent = nullptr);

    QLineEdit* searchField() const { return search_; }
    QPushButton* sortButton(bool byMemory) const { return byMemory ? byMemory_ : byCPU_; }
    const std::array<QPushButton*, 4>& chips() const { return chips_; }
    ProcessList* list() const { return list_; }
    // The rows listed, in their order, whether or not they are in view.
    const std::vector<ProcessListRow>& listed() const { return list_->rows(); }
    QLabel* emptyLine() const { return list_->emptyLine(); }
    // The row's widget while it is in view (or expanded, or focused), else null.
    ExpandableRow* row(const std::string& id) const { return list_->row(id); }

protected:
    void showEvent(QShowEvent* event) override;

private:
    void refresh();
    void refreshChips(const std::vector<VerdictChip>& chips);
    void scrollToExpanded();

    ViewEnvironment& env_;
    DetailProbes probes_;
    ProcessListOptions options_;
    QLineEdit* search_;
    QPushButton* byCPU_;
    QPushButton* byMemory_;
    std::array<QPushButton*, 4> chips_{};
    ProcessList* list_;
    bool shown_ = false;
};

} // namespace corvane
