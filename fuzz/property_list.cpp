// Property lists as other users and programs plant them (launch agents and daemons, app
// bundles' Info.plist): read as a dictionary and as a launchd job. Whatever the checks in
// front of the library let through, the library's own reading of the same bytes stays
// within their limits.
#include "Core/BackgroundItemsReader.hpp"
#include "Core/PropertyList.hpp"
#include "fuzz/FuzzCheck.hpp"

#include <plist/plist.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

using namespace corvane;

namespace {

// The deepest nesting of containers a list may have (the top dictionary is the first),
// and the most nodes it may stand for.
constexpr std::size_t deepestAccepted = PropertyList::maxDepth;
constexpr uint64_t mostNodes = PropertyList::maxNodes;

struct Shape {
    std::size_t depth = 0;
    uint64_t nodes = 0;
};

void measure(plist_t node, std::size_t level, Shape& shape)
{
    ++shape.nodes;
    const auto type = plist_get_node_type(node);
    if (type != PLIST_ARRAY && type != PLIST_DICT)
        return;
    shape.depth = std::max(shape.depth, level);
    if (type == PLIST_ARRAY) {
        for (uint32_t i = 0; i < plist_array_get_size(node); ++i)
            measure(plist_array_get_item(node, i), level + 1, shape);
        return;
    }
    plist_dict_iter iterator = nullptr;
    plist_dict_new_iter(node, &iterator);
    while (true) {
        // Values only: the library asserts on a key with a NUL in it when it copies one out.
        plist_t value = nullptr;
        plist_dict_next_item(node, iterator, nullptr, &value);
        if (value == nullptr)
            break;
        measure(value, level + 1, shape);
    }
    std::free(iterator);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size)
{
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    if (const auto list = PropertyList::dictionary(bytes)) {
        FUZZ_CHECK(bytes.size() <= PropertyList::maxBytes);
        plist_t root = nullptr;
        plist_from_memory(bytes.data(), static_cast<uint32_t>(bytes.size()), &root);
        FUZZ_CHECK(root != nullptr);
        Shape shape;
        measure(root, 1, shape);
        plist_free(root);
        FUZZ_CHECK(shape.depth <= deepestAccepted);
        // Only a binary list can stand for more nodes than its bytes spell out.
        if (bytes.starts_with("bplist"))
            FUZZ_CHECK(shape.nodes <= mostNodes);

        for (const char* key : {"Label", "Program", "CFBundleIdentifier", "CFBundleName", "CFBundleExecutable"})
            list->text(key);
        list->boolean("RunAtLoad");
        list->texts("ProgramArguments");
        list->holdsDictionary("KeepAlive");
    }
    BackgroundItemsReader::parse(bytes, "/x.plist", ItemScope::userAgent, "/Applications/A.app");
    return 0;
}
