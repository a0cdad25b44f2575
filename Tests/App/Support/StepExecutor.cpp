#include "Tests/App/Support/StepExecutor.hpp"

#include <algorithm>

namespace corvane::test {
namespace {

auto onLane(Executor::Lane lane)
{
    return [lane](const auto& entry) { return entry.lane == lane; };
}

} // namespace

void StepExecutor::submit(Lane lane, QObject* receiver, Job job)
{
    jobs_.push_back({lane, receiver, std::move(job)});
}

std::size_t StepExecutor::pending(Lane lane) const
{
    return static_cast<std::size_t>(std::count_if(jobs_.begin(), jobs_.end(), onLane(lane)));
}

bool StepExecutor::runNext(Lane lane)
{
    const auto found = std::find_if(jobs_.begin(), jobs_.end(), onLane(lane));
    return found != jobs_.end() && runNext(static_cast<std::size_t>(found - jobs_.begin()));
}

bool StepExecutor::runNext(std::size_t index)
{
    if (index >= jobs_.size())
        return false;
    auto entry = std::move(jobs_[index]);
    jobs_.erase(jobs_.begin() + static_cast<std::ptrdiff_t>(index));
    auto delivery = entry.job();
    if (entry.receiver)
        delivery();
    return true;
}

void StepExecutor::runAll()
{
    while (runNext()) {
    }
}

} // namespace corvane::test
