#include "CorvaneApp/ProcessList.hpp"

#include "CorvaneApp/Components.hpp"
#include "CorvaneApp/Fonts.hpp"
#include "CorvaneApp/ProcessesView.hpp"
#include "CorvaneApp/Theme.hpp"

#include <QApplication>
#include <QFocusEvent>
#include <QLabel>
#include <QScrollBar>
#include <QVBoxLayout>

#include <algorithm>
#include <string_view>
#include <unordered_set>

namespace corvane {

namespace {

bool takesTab(const QWidget* widget)
{
    return (widget->focusPolicy() & Qt::TabFocus) && widget->isVisible() && widget->isEnabled();
}

// What Tab visits inside a row, in the row's own order: the row button, its quit button,
// then the detail's buttons.
std::vector<QWidget*> tabStops(ExpandableRow* row)
{
    std::vector<QWidget*> stops;
    if (row == nullptr)
        return stops;
    for (QWidget* child : row->findChildren<QWidget*>()) {
        if (takesTab(child))
            stops.push_back(child);
    }
    return stops;
}

} // namespace

// RowPlaces

int RowPlaces::top(std::size_t index) const
{
    int y = static_cast<int>(index) * rowHeight;
    if (expanded && index > *expanded)
        y += expandedHeight - rowHeight;
    return y;
}

int RowPlaces::height(std::size_t index) const
{
    return expanded && index == *expanded ? expandedHeight : rowHeight;
}

int RowPlaces::total() const
{
    return count == 0 ? 0 : top(count - 1) + height(count - 1);
}

std::size_t RowPlaces::at(int y) const
{
    if (count == 0 || y <= 0)
        return 0;
    std::size_t index = static_cast<std::size_t>(y / rowHeight);
    if (expanded && index >= *expanded) {
        const int end = top(*expanded) + expandedHeight;
        index = y < end ? *expanded : *expanded + 1 + static_cast<std::size_t>((y - end) / rowHeight);
    }
    return std::min(index, count - 1);
}

// ProcessList

ProcessList::ProcessList(ViewEnvironment& environment, const DetailProbes& probes, QWidget* parent)
    : QAbstractScrollArea(parent),
      env_(environment),
      probes_(probes),
      emptyBox_(new QWidget(viewport())),
      empty_(textLabel({}, Fonts::system(13.5), Theme::text2(), emptyBox_))
{
    setFrameShape(QFrame::NoFrame);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    // The rows lie on the page's own background, as in any scroll area.
    viewport()->setBackgroundRole(QPalette::NoRole);
    viewport()->setAutoFillBackground(false);
    auto* emptyLayout = bareColumn(emptyBox_, 0);
    emptyLayout->setContentsMargins(0, 40, 0, 0);
    emptyLayout->addWidget(empty_);
    emptyBox_->hide();
}

void ProcessList::setRows(std::vector<ProcessListRow> rows, const std::optional<std::string>& expanded,
                          const QString& emptyText)
{
    rows_ = std::move(rows);
    expandedIndex_ = expanded ? indexOf(*expanded) : std::nullopt;
    empty_->setText(emptyText);
    place();
}

bool ProcessList::scrollToRow(const std::string& id)
{
    const auto index = indexOf(id);
    if (!index)
        return false;
    place();
    verticalScrollBar()->setValue(places_.top(*index));
    return true;
}

ExpandableRow* ProcessList::row(const std::string& id) const
{
    const auto found = made_.find(id);
    return found == made_.end() ? nullptr : found->second;
}

std::size_t ProcessList::rowWidgets() const
{
    return static_cast<std::size_t>(viewport()->findChildren<ExpandableRow*>(Qt::FindDirectChildrenOnly).size());
}

void ProcessList::resizeEvent(QResizeEvent* event)
{
    QAbstractScrollArea::resizeEvent(event);
    place();
}

bool ProcessList::viewportEvent(QEvent* event)
{
    // A row's height hint changed: the detail grew with a finished scan, say.
    if (event->type() == QEvent::LayoutRequest) {
        place();
        return true;
    }
    return QAbstractScrollArea::viewportEvent(event);
}

void ProcessList::scrollContentsBy(int, int)
{
    place();
}

std::optional<std::size_t> ProcessList::indexOf(const std::string& id) const
{
    const auto found = std::find_if(rows_.begin(), rows_.end(),
                                    [&](const ProcessListRow& row) { return row.group.id == id; });
    if (found == rows_.end())
        return std::nullopt;
    return static_cast<std::size_t>(found - rows_.begin());
}

std::optional<std::size_t> ProcessList::focusedRow() const
{
    const QWidget* focus = QApplication::focusWidget();
    if (focus == nullptr || !viewport()->isAncestorOf(focus))
        return std::nullopt;
    for (const auto& [id, row] : made_) {
        if (row->isAncestorOf(focus))
            return indexOf(row->group().id);
    }
    return std::nullopt;
}

ExpandableRow* ProcessList::take(std::size_t index, std::unordered_map<std::string, ExpandableRow*>& made)
{
    const ProcessGroup& group = rows_[index].group;
    ExpandableRow* row = nullptr;
    if (const auto found = made_.find(group.id); found != made_.end()) {
        row = found->second;
        made_.erase(found);
    } else if (group.id != kernelRowID && !pool_.empty()) {
        row = pool_.back();
        pool_.pop_back();
    } else {
        row = new ExpandableRow(group, env_, probes_, viewport());
    }
    row->setGroup(group);
    row->setExpanded(index == expandedIndex_);
    // A repeated id gets a row of its own rather than sharing one.
    std::string key = group.id;
    if (made.contains(key))
        key += '\x1F' + std::to_string(index);
    made.emplace(std::move(key), row);
    return row;
}

void ProcessList::giveBack(ExpandableRow* row)
{
    // The keyboard stays in the list when the row it was on leaves it.
    if (row->isAncestorOf(QApplication::focusWidget()))
        setFocus(Qt::OtherFocusReason);
    row->setExpanded(false);
    row->hide();
    // The kernel row is one of a kind, so it is not kept for others.
    if (row->row() == nullptr) {
        row->deleteLater();
        return;
    }
    pool_.push_back(row);
}

void ProcessList::place()
{
    if (placing_)
        return;
    placing_ = true;
    const int width = viewport()->width();
    const int viewHeight = viewport()->height();
    const auto focused = focusedRow();
    std::unordered_map<std::string, ExpandableRow*> made;
    std::vector<std::pair<std::size_t, ExpandableRow*>> placed;
    auto placeRow = [&](std::size_t index) {
        for (const auto& [taken, row] : placed) {
            if (taken == index)
                return row;
        }
        ExpandableRow* row = take(index, made);
        placed.emplace_back(index, row);
        return row;
    };

    // The expanded row first: its detail decides where the rows after it stand.
    int expandedHeight = 0;
    if (expandedIndex_) {
        ExpandableRow* row = placeRow(*expandedIndex_);
        expandedHeight = row->hasHeightForWidth() ? row->heightForWidth(width) : row->sizeHint().height();
    }
    if (rowHeight_ == 0 && !rows_.empty())
        rowHeight_ = std::max(1, placeRow(0)->button()->sizeHint().height());
    places_ = {rows_.size(), std::max(1, rowHeight_), expandedIndex_, expandedHeight};

    QScrollBar* bar = verticalScrollBar();
    const int total = rows_.empty() ? emptyBox_->sizeHint().height() : places_.total();
    bar->setRange(0, std::max(0, total - viewHeight));
    bar->setPageStep(viewHeight);
    bar->setSingleStep(std::max(1, places_.rowHeight / 3));
    const int scroll = bar->value();

    // Rows leaving the view go back to the pool first, so the rows coming in reuse them.
    std::size_t first = 0;
    std::size_t last = 0;
    if (!rows_.empty()) {
        const int margin = spareRows * places_.rowHeight;
        first = places_.at(scroll - margin);
        last = places_.at(scroll + viewHeight + margin);
    }
    std::unordered_set<std::string_view> wanted;
    for (std::size_t index = first; index <= last && index < rows_.size(); ++index)
        wanted.insert(rows_[index].group.id);
    if (focused)
        wanted.insert(rows_[*focused].group.id);
    for (auto kept = made_.begin(); kept != made_.end();) {
        if (wanted.contains(kept->second->group().id)) {
            ++kept;
            continue;
        }
        giveBack(kept->second);
        kept = made_.erase(kept);
    }
    if (!rows_.empty()) {
        for (std::size_t index = first; index <= last; ++index)
            placeRow(index);
        if (focused)
            placeRow(*focused);
    }
    for (const auto& [id, row] : made_)
        giveBack(row);
    made_ = std::move(made);

    int tallest = 0;
    for (const auto& [index, row] : placed) {
        row->setGeometry(0, places_.top(index) - scroll, width, places_.height(index));
        row->show();
        tallest = std::max(tallest, row->button()->sizeHint().height());
    }
    emptyBox_->setVisible(rows_.empty());
    if (rows_.empty())
        emptyBox_->setGeometry(0, -scroll, width, total);
    placing_ = false;

    // Rows are as high as the tallest of them, so a taller one moves everything after it.
    if (tallest > rowHeight_) {
        rowHeight_ = tallest;
        place();
    }
}

void ProcessList::bringIntoView(std::size_t index)
{
    QScrollBar* bar = verticalScrollBar();
    const int top = places_.top(index);
    const int bottom = top + places_.height(index);
    const int viewHeight = viewport()->height();
    if (top < bar->value())
        bar->setValue(top);
    else if (bottom > bar->value() + viewHeight)
        bar->setValue(std::min(top, bottom - viewHeight));
    place();
}

// The first Tab stop of the first row in view, or the last of the last.
QWidget* ProcessList::stopInView(bool first)
{
    const int top = verticalScrollBar()->value();
    const std::size_t index = places_.at(first ? top : top + viewport()->height() - 1);
    bringIntoView(index);
    const auto stops = tabStops(row(rows_[index].group.id));
    if (stops.empty())
        return nullptr;
    return first ? stops.front() : stops.back();
}

// Whatever comes after or before the list in the window's tab order, its rows left out.
QWidget* ProcessList::beside(bool next) const
{
    QWidget* other = const_cast<ProcessList*>(this);
    do
        other = next ? other->nextInFocusChain() : other->previousInFocusChain();
    while (other != this && (isAncestorOf(other) || !takesTab(other)));
    return other == this ? nullptr : other;
}

void ProcessList::focusInEvent(QFocusEvent* event)
{
    QAbstractScrollArea::focusInEvent(event);
    // The list itself has nothing to show the keyboard by, so Tab never rests on it: the
    // keyboard goes on into the rows in view, or past a list with none.
    const bool forward = event->reason() == Qt::TabFocusReason;
    if (!forward && event->reason() != Qt::BacktabFocusReason)
        return;
    QWidget* target = rows_.empty() ? nullptr : stopInView(forward);
    if (target == nullptr)
        target = beside(forward);
    if (target != nullptr)
        target->setFocus(event->reason());
}

bool ProcessList::focusNextPrevChild(bool next)
{
    // Only the rows near the view exist, so the keyboard is walked through the list here,
    // row by row in the list's order, making and showing each row as Tab reaches it.
    QWidget* focus = QApplication::focusWidget();
    QWidget* target = nullptr;
    if (focus == this && next && !rows_.empty()) {
        target = stopInView(true);
    } else if (const auto current = focusedRow()) {
        const auto stops = tabStops(row(rows_[*current].group.id));
        const auto at = std::find(stops.begin(), stops.end(), focus);
        if (at != stops.end() && next && at + 1 != stops.end())
            target = *(at + 1);
        else if (at != stops.end() && !next && at != stops.begin())
            target = *(at - 1);
        else if (next ? *current + 1 < rows_.size() : *current > 0) {
            const std::size_t neighbour = next ? *current + 1 : *current - 1;
            bringIntoView(neighbour);
            const auto beside = tabStops(row(rows_[neighbour].group.id));
            if (!beside.empty())
                target = next ? beside.front() : beside.back();
        } else {
            target = beside(next);
        }
    }
    if (target == nullptr)
        return QAbstractScrollArea::focusNextPrevChild(next);
    target->setFocus(next ? Qt::TabFocusReason : Qt::BacktabFocusReason);
    if (const auto landed = focusedRow())
        bringIntoView(*landed);
    return true;
}

} // namespace corvane
