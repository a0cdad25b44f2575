#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// Binary property lists written object by object, in shapes the library itself never
// writes (nesting past its limits, objects shared at several places). Header-only, so
// the benchmarks use it too.
namespace corvane::test {

inline std::string bigEndian(uint64_t value, std::size_t width)
{
    std::string bytes(width, '\0');
    for (std::size_t i = width; i-- > 0; value >>= 8)
        bytes[i] = static_cast<char>(value & 0xFF);
    return bytes;
}

// An array (type 0xA) or dictionary (0xD, keys then values) object referring to `refs`.
inline std::string container(unsigned char type, const std::vector<uint64_t>& refs, std::size_t width)
{
    const std::size_t entries = type == 0xD ? refs.size() / 2 : refs.size();
    std::string object;
    if (entries < 15) {
        object += static_cast<char>(type << 4 | entries);
    } else {
        object += static_cast<char>(type << 4 | 0xF);
        object += "\x13" + bigEndian(entries, 8);  // the count as an 8-byte integer object
    }
    for (const uint64_t ref : refs)
        object += bigEndian(ref, width);
    return object;
}

// A short ASCII string object (fewer than 15 characters).
inline std::string ascii(const std::string& text)
{
    return static_cast<char>(0x50 | text.size()) + text;
}

// The whole list: header, `objects` as given (the first is the root), the offset table
// and the trailer; offsets and references are `width` bytes.
inline std::string binaryPlist(const std::vector<std::string>& objects, std::size_t width)
{
    std::string data = "bplist00";
    std::string offsets;
    for (const auto& object : objects) {
        offsets += bigEndian(data.size(), width);
        data += object;
    }
    const uint64_t tableOffset = data.size();
    return data + offsets + std::string(6, '\0') + static_cast<char>(width) + static_cast<char>(width) +
           bigEndian(objects.size(), 8) + bigEndian(0, 8) + bigEndian(tableOffset, 8);
}

} // namespace corvane::test
