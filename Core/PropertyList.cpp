#include "Core/PropertyList.hpp"

#include "Core/Files.hpp"
#include "Core/Utf8.hpp"

#include <cstdint>
#include <algorithm>
#include <vector>
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

constexpr std::size_t maxDepth = PropertyList::maxDepth;
constexpr uint64_t maxNodes = PropertyList::maxNodes;

// How deep the elements of an XML list nest, read the way the library reads them, so the
// count is never below the library's own depth for the same bytes: tags end at the first
// ">" outside double quotes (and a "/" just before it leaves them empty); comments, CDATA
// sections, processing instructions and declarations, an internal DTD subset included,
// are passed over with the same rules for quotes; text honours no quotes. The plist
// element and the leaves are counted as well, so the count may run higher, never lower.
// Where the library gives up on the bytes, the scan stops too: nothing past that point
// is parsed. Each byte is looked at once.
class XmlDepth {
public:
    explicit XmlDepth(std::string_view xml) : xml_(xml) {}

    bool withinLimits()
    {
        std::size_t depth = 0;
        while ((at_ = xml_.find('<', at_)) != std::string_view::npos) {
            const auto rest = xml_.substr(at_);
            bool goesOn = true;  // false where the library gives up
            if (rest.starts_with("<!--")) {
                goesOn = skipPast(at_ + 4, "-->", false);
            } else if (rest.starts_with("<![CDATA[")) {
                goesOn = skipPast(at_ + 9, "]]>", false);
            } else if (rest.starts_with("<?")) {
                goesOn = skipPast(at_ + 2, "?>", true);
            } else if (rest.starts_with("<!DOCTYPE")) {
                goesOn = skipDeclaration(at_ + 9);
            } else if (rest.starts_with("<!")) {
                goesOn = false;  // no other declaration is read
            } else if (const auto end = endOfTag(at_ + 1); !end) {
                goesOn = false;
            } else if (rest[1] == '/') {
                depth -= depth > 0 ? 1 : 0;  // stray closing tags bank no room for deeper nesting
                at_ = *end + 1;
            } else {
                if (xml_[*end - 1] != '/' && ++depth > maxDepth + 2)
                    return false;
                at_ = *end + 1;
            }
            if (!goesOn)
                return true;
        }
        return true;
    }

private:
    // Where the closing double quote of the quote opened just before `from` is.
    std::optional<std::size_t> closingQuote(std::size_t from) const
    {
        const auto quote = xml_.find('"', from);
        return quote == std::string_view::npos ? std::nullopt : std::optional(quote);
    }

    // The first of `stops` at or after `from`, outside double quotes when `quotes`.
    std::optional<std::size_t> find(std::size_t from, std::string_view stops, bool quotes) const
    {
        for (std::size_t i = from; i < xml_.size(); ++i) {
            if (quotes && xml_[i] == '"') {
                const auto quote = closingQuote(i + 1);
                if (!quote)
                    return std::nullopt;
                i = *quote;
            } else if (stops.find(xml_[i]) != std::string_view::npos) {
                return i;
            }
        }
        return std::nullopt;
    }

    // Moves past the first `terminator` at or after `from`; false when there is none.
    bool skipPast(std::size_t from, std::string_view terminator, bool quotes)
    {
        for (std::size_t i = from; i < xml_.size(); ++i) {
            if (xml_.substr(i).starts_with(terminator)) {
                at_ = i + terminator.size();
                return true;
            }
            if (quotes && xml_[i] == '"') {
                const auto quote = closingQuote(i + 1);
                if (!quote)
                    return false;
                i = *quote;
            }
        }
        return false;
    }

    // A DOCTYPE ends at its first ">" outside quotes, or after "]>" once an internal
    // subset opens with "[".
    bool skipDeclaration(std::size_t from)
    {
        const auto stop = find(from, "[>", true);
        if (!stop)
            return false;
        if (xml_[*stop] == '>') {
            at_ = *stop + 1;
            return true;
        }
        return skipPast(*stop, "]>", true);
    }

    // The ">" that ends the tag whose name starts at `name`: the name ends at white space
    // or either angle bracket, the rest at a bracket outside quotes. Nothing when the tag
    // runs into "<" or the end, which the library refuses.
    std::optional<std::size_t> endOfTag(std::size_t name) const
    {
        auto end = find(name, " \r\n\t<>", false);
        if (end && xml_[*end] != '>' && xml_[*end] != '<')
            end = find(*end, "<>", true);
        if (!end || xml_[*end] != '>')
            return std::nullopt;
        return end;
    }

    std::string_view xml_;
    std::size_t at_ = 0;
};

uint64_t bigEndian(std::string_view bytes)
{
    uint64_t value = 0;
    for (const char byte : bytes)
        value = value << 8 | static_cast<unsigned char>(byte);
    return value;
}

// The object table of a binary list ("bplist00", the objects, their offsets, and a
// 32-byte trailer), checked far enough that every reference can be followed safely.
class BinaryObjects {
public:
    static std::optional<BinaryObjects> open(std::string_view data)
    {
        constexpr std::size_t header = 8, trailerSize = 32;
        if (data.size() < header + trailerSize)
            return std::nullopt;
        const auto trailer = data.substr(data.size() - trailerSize);
        BinaryObjects table;
        table.data = data.substr(0, data.size() - trailerSize);
        table.offsetSize = static_cast<unsigned char>(trailer[6]);
        table.refSize = static_cast<unsigned char>(trailer[7]);
        table.count = bigEndian(trailer.substr(8, 8));
        table.root = bigEndian(trailer.substr(16, 8));
        table.offsets = bigEndian(trailer.substr(24, 8));
        if (table.offsetSize < 1 || table.offsetSize > 8 || table.refSize < 1 || table.refSize > 8 ||
            table.root >= table.count || table.offsets < header || table.offsets > table.data.size() ||
            table.count > (table.data.size() - table.offsets) / table.offsetSize)
            return std::nullopt;
        return table;
    }

    uint64_t objectCount() const { return count; }
    uint64_t rootObject() const { return root; }

    // The objects a container refers to, keys included; nothing for a malformed object.
    // Other objects refer to none.
    std::optional<std::vector<uint64_t>> children(uint64_t object) const
    {
        const uint64_t offset = bigEndian(data.substr(offsets + object * offsetSize, offsetSize));
        if (offset < 8 || offset >= offsets)
            return std::nullopt;
        std::string_view rest = data.substr(offset, offsets - offset);
        const auto marker = static_cast<unsigned char>(rest[0]);
        const unsigned type = marker >> 4;
        if (type != 0xA && type != 0xC && type != 0xD)  // array, set, dictionary
            return std::vector<uint64_t>{};
        rest.remove_prefix(1);
        uint64_t entries = marker & 0xF;
        if (entries == 0xF) {  // the count follows as an integer object
            if (rest.empty() || static_cast<unsigned char>(rest[0]) >> 4 != 1)
                return std::nullopt;
            const std::size_t width = std::size_t{1} << (rest[0] & 0xF);
            if (width > 8 || rest.size() < 1 + width)
                return std::nullopt;
            entries = bigEndian(rest.substr(1, width));
            rest.remove_prefix(1 + width);
        }
        const uint64_t references = type == 0xD ? 2 : 1;
        if (entries > rest.size() / refSize / references)
            return std::nullopt;
        std::vector<uint64_t> found(entries * references);
        for (std::size_t k = 0; k < found.size(); ++k) {
            found[k] = bigEndian(rest.substr(k * refSize, refSize));
            if (found[k] >= count)
                return std::nullopt;
        }
        return found;
    }

private:
    std::string_view data;  // header and objects and offset table, without the trailer
    std::size_t offsetSize = 0, refSize = 0;
    uint64_t count = 0, root = 0, offsets = 0;
};

// Whether the list the library would build from a binary list stays within the limits,
// found in one walk of the objects from the root, each visited once. The library builds
// a copy of a shared object at every place that uses it, so both measures are kept per
// object and counted again wherever it is reached: the levels it nests below itself
// (an object first walked shallow may be reached again deep) and the nodes it stands for.
// A list that refers to itself, or that cannot be walked, is refused too: it is broken.
bool binaryWithinLimits(std::string_view data)
{
    const auto table = BinaryObjects::open(data);
    if (!table)
        return false;
    enum class State : unsigned char { unseen, open, done };
    std::vector<State> state(table->objectCount(), State::unseen);
    // Per walked object: nodes it stands for (capped), and levels from it down, itself included.
    std::vector<uint64_t> nodes(table->objectCount(), 0);
    std::vector<std::size_t> levels(table->objectCount(), 0);
    struct Frame {
        uint64_t object;
        std::vector<uint64_t> children;
        std::size_t next = 0;
        uint64_t nodes = 1;
        std::size_t levels = 1;
    };
    std::vector<Frame> path;
    const auto enter = [&](uint64_t object) {
        auto children = table->children(object);
        if (!children || path.size() >= maxDepth)
            return false;
        state[object] = State::open;
        path.push_back({object, std::move(*children)});
        return true;
    };
    // Adds a finished child's measures to the frame that reaches it; false past a limit.
    const auto reach = [&](Frame& frame, uint64_t nodesBelow, std::size_t levelsBelow) {
        frame.nodes = std::min(frame.nodes + nodesBelow, maxNodes + 1);
        frame.levels = std::max(frame.levels, levelsBelow + 1);
        return path.size() + levelsBelow <= maxDepth;
    };
    if (!enter(table->rootObject()))
        return false;
    while (!path.empty()) {
        Frame& frame = path.back();
        if (frame.next == frame.children.size()) {
            state[frame.object] = State::done;
            nodes[frame.object] = frame.nodes;
            levels[frame.object] = frame.levels;
            const uint64_t nodesBelow = frame.nodes;
            const std::size_t levelsBelow = frame.levels;
            path.pop_back();
            if (path.empty())
                return nodesBelow <= maxNodes;
            reach(path.back(), nodesBelow, levelsBelow);  // its depth was checked on the way down
            continue;
        }
        const uint64_t child = frame.children[frame.next++];
        if (state[child] == State::open)
            return false;
        if (state[child] == State::done) {
            if (!reach(frame, nodes[child], levels[child]))
                return false;
        } else if (!enter(child)) {
            return false;
        }
    }
    return true;
}

// Checks the shape of the bytes before the library parses them; it tells binary lists
// from XML by the same eight-byte signature.
bool withinLimits(std::string_view bytes)
{
    return bytes.starts_with("bplist00") ? binaryWithinLimits(bytes) : XmlDepth(bytes).withinLimits();
}

} // namespace

std::optional<PropertyList> PropertyList::dictionary(std::string_view bytes)
{
    if (bytes.empty() || bytes.size() > maxBytes || !withinLimits(bytes))
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

std::optional<PropertyList> PropertyList::read(const std::filesystem::path& file)
{
    const auto bytes = Files::read(file, maxBytes);
    return bytes ? dictionary(*bytes) : std::nullopt;
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
