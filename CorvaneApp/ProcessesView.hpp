#pragma once

#include "CorvaneApp/KeyedColumn.hpp"
#include "CorvaneApp/ProcessDetail.hpp"
#include "CorvaneApp/ProcessesModel.hpp"

#include <QAbstractButton>
#include <QWidget>

#include <array>
#include <vector>

class QLabel;
class QLineEdit;
class QPushButton;
class QScrollArea;

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
    QScrollArea* list() const { return list_; }
    const std::vector<ExpandableRow*>& rows() const { return rows_; }
    QLabel* emptyLine() const { return empty_; }
    ExpandableRow* row(const std::string& id) const { return rowWidgets_->row(id); }

protected:
    void showEvent(QShowEvent* event) override;

private:
    void refresh();
    void refreshChips(const std::vector<VerdictChip>& chips);
    void scrollToExpanded();
    void buildMoreWhenNearTheEnd();

    ViewEnvironment& env_;
    DetailProbes probes_;
    ProcessListOptions options_;
    QLineEdit* search_;
    QPushButton* byCPU_;
    QPushButton* byMemory_;
    std::array<QPushButton*, 4> chips_{};
    QScrollArea* list_;
    QWidget* listContent_;
    std::unique_ptr<KeyedColumn<ExpandableRow>> rowWidgets_;
    std::vector<ExpandableRow*> rows_;
    QLabel* empty_;
    bool shown_ = false;
    // Rows are made as the list is scrolled towards its end, a batch at a time.
    std::size_t built_ = rowBatch;
    std::size_t visibleCount_ = 0;
    static constexpr std::size_t rowBatch = 40;
};

} // namespace corvane
