#include "Core/PropertyList.hpp"

#include "Core/Files.hpp"
#include "Tests/Support/BinaryPlist.hpp"

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

// A binary dictionary of chains of nested arrays, one chain per length, walked in order:
// the first chain ends in an empty array, each later one in the head of the chain before
// it, so every chain but the last is first reached shallow and then again deep. The
// last chain sits under the key "k", where `libraryDepth` follows it to the bottom.
std::string chainsReachedAgain(const std::vector<std::size_t>& lengths)
{
    constexpr std::size_t width = 2;
    const std::size_t chains = lengths.size();
    std::vector<std::string> objects(1 + chains);  // the root, then the keys
    std::vector<uint64_t> heads;
    for (std::size_t c = 0; c < chains; ++c) {
        objects[1 + c] = test::ascii(c + 1 == chains ? "k" : "c" + std::to_string(c));
        heads.push_back(objects.size());
        for (std::size_t level = 1; level <= lengths[c]; ++level) {
            const bool innermost = level == lengths[c];
            std::vector<uint64_t> inside{objects.size() + 1};
            if (innermost)
                inside = c == 0 ? std::vector<uint64_t>{} : std::vector{heads[c - 1]};
            objects.push_back(test::container(0xA, inside, width));
        }
    }
    std::vector<uint64_t> refs;
    for (std::size_t c = 0; c < chains; ++c)
        refs.push_back(1 + c);
    refs.insert(refs.end(), heads.begin(), heads.end());
    objects[0] = test::container(0xD, refs, width);
    return test::binaryPlist(objects, width);
}

} // namespace

// An object the walk first meets shallow nests as deep again wherever else it is used, as
// the library copies it there. The seed kept for the fuzzer is such a list.
TEST(PropertyListNesting, ASharedObjectCountsItsDepthWhereverItIsUsed)
{
    const struct {
        std::vector<std::size_t> lengths;
        std::size_t depth;  // as the library nests it, the top dictionary included
        bool accepted;
    } cases[]{
        {{20, 20}, 41, true},
        {{31, 32}, 64, true},  // exactly at the limit
        {{32, 32}, 65, false},
        {{2, 63}, 66, false},  // a small object reached at the bottom
        {std::vector<std::size_t>(20, 63), 1 + 20 * 63, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.depth);
        const auto bytes = chainsReachedAgain(c.lengths);
        ASSERT_EQ(libraryDepth(bytes), c.depth);
        EXPECT_EQ(PropertyList::dictionary(bytes).has_value(), c.accepted);
    }
    const auto seed = Files::read(CORVANE_FIXTURES "/../../fuzz/seeds/property_list/shared-deep.plist");
    ASSERT_TRUE(seed);
    EXPECT_GT(libraryDepth(*seed), PropertyList::maxDepth);
    EXPECT_FALSE(PropertyList::dictionary(*seed));
}

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
