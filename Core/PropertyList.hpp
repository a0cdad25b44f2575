#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace corvane {

// A property list, XML or binary, whose top level is a dictionary. The one place
// that knows the property-list library; callers ask for typed values by key.
class PropertyList {
public:
    // Real lists are a few kilobytes; no file larger than this is read as one.
    static constexpr std::size_t maxBytes = 1 << 20;
    // The library recurses once per level, both when it parses and when it frees a list,
    // and a binary list is slower to parse the deeper it goes: real lists nest a handful
    // of levels, so a list nested deeper than this is refused before the library sees it.
    static constexpr std::size_t maxDepth = 64;
    // A binary list may use one object at many places, and the library builds a copy for
    // each: a few nested shared arrays would stand for more nodes than memory holds. Real
    // launch jobs hold a few dozen nodes and the largest Info.plist files a few thousand;
    // a list at this bound costs the library milliseconds and a megabyte or two.
    static constexpr uint64_t maxNodes = 1 << 14;

    // Nothing when the bytes are no property list or its top level is no dictionary.
    // Bytes over maxBytes, and lists nested deeper than any real one, are refused
    // unparsed, so a planted list costs next to nothing.
    static std::optional<PropertyList> dictionary(std::string_view bytes);
    // The same, from a file, of which no more than maxBytes + 1 bytes are ever read:
    // every property list the app finds on disk may have been put there by anyone.
    static std::optional<PropertyList> read(const std::filesystem::path& file);

    // The value under `key` when it has the asked type, else nothing.
    std::optional<std::string> text(const std::string& key) const;
    std::optional<bool> boolean(const std::string& key) const;
    // An array holding only texts; nothing when any element is of another type.
    std::optional<std::vector<std::string>> texts(const std::string& key) const;
    bool holdsDictionary(const std::string& key) const;

private:
    explicit PropertyList(std::shared_ptr<void> root) : root_(std::move(root)) {}
    std::shared_ptr<void> root_;
};

} // namespace corvane
