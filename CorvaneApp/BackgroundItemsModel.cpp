#include "CorvaneApp/BackgroundItemsModel.hpp"

#include "Core/Format.hpp"
#include "Core/Utf8.hpp"

#include <QCollator>
#include <QString>

#include <algorithm>

namespace corvane::BackgroundItemsModel {

namespace {

// Canonically equal texts give the same bytes; UTF-8 bytes order as code points do.
std::string canonical(const std::string& text)
{
    return QString::fromStdString(text).normalized(QString::NormalizationForm_C).toStdString();
}

} // namespace

std::vector<OwnerGroup> grouped(const std::vector<BackgroundItem>& items)
{
    std::vector<OwnerGroup> groups;
    std::vector<std::string> keys;  // canonical form of each group's name
    for (const auto& item : items) {
        const std::string name = Utf8::nameForDisplay(item.ownerApp.value_or(unknownOwner));
        const std::string key = canonical(name);
        const auto found = std::find(keys.begin(), keys.end(), key);
        if (found == keys.end()) {
            keys.push_back(key);
            groups.push_back({name, {item}});
        } else {
            groups[static_cast<size_t>(found - keys.begin())].items.push_back(item);
        }
    }

    for (auto& group : groups) {
        std::vector<std::pair<std::string, BackgroundItem>> keyed;
        keyed.reserve(group.items.size());
        for (auto& item : group.items)
            keyed.emplace_back(canonical(item.label), std::move(item));
        std::stable_sort(keyed.begin(), keyed.end(),
                         [](const auto& a, const auto& b) { return a.first < b.first; });
        group.items.clear();
        for (auto& [key, item] : keyed)
            group.items.push_back(std::move(item));
    }

    QCollator collator;
    collator.setCaseSensitivity(Qt::CaseInsensitive);
    const std::string unknown = canonical(unknownOwner);
    std::stable_sort(groups.begin(), groups.end(), [&](const OwnerGroup& a, const OwnerGroup& b) {
        if (canonical(a.name) == unknown)
            return false;
        if (canonical(b.name) == unknown)
            return true;
        return collator.compare(QString::fromStdString(a.name), QString::fromStdString(b.name)) < 0;
    });
    return groups;
}

std::string scopeLabel(const BackgroundItem& item)
{
    switch (item.scope) {
    case ItemScope::userAgent: return "Runs for you";
    case ItemScope::systemAgent: return "Runs for all users";
    case ItemScope::systemDaemon: return "Runs as system";
    case ItemScope::appBundled:
        return "Built into " + (item.ownerApp ? Utf8::nameForDisplay(*item.ownerApp) : std::string("an app"));
    }
    return {};
}

Running running(const BackgroundItem& item, const std::optional<ProcessUsage>& usage)
{
    if (!item.pid)
        return {false, "Not running", std::nullopt};
    Running cell{true, "Running", std::nullopt};
    if (usage)
        cell.figures = Format::percent(usage->cpuPercent) + " \u00B7 " + Format::bytes(usage->memoryBytes);
    return cell;
}

Row row(const BackgroundItem& item, const ProcessCatalog* catalog, const std::optional<ProcessUsage>& usage)
{
    const std::string label = Utf8::nameForDisplay(item.label);
    Row result{item.id(), label, label, scopeLabel(item), running(item, usage), std::nullopt};
    if (catalog) {
        const Explanation explanation = catalog->explain(item.label, item.ownerApp);
        result.title = explanation.title;
        result.verdict = explanation.verdict;
    }
    return result;
}

std::string applicationPath(const std::string& ownerName)
{
    return "/Applications/" + ownerName + ".app";
}

} // namespace corvane::BackgroundItemsModel
