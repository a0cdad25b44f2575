#include "Core/PropertyList.hpp"
#include "Tests/Support/BinaryPlist.hpp"

#include <benchmark/benchmark.h>

#include <string>
#include <vector>

using namespace corvane;

namespace {

// A binary list shaped like a large Info.plist: `entries` dictionaries under their own
// keys, each of four keys whose key and value strings are written once and shared by
// every entry, as the writer of real binary lists does.
std::string infoLike(std::size_t entries)
{
    constexpr std::size_t width = 2;
    std::vector<std::string> objects{std::string()};  // the root, filled in last
    std::vector<uint64_t> shared;
    for (const char* text : {"TypeName", "HandlerRank", "Editor", "Default"}) {
        shared.push_back(objects.size());
        objects.push_back(test::ascii(text));
    }
    const std::vector<uint64_t> entry{shared[0], shared[1], shared[0], shared[1], shared[2], shared[3], shared[2],
                                      shared[3]};
    std::vector<uint64_t> keys, values;
    for (std::size_t i = 0; i < entries; ++i) {
        keys.push_back(objects.size());
        objects.push_back(test::ascii("e" + std::to_string(i)));
        values.push_back(objects.size());
        objects.push_back(test::container(0xD, entry, width));
    }
    keys.insert(keys.end(), values.begin(), values.end());
    objects[0] = test::container(0xD, keys, width);
    return test::binaryPlist(objects, width);
}

// Reading such a list: the walk in front of the library and the library's own parse.
void PropertyListBinaryInfoLike(benchmark::State& state)
{
    const std::string bytes = infoLike(static_cast<std::size_t>(state.range(0)));
    for (auto _ : state)
        benchmark::DoNotOptimize(PropertyList::dictionary(bytes));
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(bytes.size()));
}
BENCHMARK(PropertyListBinaryInfoLike)->ArgName("entries")->Arg(20)->Arg(1000)->Unit(benchmark::kMicrosecond);

} // namespace
