#pragma once

#include <QBoxLayout>
#include <QPointer>
#include <QWidget>

#include <map>
#include <string>
#include <vector>

namespace corvane {

// Rows of a box layout keyed by id: a refresh reuses the row of every id it keeps,
// so clicks, focus and scroll position survive, and only the rows of ids that are
// gone are removed.
template <class Row>
class KeyedColumn {
public:
    // The rows occupy the layout from `firstIndex` on.
    explicit KeyedColumn(QBoxLayout* layout, int firstIndex = 0) : layout_(layout), firstIndex_(firstIndex) {}

    // Shows exactly the rows of `keys`, in that order; `make(key)` builds a missing
    // row. Returns the rows in the order of `keys`.
    template <class Make>
    std::vector<Row*> update(const std::vector<std::string>& keys, Make make)
    {
        std::map<std::string, QPointer<Row>> kept;
        std::map<std::string, int> seen;
        std::vector<Row*> ordered;
        for (const auto& given : keys) {
            // A repeated id gets a row of its own rather than sharing, or losing, one.
            const int repeat = seen[given]++;
            const std::string key = repeat == 0 ? given : given + '\x1F' + std::to_string(repeat);
            auto found = rows_.find(key);
            Row* row = found != rows_.end() && found->second ? found->second.data() : nullptr;
            if (row)
                rows_.erase(found);
            else
                row = make(given);
            kept.emplace(key, row);
            ordered.push_back(row);
        }
        for (auto& [key, row] : rows_) {
            if (!row)
                continue;
            layout_->removeWidget(row);
            row->hide();
            row->deleteLater();
        }
        rows_ = std::move(kept);
        for (size_t i = 0; i < ordered.size(); ++i) {
            const int index = firstIndex_ + static_cast<int>(i);
            if (layout_->indexOf(ordered[i]) != index) {
                layout_->removeWidget(ordered[i]);
                layout_->insertWidget(index, ordered[i]);
            }
            ordered[i]->show();
        }
        return ordered;
    }

    Row* row(const std::string& key) const
    {
        const auto found = rows_.find(key);
        return found == rows_.end() ? nullptr : found->second.data();
    }

    size_t size() const { return rows_.size(); }

private:
    QBoxLayout* layout_;
    int firstIndex_;
    std::map<std::string, QPointer<Row>> rows_;
};

} // namespace corvane
