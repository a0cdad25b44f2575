#pragma once

#include <QBoxLayout>
#include <QPointer>
#include <QWidget>

#include <functional>
#include <map>
#include <string>
#include <vector>

namespace corvane {

// Keeps one widget per key in a run of a box layout, in the order of the keys given,
// so rows survive ticks with their clicks, scroll position and expansion. Widgets for
// keys that are gone are hidden and deleted later, never inside their own handlers.
template <class W>
class KeyedWidgets {
public:
    // The run starts at `first` in `layout`.
    KeyedWidgets(QBoxLayout* layout, int first) : layout_(layout), first_(first) {}

    // One widget per key, made by `make` when the key is new, in key order.
    std::vector<W*> sync(const std::vector<std::string>& keys, const std::function<W*(const std::string&)>& make)
    {
        std::map<std::string, QPointer<W>> kept;
        std::map<std::string, int> seen;
        std::vector<W*> ordered;
        for (const auto& key : keys) {
            // A repeated key gets a widget of its own rather than sharing the first one's.
            std::string slot = key;
            if (const int repeat = seen[key]++; repeat > 0)
                slot += '\x1f' + std::to_string(repeat);
            auto found = widgets_.find(slot);
            W* widget = found != widgets_.end() ? found->second.data() : nullptr;
            if (found != widgets_.end())
                widgets_.erase(found);
            if (widget == nullptr)
                widget = make(key);
            kept[slot] = widget;
            ordered.push_back(widget);
        }
        for (auto& [key, widget] : widgets_) {
            if (widget) {
                layout_->removeWidget(widget);
                widget->hide();
                widget->deleteLater();
            }
        }
        widgets_ = std::move(kept);
        for (std::size_t i = 0; i < ordered.size(); ++i) {
            const int index = first_ + static_cast<int>(i);
            if (layout_->indexOf(ordered[i]) != index) {
                layout_->removeWidget(ordered[i]);
                layout_->insertWidget(index, ordered[i]);
            }
            ordered[i]->show();
        }
        return ordered;
    }

    // The widget for a key, or null.
    W* find(const std::string& key) const
    {
        const auto found = widgets_.find(key);
        return found == widgets_.end() ? nullptr : found->second.data();
    }

private:
    QBoxLayout* layout_;
    int first_;
    std::map<std::string, QPointer<W>> widgets_;
};

} // namespace corvane
