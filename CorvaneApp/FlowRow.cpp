#include "CorvaneApp/FlowRow.hpp"

#include <QWidget>
#include <QWidgetItem>

#include <algorithm>
#include <utility>
#include <vector>

namespace corvane {

FlowRow::FlowRow(QWidget* parent, int spacing) : QLayout(parent)
{
    setContentsMargins(0, 0, 0, 0);
    setSpacing(spacing);
}

FlowRow::~FlowRow()
{
    while (QLayoutItem* item = takeAt(0))
        delete item;
}

void FlowRow::insertWidget(int index, QWidget* widget)
{
    addChildWidget(widget);
    auto* item = new QWidgetItem(widget);
    items_.insert(index < 0 || index > items_.size() ? items_.size() : index, item);
    invalidate();
}

void FlowRow::addItem(QLayoutItem* item)
{
    items_.append(item);
}

int FlowRow::count() const
{
    return int(items_.size());
}

QLayoutItem* FlowRow::itemAt(int index) const
{
    return index >= 0 && index < items_.size() ? items_[index] : nullptr;
}

QLayoutItem* FlowRow::takeAt(int index)
{
    return index >= 0 && index < items_.size() ? items_.takeAt(index) : nullptr;
}

Qt::Orientations FlowRow::expandingDirections() const
{
    return {};
}

bool FlowRow::hasHeightForWidth() const
{
    return true;
}

int FlowRow::heightForWidth(int width) const
{
    return arrange(QRect(0, 0, width, 0), false);
}

QSize FlowRow::sizeHint() const
{
    // Everything on one line.
    int width = 0;
    int height = 0;
    for (const QLayoutItem* item : items_) {
        if (item->isEmpty())
            continue;
        const QSize hint = item->sizeHint();
        width += (width > 0 ? spacing() : 0) + hint.width();
        height = std::max(height, hint.height());
    }
    return QSize(width, height).grownBy(contentsMargins());
}

QSize FlowRow::minimumSize() const
{
    // One item a line, as wide as the widest; the height follows the width.
    QSize size(0, 0);
    for (const QLayoutItem* item : items_) {
        if (!item->isEmpty())
            size = size.expandedTo(item->sizeHint());
    }
    return size.grownBy(contentsMargins());
}

void FlowRow::setGeometry(const QRect& rect)
{
    QLayout::setGeometry(rect);
    arrange(rect, true);
}

int FlowRow::arrange(const QRect& rect, bool apply) const
{
    const QRect area = rect.marginsRemoved(contentsMargins());
    int x = area.x();
    int y = area.y();
    int lineHeight = 0;
    std::vector<std::pair<QLayoutItem*, QRect>> line;
    // Items of a line share its height and are centred in it.
    const auto placeLine = [&] {
        for (auto& [item, place] : line) {
            place.moveTop(place.top() + (lineHeight - place.height()) / 2);
            item->setGeometry(place);
        }
        line.clear();
    };
    for (QLayoutItem* item : items_) {
        if (item->isEmpty())
            continue;
        const QSize size = item->sizeHint();
        if (x > area.x() && x + size.width() > area.right() + 1) {
            if (apply)
                placeLine();
            x = area.x();
            y += lineHeight + spacing();
            lineHeight = 0;
        }
        if (apply)
            line.emplace_back(item, QRect(QPoint(x, y), size));
        x += size.width() + spacing();
        lineHeight = std::max(lineHeight, size.height());
    }
    if (apply)
        placeLine();
    const QMargins margins = contentsMargins();
    return y + lineHeight - area.y() + margins.top() + margins.bottom();
}

} // namespace corvane
