#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace corvane {

struct CatalogEntry;

// Finds the catalog entry that explains a process name, an executable path or a
// launchd label without walking the whole catalog: the answer is the first entry,
// in catalog order, that lists the name or a prefix of the path or label, just as
// a walk from the top finds it.
class CatalogIndex {
public:
    explicit CatalogIndex(const std::vector<CatalogEntry>& entries);

    // Positions in the catalog, or nothing when no entry matches.
    std::optional<std::size_t> byName(std::string_view name) const;
    std::optional<std::size_t> byPath(std::string_view path) const;
    std::optional<std::size_t> byLabel(std::string_view label) const;

private:
    struct Hash {
        using is_transparent = void;
        std::size_t operator()(std::string_view text) const { return std::hash<std::string_view>{}(text); }
    };
    using FirstEntry = std::unordered_map<std::string, std::size_t, Hash, std::equal_to<>>;

    // Prefixes by length: a text is looked up once per distinct prefix length.
    class Prefixes {
    public:
        void add(const std::string& prefix, std::size_t entry);
        std::optional<std::size_t> first(std::string_view text) const;

    private:
        std::vector<std::size_t> lengths_;  // ascending, each once
        FirstEntry entries_;
    };

    FirstEntry names_;
    Prefixes paths_;
    Prefixes labels_;
};

} // namespace corvane
