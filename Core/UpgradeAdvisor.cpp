#include "Core/UpgradeAdvisor.hpp"

#include <algorithm>

namespace corvane::UpgradeAdvisor {

int recommendedMemoryGB(int64_t current)
{
    if (current > memorySteps.back() / 2)
        return memorySteps.back();
    for (const int step : memorySteps) {
        if (step >= 2 * current)
            return step;
    }
    return memorySteps.back();
}

UpgradeVerdict evaluate(const std::vector<MinuteRecord>& records, int64_t memoryBytes, double diskFreeShare)
{
    const auto count = static_cast<int64_t>(records.size());
    const int hours = static_cast<int>(count / 60);
    const bool twoDays = std::any_of(records.begin(), records.end(), [&](const MinuteRecord& r) {
        return r.t / 1440 != records.front().t / 1440;
    });
    if (count < 1440 || !twoDays)
        return {UpgradeVerdict::NotEnoughData{hours}};

    const auto share = [&](auto predicate) {
        return static_cast<double>(std::count_if(records.begin(), records.end(), predicate)) / count;
    };
    const double pressureShare = share([](const MinuteRecord& r) { return r.pressure > 0; });
    const double busyShare = share([](const MinuteRecord& r) { return r.cpu >= 80.0; });

    std::vector<int64_t> swaps;
    swaps.reserve(records.size());
    for (const auto& record : records)
        swaps.push_back(record.swap);
    const auto middle = swaps.begin() + count / 2;
    std::nth_element(swaps.begin(), middle, swaps.end());
    const int64_t medianSwap = *middle;
    // With no memory reading, every machine would have a quarter of nothing in swap.
    const bool swapHeavy = memoryBytes > 0 && static_cast<double>(medianSwap) >= static_cast<double>(memoryBytes) / 4;

    std::vector<Bottleneck> list;
    if (pressureShare >= 0.15 || swapHeavy)
        list.push_back({Bottleneck::Memory{recommendedMemoryGB(memoryBytes / (int64_t{1} << 30)), pressureShare}});
    if (busyShare >= 0.2)
        list.push_back({Bottleneck::CPU{busyShare}});
    if (diskFreeShare < 0.15)
        list.push_back({Bottleneck::Storage{diskFreeShare}});

    if (list.empty())
        return {UpgradeVerdict::Healthy{hours}};
    return {UpgradeVerdict::Bottlenecks{std::move(list), hours}};
}

} // namespace corvane::UpgradeAdvisor
