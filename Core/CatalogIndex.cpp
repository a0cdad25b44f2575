#include "Core/CatalogIndex.hpp"

#include "Core/ProcessCatalog.hpp"

#include <algorithm>

namespace corvane {

CatalogIndex::CatalogIndex(const std::vector<CatalogEntry>& entries)
{
    // Entries are added in catalog order and a key keeps its first entry.
    for (std::size_t i = 0; i < entries.size(); ++i) {
        for (const auto& name : entries[i].match.names)
            names_.emplace(name, i);
        for (const auto& prefix : entries[i].match.pathPrefixes)
            paths_.add(prefix, i);
        for (const auto& prefix : entries[i].match.launchdLabels)
            labels_.add(prefix, i);
    }
}

std::optional<std::size_t> CatalogIndex::byName(std::string_view name) const
{
    const auto found = names_.find(name);
    if (found == names_.end())
        return std::nullopt;
    return found->second;
}

std::optional<std::size_t> CatalogIndex::byPath(std::string_view path) const
{
    return paths_.first(path);
}

std::optional<std::size_t> CatalogIndex::byLabel(std::string_view label) const
{
    return labels_.first(label);
}

void CatalogIndex::Prefixes::add(const std::string& prefix, std::size_t entry)
{
    entries_.emplace(prefix, entry);
    const auto at = std::lower_bound(lengths_.begin(), lengths_.end(), prefix.size());
    if (at == lengths_.end() || *at != prefix.size())
        lengths_.insert(at, prefix.size());
}

// Every prefix of the text that an entry lists matches; the earliest entry wins.
std::optional<std::size_t> CatalogIndex::Prefixes::first(std::string_view text) const
{
    std::optional<std::size_t> best;
    for (const std::size_t length : lengths_) {
        if (length > text.size())
            break;
        const auto found = entries_.find(text.substr(0, length));
        if (found != entries_.end() && (!best || found->second < *best))
            best = found->second;
    }
    return best;
}

} // namespace corvane
