#pragma once

#include "CorvaneApp/ProcessesModel.hpp"

#include <QAbstractScrollArea>

#include <cstddef>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

class QLabel;

namespace corvane {

class ExpandableRow;
struct DetailProbes;
struct ViewEnvironment;

// Where the rows of the list stand: every row is `rowHeight` high but the expanded one,
// which is as high as its detail makes it.
struct RowPlaces {
    std::size_t count = 0;
    int rowHeight = 1;
    std::optional<std::size_t> expanded;
    int expandedHeight = 0;

    int top(std::size_t index) const;
    int height(std::size_t index) const;
    int total() const;
    // The row covering `y`; the first or last row for a `y` above or below the list.
    std::size_t at(int y) const;
};

// The Processes screen's scrolling list. Only the rows in view and a few either side of
// them exist as widgets: a row scrolled away goes back to a pool and is reused for the
// next row scrolled into view, so the list costs what the screen shows, not what it
// holds. The expanded row and a row holding the keyboard focus stay made wherever they
// stand, so the detail keeps its scans and the focus is never pulled from under the keys.
class ProcessList : public QAbstractScrollArea {
    Q_OBJECT
public:
    // `probes` must outlive the list.
    ProcessList(ViewEnvironment& environment, const DetailProbes& probes, QWidget* parent = nullptr);

    // Lists these rows in this order, the row of `expanded` with its detail beneath it;
    // with no rows the empty line reads `emptyText`.
    void setRows(std::vector<ProcessListRow> rows, const std::optional<std::string>& expanded,
                 const QString& emptyText);
    const std::vector<ProcessListRow>& rows() const { return rows_; }
    // Brings the row of `id` to the top edge, as far as the list scrolls; false when no
    // row has that id.
    bool scrollToRow(const std::string& id);
    // The widget of the row of `id` while it is made, else null.
    ExpandableRow* row(const std::string& id) const;
    // Every row widget there is, those waiting in the pool included.
    std::size_t rowWidgets() const;
    QLabel* emptyLine() const { return empty_; }

    // Rows made beyond each edge of the view.
    static constexpr int spareRows = 3;

protected:
    void resizeEvent(QResizeEvent* event) override;
    bool viewportEvent(QEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;
    bool focusNextPrevChild(bool next) override;
    void focusInEvent(QFocusEvent* event) override;

private:
    void place();
    ExpandableRow* take(std::size_t index, std::unordered_map<std::string, ExpandableRow*>& made);
    void giveBack(ExpandableRow* row);
    std::optional<std::size_t> indexOf(const std::string& id) const;
    std::optional<std::size_t> focusedRow() const;
    void bringIntoView(std::size_t index);
    QWidget* beside(bool next) const;
    QWidget* stopInView(bool first);

    ViewEnvironment& env_;
    const DetailProbes& probes_;
    std::vector<ProcessListRow> rows_;
    std::optional<std::size_t> expandedIndex_;
    RowPlaces places_;
    std::unordered_map<std::string, ExpandableRow*> made_;
    std::vector<ExpandableRow*> pool_;
    QWidget* emptyBox_;
    QLabel* empty_;
    int rowHeight_ = 0;
    bool placing_ = false;
};

} // namespace corvane
