#include "Core/PropertyList.hpp"

#include "Core/Utf8.hpp"

#include <cstdint>
#include <limits>
#include <plist/plist.h>

namespace corvane {
namespace {

std::optional<std::string> textOf(plist_t node)
{
    if (node == nullptr || plist_get_node_type(node) != PLIST_STRING)
        return std::nullopt;
    uint64_t length = 0;
    const char* bytes = plist_get_string_ptr(node, &length);
    if (bytes == nullptr)
        return std::string();
    // Binary lists may carry 8-bit strings that are not UTF-8; text in the system always is.
    return Utf8::decodeLossy(std::string_view(bytes, static_cast<std::size_t>(length)));
}

} // namespace

std::optional<PropertyList> PropertyList::dictionary(std::string_view bytes)
{
    if (bytes.empty() || bytes.size() > std::numeric_limits<uint32_t>::max())
        return std::nullopt;
    plist_t root = nullptr;
    plist_from_memory(bytes.data(), static_cast<uint32_t>(bytes.size()), &root);
    if (root == nullptr)
        return std::nullopt;
    std::shared_ptr<void> owned(root, [](void* node) { plist_free(static_cast<plist_t>(node)); });
    if (plist_get_node_type(root) != PLIST_DICT)
        return std::nullopt;
    return PropertyList(std::move(owned));
}

std::optional<std::string> PropertyList::text(const std::string& key) const
{
    return textOf(plist_dict_get_item(root_.get(), key.c_str()));
}

std::optional<bool> PropertyList::boolean(const std::string& key) const
{
    const plist_t node = plist_dict_get_item(root_.get(), key.c_str());
    if (node == nullptr || plist_get_node_type(node) != PLIST_BOOLEAN)
        return std::nullopt;
    uint8_t value = 0;
    plist_get_bool_val(node, &value);
    return value != 0;
}

std::optional<std::vector<std::string>> PropertyList::texts(const std::string& key) const
{
    const plist_t node = plist_dict_get_item(root_.get(), key.c_str());
    if (node == nullptr || plist_get_node_type(node) != PLIST_ARRAY)
        return std::nullopt;
    std::vector<std::string> values;
    const uint32_t count = plist_array_get_size(node);
    for (uint32_t i = 0; i < count; ++i) {
        auto value = textOf(plist_array_get_item(node, i));
        if (!value)
            return std::nullopt;
        values.push_back(std::move(*value));
    }
    return values;
}

bool PropertyList::holdsDictionary(const std::string& key) const
{
    const plist_t node = plist_dict_get_item(root_.get(), key.c_str());
    return node != nullptr && plist_get_node_type(node) == PLIST_DICT;
}

} // namespace corvane
