#include "Tests/App/Support/StepExecutor.hpp"

namespace corvane::test {

void StepExecutor::submit(QObject* receiver, Job job)
{
    jobs_.push_back({receiver, std::move(job)});
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
