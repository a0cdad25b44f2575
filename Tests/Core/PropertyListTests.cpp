#include "Core/PropertyList.hpp"

#include <gtest/gtest.h>
#include <plist/plist.h>

#include <memory>
#include <string>

using namespace corvane;

namespace {

// How many containers deep the library itself nests what it reads from the bytes, along
// the last element of each array; 0 when it reads nothing.
std::size_t libraryDepth(const std::string& bytes)
{
    plist_t root = nullptr;
    plist_from_memory(bytes.data(), static_cast<uint32_t>(bytes.size()), &root);
    if (root == nullptr)
        return 0;
    const std::unique_ptr<void, void (*)(void*)> owned(root, [](void* node) { plist_free(static_cast<plist_t>(node)); });
    std::size_t deepest = 0;
    for (plist_t node = root; node != nullptr;) {
        const auto type = plist_get_node_type(node);
        if (type != PLIST_DICT && type != PLIST_ARRAY)
            break;
        ++deepest;
        if (type == PLIST_DICT)
            node = plist_dict_get_item(node, "k");
        else
            node = plist_array_get_size(node) > 0 ? plist_array_get_item(node, plist_array_get_size(node) - 1) : nullptr;
    }
    return deepest;
}

// A dictionary whose "k" holds `levels` arrays, each opened with `open` and whose
// content starts with `inside`, the innermost one empty.
std::string nested(std::size_t levels, const std::string& open, const std::string& inside = "")
{
    std::string opens, closes;
    for (std::size_t i = 0; i < levels; ++i) {
        opens += open + inside;
        closes += "</array>";
    }
    return "<?xml version=\"1.0\"?>\n<plist version=\"1.0\"><dict><key>k</key>" + opens + closes + "</dict></plist>";
}

} // namespace

// Each shape hides its nesting from a scan that reads tags more loosely than the library
// does. At 20 levels it is an ordinary list; at 80 the library would nest past any real
// list, and so the list is refused before the library sees it.
TEST(PropertyListNesting, NeverShallowerThanTheLibraryReadsIt)
{
    const std::vector<std::pair<std::string, std::string>> shapes{
        {"<array>", ""},
        {"<array a=\"/>\">", ""},                            // a quoted "/>" ends no tag
        {"<array a=\"/>\" >", ""},
        {"<array a='x' b=\">\">", ""},                       // nor does a quoted ">"
        {"<array a=\"</array></array>\">", ""},              // nor closes one
        {"<array a=\"<!--\">", "<array a=\"-->\"></array>"}, // a quoted comment opens none
        {"<array>", "<string>\"</string>"},                  // text honours no quotes
        {"<array>", "<string><![CDATA[</array></array>]]></string>"},
        {"<array>", "<string>a<!--</string></array>-->b</string>"},
        {"<array>", "<?x \"?></array></array>\"?>"},        // quotes inside an instruction
        {"<array>", "<!DOCTYPE x [<!ELEMENT x \"]>\"></array></array>]>"},
        {"<array>", "<!DOCTYPE x \"></array>\">"},
        {"<array>", "<!-- \" -->"},                          // nor do comments and CDATA
        {"<array>", "<string><![CDATA[\"]]></string>"},
    };
    for (const auto& [open, inside] : shapes) {
        SCOPED_TRACE(open + inside);
        const auto ordinary = nested(20, open, inside);
        ASSERT_GE(libraryDepth(ordinary), 21u);
        EXPECT_TRUE(PropertyList::dictionary(ordinary));
        const auto deep = nested(80, open, inside);
        ASSERT_GE(libraryDepth(deep), 81u);
        EXPECT_FALSE(PropertyList::dictionary(deep));
    }
}
