#include "Core/UsageBuckets.hpp"

#include <algorithm>
#include <map>
#include <stdexcept>

namespace corvane::UsageBuckets {
namespace {

struct Totals {
    double cpu = 0;
    int64_t pressured = 0;
    int64_t swap = 0;
    int64_t count = 0;
};

} // namespace

std::vector<UsageBucket> bucket(const std::vector<MinuteRecord>& records, int minutes)
{
    if (minutes <= 0)
        throw std::invalid_argument("usage buckets need a positive length in minutes");
    std::map<int64_t, Totals> groups;  // ordered by key, so by start
    for (const auto& record : records) {
        Totals& totals = groups[record.t / minutes];
        totals.cpu += record.cpu;
        totals.pressured += record.pressure >= 1 ? 1 : 0;
        totals.swap = totals.count == 0 ? record.swap : std::max(totals.swap, record.swap);
        totals.count += 1;
    }
    std::vector<UsageBucket> buckets;
    buckets.reserve(groups.size());
    for (const auto& [key, totals] : groups) {
        const auto count = static_cast<double>(totals.count);
        buckets.push_back({startOfMinute(key * minutes), totals.cpu / count, static_cast<double>(totals.pressured) / count,
                           totals.swap, static_cast<int>(totals.count)});
    }
    return buckets;
}

} // namespace corvane::UsageBuckets
